#pragma once
// One position of a target track.
#include <cstdint>

struct TrackPoint {
    double rawRange = 0.0;
    double rawAngle = 0.0;
    double smoothRange = 0.0;
    double smoothAngle = 0.0;
    uint32_t time = 0;  // MS_GetTime at the update that brought the point
};
