#pragma once
// Who is inside which monitor area, and for how long: turns per-frame target reports, each with
// the set of monitor areas its position lies in, into entry and exit events. Plain logic with the
// clock passed in, so the live console and the offline replay of a recording say the same thing.
//
// A stay opens when a report of a target lies in an area and closes when a report of it lies
// outside, when the target has not been reported for longer than the presence tick keeps a label
// slot (PresenceTick::kExpireMs), or when the run ends. Times are milliseconds of the zone clock
// (ZoneClock: 64-bit, never going back, whatever the sensor's stream stamps do).
#include <cstdint>
#include <unordered_map>
#include <vector>

constexpr int kZoneAreaCount = 32;  // bit k of a membership word is area slot k (1 to 31 are monitor areas)
constexpr uint32_t kMonitorAreaBits = ~1u;

struct ZoneReport {
    int64_t id = 0;
    double distance = 0;  // metres
    double angle = 0;     // calibrated degrees
    uint32_t areas = 0;   // bit k: the position lies in area k
};

struct ZoneEvent {
    enum Kind { Entry, Exit };
    Kind kind = Entry;
    int area = 0;
    int64_t id = 0;
    uint64_t timeMs = 0;
    double distance = 0;
    double angle = 0;
    uint64_t dwellMs = 0;  // exits only: from the entry to the exit
};

class ZoneTracker {
public:
    explicit ZoneTracker(uint32_t expireMs = 2000) noexcept : m_expireMs(expireMs) {}

    // One frame of reports at timeMs. Targets silent for longer than the expiry leave first, so a
    // target that comes back after that gap enters again. Events are appended to out.
    void Frame(uint64_t timeMs, const ZoneReport* reports, int count, std::vector<ZoneEvent>& out);
    // Expires silent targets at nowMs without a frame (the live console's timer).
    void Expire(uint64_t nowMs, std::vector<ZoneEvent>& out);
    // The run ended: every open stay closes where and when its target was last seen.
    void Finish(std::vector<ZoneEvent>& out);

    // Targets currently inside area k.
    int Inside(int area) const noexcept { return area >= 0 && area < kZoneAreaCount ? m_inside[area] : 0; }
    uint32_t ExpireMs() const noexcept { return m_expireMs; }

private:
    struct Target {
        uint32_t areas = 0;  // areas with an open stay
        uint64_t lastSeenMs = 0;
        double distance = 0, angle = 0;  // last reported position
        uint64_t entryMs[kZoneAreaCount] = {};
    };
    void Close(int64_t id, Target& target, uint32_t areas, uint64_t timeMs, double distance, double angle,
               std::vector<ZoneEvent>& out);

    uint32_t m_expireMs;
    std::unordered_map<int64_t, Target> m_targets;
    int m_inside[kZoneAreaCount] = {};
};
