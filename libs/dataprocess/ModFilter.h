// PC MOD, moving-object detection: keeps the points whose radial speed reaches the minimum
// moving speed, groups them into bodies and reports one object per body inside the detect
// bound. Frame by frame, no tracking: ids number the objects of a frame from 0.
#pragma once

#include <vector>

#include "DetectBound.h"
#include "RadarFrame.h"

class CModFilter {
public:
    void Configure(double minSpeedMps, double gateSizeMeters, int maxObjects);
    CDetectBound& Bound() { return bound_; }
    std::vector<RadarPoint> Process(const std::vector<RadarPoint>& points) const;

private:
    CDetectBound bound_;
    double minSpeed_ = 0.1;
    double gateSize_ = 0.25;
    int maxObjects_ = 8;
};
