#pragma once
// Polygon vertices of the overlays (row, then column, fan-relative; the struct is shared with the
// target view) and what a polygon captured with the mouse will become.
#include <cstdint>

#include "view/AreaVertex.h"

enum CaptureMode : int32_t {
    CaptureNone = 0,
    CaptureLightArea = 1,
    CaptureDetectArea = 2,
};

// A polygon needs three corners to cover anything.
constexpr int kMinPolygonVertices = 3;
