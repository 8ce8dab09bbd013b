#pragma once
// The zone time of a run: the sensor's 32-bit stream time stamps (milliseconds, wrapping at 2^32)
// on one 64-bit scale that never goes back, and the wall clock of its zero for the clock column of
// the event file. The stamps start again when the sensor reconnects and with every recording of a
// playback folder; the zone time then goes on from the wall clock of that moment, so that the
// tracker never sees time going back and later events are dated when they happened.
#include <cstdint>

class ZoneClock {
public:
    static constexpr uint64_t kFileTimePerMs = 10000;  // FILETIME counts 100 ns

    // The zone time of a frame stamped streamMs. wallNow: when the frame happened, as a UTC
    // FILETIME number (0: not known). A stamp more than 2^31 ms behind the last one starts a new
    // stream. exactWall: wallNow is the recorded time of this very frame (a recorded file's
    // start), so the clock column follows it from here on even when the stream goes on.
    uint64_t Frame(uint32_t streamMs, uint64_t wallNow, bool exactWall = false) noexcept;

    bool Started() const noexcept { return m_started; }
    // The zone time of the last frame.
    uint64_t LastMs() const noexcept { return m_lastZoneMs; }
    // The wall clock (UTC FILETIME number) of zone time 0; 0 when not known.
    uint64_t Anchor() const noexcept { return m_anchor; }

private:
    void AnchorAt(uint64_t wallNow, uint64_t zoneMs) noexcept;

    bool m_started = false;
    uint32_t m_lastStreamMs = 0;
    uint64_t m_lastZoneMs = 0;
    uint64_t m_anchor = 0;
};
