// PC MOD, moving-object detection: keeps the points whose radial speed reaches the minimum
// moving speed, groups them into bodies and reports one object per body inside the detect
// bound. Frame by frame, no tracking: ids number the objects of a frame from 0.
#pragma once

#include <cstdint>
#include <vector>

#include "DetectBound.h"
#include "RadarFrame.h"

class CModFilter {
public:
    void Configure(double minSpeedMps, double gateSizeMeters, int maxObjects);
    CDetectBound& Bound() { return bound_; }
    std::vector<RadarPoint> Process(const std::vector<RadarPoint>& points);
    // Points dropped so far because a number of theirs was NaN or infinite.
    uint64_t RejectedPoints() const { return rejected_; }

private:
    CDetectBound bound_;
    double minSpeed_ = 0.1;
    double gateSize_ = 0.25;
    int maxObjects_ = 8;
    uint64_t rejected_ = 0;
};
