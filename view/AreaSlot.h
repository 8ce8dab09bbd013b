#pragma once
// One of the view's 32 polygon slots: 0 is the detect area, 1 to 31 the monitor areas.
#include <cstdint>
#include <vector>

#include "view/AreaVertex.h"

struct AreaSlot {
    uint8_t used = 0;
    std::vector<AreaVertex> vertices;  // plot coordinates
    int32_t count = 0;
    uint32_t inactiveColour = 0;  // 0x00RRGGBB
    uint32_t activeColour = 0;    // 0x00RRGGBB
};

constexpr int kAreaSlotCount = 32;
constexpr int kDetectAreaSlot = 0;
constexpr uint32_t kDetectAreaColour = 0x8BC583;
