#pragma once
// The static grid of the view as drawing primitives: the base line, the range rings and the
// radial lines. The window draws them anti-aliased; the counts and positions live here.
#include <vector>

#include "view/SectorGeometry.h"

struct GridArc {
    float x, y, w, h;  // bounding box of the full ellipse
    float start, sweep;
    bool edgePen;
};

struct GridLine {
    float x1, y1, x2, y2;
    double angle;  // view angle of a radial line, degrees
};

class SectorGrid {
public:
    // Base line along row oy, integer coordinates, edge pen.
    int baseX0 = 0, baseX1 = 0, baseY = 0;
    std::vector<GridArc> rings;
    std::vector<GridLine> radials;  // edge pen

    static SectorGrid Build(const SectorGeometry& g);

    static constexpr uint32_t kBackground = 0xFF2A323C;
    static constexpr uint32_t kRingPen = 0xFF6393AF;
    static constexpr uint32_t kEdgePen = 0xFF7CBEE3;
    static constexpr float kRingPenWidth = 1.0f;
    static constexpr float kEdgePenWidth = 2.0f;
    // Rings nearer than this (pixels) to the last ring drawn are left out; the edge ring stays.
    static constexpr double kMinRingSpacing = 4.0;
};

// The fan shading over the background cache (width x height pixels of g).
void ShadeFan(uint32_t* pixels, const SectorGeometry& g);
constexpr uint32_t kInRangeShade = 0xFF71ABCC;
constexpr uint32_t kOutOfRangeShade = 0xFFE55778;
