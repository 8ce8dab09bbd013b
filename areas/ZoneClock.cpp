#include "areas/ZoneClock.h"

#include <algorithm>

void ZoneClock::AnchorAt(uint64_t wallNow, uint64_t zoneMs) noexcept {
    if (wallNow == 0) return;  // the clock column keeps the anchor it has
    const uint64_t back = zoneMs * kFileTimePerMs;
    m_anchor = wallNow > back ? wallNow - back : 0;
}

uint64_t ZoneClock::Frame(uint32_t streamMs, uint64_t wallNow, bool exactWall) noexcept {
    uint64_t zone;
    if (!m_started) {
        m_started = true;
        zone = streamMs;
        AnchorAt(wallNow, zone);
    } else {
        const uint32_t ahead = streamMs - m_lastStreamMs;  // a wrap of the stamp is a step ahead
        if (ahead < 0x80000000u) {
            zone = m_lastZoneMs + ahead;
            if (exactWall) AnchorAt(wallNow, zone);
        } else {
            // A new stream: on from the wall clock of this moment, never back.
            const uint64_t sinceAnchor =
                wallNow != 0 && m_anchor != 0 && wallNow > m_anchor ? (wallNow - m_anchor) / kFileTimePerMs : 0;
            zone = std::max(m_lastZoneMs, sinceAnchor);
            AnchorAt(wallNow, zone);
        }
    }
    m_lastStreamMs = streamMs;
    m_lastZoneMs = zone;
    return zone;
}
