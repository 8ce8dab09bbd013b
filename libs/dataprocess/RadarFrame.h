// One frame of sensor data as it travels through the library: produced by a device (live or
// played back), recorded, filtered and delivered.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

enum class RadarFrameKind : uint8_t {
    Detections = 1,  // raw detection points: the PC-side filters turn them into objects
    Tracks = 2,      // targets tracked by the module's MCU (the ResultMTT stream)
};

struct RadarPoint {
    int64_t id = 0;        // track id for Tracks, point index for Detections
    double gate = 0;       // range in gates
    double distance = 0;   // metres
    double velocity = 0;   // radial m/s, negative approaching
    double angle = 0;      // raw degrees, positive to the right
    double snr = 0;        // dB
};

// A point whose numbers are all finite. Recorded and serial frames are checked only for their
// framing, so NaN and infinities can arrive; the filters drop such points (and count them).
inline bool IsFinitePoint(const RadarPoint& p) {
    return std::isfinite(p.gate) && std::isfinite(p.distance) && std::isfinite(p.velocity) && std::isfinite(p.angle) &&
           std::isfinite(p.snr);
}

struct RadarFrame {
    RadarFrameKind kind = RadarFrameKind::Detections;
    uint32_t sequence = 0;
    uint64_t timestampUs = 0;  // since the start of the stream
    int64_t ticks = 0;         // QueryPerformanceCounter when produced or read
    // Of a playback only: the frame's time in it (CPlaybackTimeline), the seek generation it was
    // read in and the pass over the files it belongs to.
    uint64_t playbackUs = 0;
    uint32_t generation = 0;
    uint32_t pass = 0;
    std::vector<RadarPoint> points;
};
