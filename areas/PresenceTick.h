#pragma once
// The presence tick of the main window: expires label slots that have not been refreshed for
// two seconds, paces the refresh of the target labels (every 100 ms while a target is held, every
// 2 s otherwise) and chooses the lamp of the signal light. The clock reading is passed in.
#include <cstdint>

#include "areas/TargetSlot.h"

enum class LampRequest {
    None,      // leave the light as it is
    Target,    // a target is present
    NoTarget,  // no target for more than 2 s
};

struct PresenceTickResult {
    bool refreshLabels = false;
    LampRequest lamp = LampRequest::None;
};

class PresenceTick {
public:
    static constexpr uint32_t kExpireMs = 2000;
    static constexpr uint32_t kRefreshMs = 100;

    // slots: the kTargetSlotCount records; now: MS_GetTime. Differences wrap as uint32.
    PresenceTickResult Tick(TargetSlot* slots, uint32_t now);

    uint32_t LastTargetTime() const noexcept { return m_lastTargetTime; }

private:
    uint32_t m_lastTargetTime = 0;
};
