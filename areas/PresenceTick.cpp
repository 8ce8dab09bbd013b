#include "areas/PresenceTick.h"

PresenceTickResult PresenceTick::Tick(TargetSlot* slots, uint32_t now) {
    PresenceTickResult result;
    bool anyTarget = false;
    bool changed = false;
    for (int i = 0; i < kTargetSlotCount; ++i) {
        TargetSlot& slot = slots[i];
        const uint32_t age = now - slot.stamp;
        if (slot.id >= 0) {
            // A slot expired in this tick still counts: the target was seen until just now.
            anyTarget = true;
            if (age > kExpireMs) {
                changed = true;
                slot.Clear();
            } else if (age > kRefreshMs) {
                changed = true;
            }
        } else if (age > kExpireMs) {
            changed = true;
            slot.Clear();
        }
    }
    if (changed) {
        for (int i = 0; i < kTargetSlotCount; ++i) slots[i].stamp = now;
        result.refreshLabels = true;
    }
    if (anyTarget) {
        result.lamp = LampRequest::Target;
        m_lastTargetTime = now;
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
