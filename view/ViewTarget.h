#pragma once
// What the target view takes from a delivery and gives back: its public types, the only part of
// the view that the detection path and the zone replay see.
#include <cstdint>
#include <span>
#include <vector>

// One reported target as the detection path hands it to the target view.
struct ViewTarget {
    int64_t id = 0;      // the radar library's target id
    double range = 0.0;  // in range gates
    double angle = 0.0;  // view angle in degrees: calibrated angle minus 90
};

// What an accepted report left: the track's id, its newest (smoothed) position, the area slots
// under that position (by the same test that turns an area to its active colour), and the
// position of the report in the targets handed in.
struct TrackMembership {
    int64_t id = 0;
    double range = 0;
    double angle = 0;
    uint32_t areas = 0;
    int index = 0;
};

// Where a delivery's targets go: the view's track store, or a scene without a window.
class ITargetView {
public:
    virtual ~ITargetView() = default;
    // Radar library's thread. accepted (optional) receives one entry per report that extended a
    // track, in report order.
    virtual void UpdateTargets(std::span<const ViewTarget> targets, std::vector<TrackMembership>* accepted) = 0;
};
