#include "areas/ZoneTracker.h"

#include <algorithm>

void ZoneTracker::Close(int64_t id, Target& target, uint32_t areas, uint64_t timeMs, double distance, double angle,
                        std::vector<ZoneEvent>& out) {
    for (int k = 0; k < kZoneAreaCount; ++k) {
        if (!((areas >> k) & 1u)) continue;
        ZoneEvent e;
        e.kind = ZoneEvent::Exit;
        e.area = k;
        e.id = id;
        e.timeMs = timeMs;
        e.distance = distance;
        e.angle = angle;
        e.dwellMs = timeMs - target.entryMs[k];
        out.push_back(e);
        --m_inside[k];
    }
    target.areas &= ~areas;
}

void ZoneTracker::Expire(uint64_t nowMs, std::vector<ZoneEvent>& out) {
    // Closed in id order, so the live console and a replay write them in the same order.
    std::vector<int64_t> gone;
    for (auto& [id, t] : m_targets) {
        if (nowMs > t.lastSeenMs + m_expireMs) gone.push_back(id);
    }
    std::sort(gone.begin(), gone.end());
    for (int64_t id : gone) {
        Target& t = m_targets[id];
        Close(id, t, t.areas, t.lastSeenMs, t.distance, t.angle, out);
        m_targets.erase(id);
    }
}

void ZoneTracker::Frame(uint64_t timeMs, const ZoneReport* reports, int count, std::vector<ZoneEvent>& out) {
    Expire(timeMs, out);
    for (int i = 0; i < count; ++i) {
        ZoneReport r = reports[i];
        r.areas &= kMonitorAreaBits;  // the detect area (slot 0) is no zone
        Target& t = m_targets[r.id];
        t.lastSeenMs = timeMs;
        t.distance = r.distance;
        t.angle = r.angle;
        Close(r.id, t, t.areas & ~r.areas, timeMs, r.distance, r.angle, out);
        const uint32_t entered = r.areas & ~t.areas;
        for (int k = 0; k < kZoneAreaCount; ++k) {
            if (!((entered >> k) & 1u)) continue;
            ZoneEvent e;
            e.kind = ZoneEvent::Entry;
            e.area = k;
            e.id = r.id;
            e.timeMs = timeMs;
            e.distance = r.distance;
            e.angle = r.angle;
            out.push_back(e);
            t.entryMs[k] = timeMs;
            ++m_inside[k];
        }
        t.areas |= entered;
    }
}

void ZoneTracker::Finish(std::vector<ZoneEvent>& out) {
    std::vector<int64_t> ids;
    for (auto& [id, t] : m_targets) ids.push_back(id);
    std::sort(ids.begin(), ids.end());
    for (int64_t id : ids) {
        Target& t = m_targets[id];
        Close(id, t, t.areas, t.lastSeenMs, t.distance, t.angle, out);
    }
    m_targets.clear();
}
