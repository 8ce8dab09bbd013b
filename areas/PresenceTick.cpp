#include "areas/PresenceTick.h"

namespace {
// a is later than b on the wrapping millisecond clock.
bool Later(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) > 0; }
}  // namespace

PresenceTickResult PresenceTick::Tick(TargetSlot* slots, uint32_t now) {
    PresenceTickResult result;
    bool anyTarget = false;
    bool emptied = false;
    for (int i = 0; i < kTargetSlotCount; ++i) {
        TargetSlot& slot = slots[i];
        if (slot.id < 0) continue;
        if (now - slot.stamp > kExpireMs) {
            // Not reported for two seconds: the target has gone, whatever the library delivers now.
            slot.Clear();
            emptied = true;
            continue;
        }
        anyTarget = true;
        if (Later(slot.stamp, m_lastTargetTime)) m_lastTargetTime = slot.stamp;
    }
    const uint32_t sinceRefresh = now - m_lastRefresh;
    // Labels that still show a target go to "no target" at once; otherwise the usual pace.
    const bool refresh = emptied || (anyTarget ? sinceRefresh > kRefreshMs : (m_shownTarget || sinceRefresh > kExpireMs));
    if (refresh) {
        m_lastRefresh = now;
        m_shownTarget = anyTarget;
        result.refreshLabels = true;
    }
    if (anyTarget) {
        result.lamp = LampRequest::Target;
    } else if (now - m_lastTargetTime > kExpireMs) {
        result.lamp = LampRequest::NoTarget;
    }
    return result;
}

LampRequest ChooseLamp(LampRequest presence, bool stale, bool faultLit) {
    if (stale) return faultLit ? LampRequest::None : LampRequest::Fault;
    if (presence == LampRequest::None && faultLit) return LampRequest::Off;
    return presence;
}
