#pragma once
// A polygon vertex of an overlay: row, then column, in pixels from the top-left corner of the
// target view's fan rectangle. The same order is used in memory, in appConfig.xml and when
// vertices are handed to the view.
#include <cstdint>

struct AreaVertex {
    int32_t row = 0;
    int32_t column = 0;

    friend bool operator==(const AreaVertex&, const AreaVertex&) = default;
};

// What a polygon being captured with the mouse will become.
enum CaptureMode : int32_t {
    CaptureNone = 0,
    CaptureLightArea = 1,
    CaptureDetectArea = 2,
};

// A polygon needs three corners to cover anything.
constexpr int kMinPolygonVertices = 3;
