#pragma once
// Coverage of a track line, filled exactly as the common library's DrawGradualMultiLine fills it
// (same per-pixel arithmetic, same values), but visiting only the pixels near each segment instead
// of each segment's whole bounding box, two at a time: a paint rasterises every track line anew.
#include <cstdint>
#include <utility>
#include <vector>

class TrackLineRaster {
public:
    // line: points in buffer coordinates; coverage: width x height bytes, max-combined.
    // Width and opacity fade linearly along the line from the given start values to 0.
    // rowFirst/rowLast (optional, height entries each) widen to take in every column of a row
    // whose coverage rose, so the caller visits only those.
    static void Draw(const std::vector<std::pair<int, int>>& line, double startWidth, double startOpacity, int width,
                     int height, uint8_t* coverage, int* rowFirst = nullptr, int* rowLast = nullptr);
};
