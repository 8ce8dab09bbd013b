#pragma once
// The ten label slots of the main window: slot i shows the object at position i of the latest
// delivery until the presence tick expires it, two seconds after its last report.
#include <cstdint>

struct TargetSlot {
    int32_t id = -1;  // low 32 bits of the object id; -1 when empty
    double distance = 0.0;
    double angle = 0.0;  // calibrated degrees
    double velocity = 0.0;
    uint32_t stamp = 0;  // MS_GetTime of the last report of the target

    void Clear() noexcept {
        id = -1;
        distance = angle = velocity = 0.0;
    }
};

constexpr int kTargetSlotCount = 10;
