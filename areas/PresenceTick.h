#pragma once
// The presence tick of the main window: expires label slots whose target has not been reported
// for two seconds, paces the refresh of the target labels (every 100 ms while a target is held,
// every 2 s otherwise) and chooses the lamp of the signal light. The clock reading is passed in.
#include <cstdint>

#include "areas/TargetSlot.h"

enum class LampRequest {
    None,      // leave the light as it is
    Target,    // a target is present
    NoTarget,  // no target reported for more than 2 s
    Fault,     // no data arrives: the fault lamp
    Off,       // the fault is over but presence has not decided yet: the fault lamp off
};

// The lamp to ask for: the fault lamp while the data is stale, never the no-target lamp then (a
// blind sensor must not report an empty area); once data is back the presence tick decides, and
// until it does a fault lamp still lit goes off.
LampRequest ChooseLamp(LampRequest presence, bool stale, bool faultLit);

struct PresenceTickResult {
    bool refreshLabels = false;
    LampRequest lamp = LampRequest::None;
};

class PresenceTick {
public:
    static constexpr uint32_t kExpireMs = 2000;
    static constexpr uint32_t kRefreshMs = 100;

    // slots: the kTargetSlotCount records, each stamped with the time of its last report;
    // now: MS_GetTime. Differences wrap as uint32.
    PresenceTickResult Tick(TargetSlot* slots, uint32_t now);
    // A new run: the labels are refreshed on the first tick and no earlier report counts.
    void Reset() noexcept { *this = PresenceTick{}; }

    // The latest report of a target seen by a tick.
    uint32_t LastTargetTime() const noexcept { return m_lastTargetTime; }

private:
    uint32_t m_lastTargetTime = 0;
    // The pacing of the labels keeps its own time: refreshing them says nothing about the targets.
    uint32_t m_lastRefresh = 0;
    bool m_shownTarget = false;  // the last refresh showed a target
};
