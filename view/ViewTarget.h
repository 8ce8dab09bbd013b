#pragma once
// One reported target as the detection pipeline hands it to the target view.
#include <cstdint>

struct ViewTarget {
    int64_t id = 0;      // the radar library's target id
    double range = 0.0;  // in range gates
    double angle = 0.0;  // view angle in degrees: calibrated angle minus 90
};
