#pragma once
// Coverage of a track line, filled exactly as the common library's DrawGradualMultiLine fills it
// (same per-pixel arithmetic, same values), but visiting only the pixels near each segment instead
// of each segment's whole bounding box: a paint rasterises every track line anew.
#include <cstdint>
#include <utility>
#include <vector>

class TrackLineRaster {
public:
    // line: points in buffer coordinates; coverage: width x height bytes, max-combined.
    // Width and opacity fade linearly along the line from the given start values to 0.
    static void Draw(const std::vector<std::pair<int, int>>& line, double startWidth, double startOpacity, int width,
                     int height, uint8_t* coverage);
};
