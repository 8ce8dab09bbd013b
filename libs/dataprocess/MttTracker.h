// PC MTT, multi-target tracking: groups the detection points of a frame into bodies (those
// inside the detect bound), associates them with tracks by nearest predicted position within the
// association gate, smooths positions with an alpha-beta filter and reports confirmed tracks
// with stable ids (1, 2, ... in order of birth). A track is reported once it was seen in
// confirmFrames frames and has moved at least 0.3 m, while it missed at most two frames; it is
// dropped after holdFrames frames without a detection. With clutter removal, points without
// Doppler (walls, furniture) are ignored. Velocity is the smoothed measured radial speed.
// Work per frame is bounded whatever the frame holds: points with NaN or infinite numbers are
// dropped and counted, at most kMaxTracks tracks are kept, and association looks at each
// track/body pair once.
#pragma once

#include <cstdint>
#include <vector>

#include "DetectBound.h"
#include "RadarFrame.h"

struct MttSettings {
    double gateSizeMeters = 0.25;
    double associationGateMeters = 1.0;
    double smoothing = 0.4;  // 0 follows measurements, towards 1 smooths more
    int confirmFrames = 3;
    int holdFrames = 10;
    int maxTargets = 8;
    bool removeStatic = true;  // the ClutterRemoval register
};

class CMttTracker {
public:
    void Configure(const MttSettings& settings);
    void Reset();
    CDetectBound& Bound() { return bound_; }
    // Reports at most maxTargets tracks (limit: 0 = the configured maxTargets), lowest ids first.
    std::vector<RadarPoint> Process(const std::vector<RadarPoint>& points, double dtSeconds, int limit = 0);
    // Points dropped so far because a number of theirs was NaN or infinite.
    uint64_t RejectedPoints() const { return rejected_; }
    size_t TrackCount() const { return tracks_.size(); }

    // More tracks than any scene the sensor can resolve; bodies beyond it start no track.
    static constexpr size_t kMaxTracks = 256;

private:
    struct Track {
        int64_t id;
        double x, y, vx, vy;
        double startX, startY;
        double doppler;
        int hits;
        int misses;
        bool moved;
        double snr;
    };

    MttSettings settings_;
    CDetectBound bound_;
    std::vector<Track> tracks_;
    int64_t nextId_ = 1;
    uint64_t rejected_ = 0;
};
