#include "view/SectorGrid.h"

#include <cmath>

#include "view/PixelMath.h"

SectorGrid SectorGrid::Build(const SectorGeometry& g) {
    SectorGrid grid;
    const double r = g.radius;
    const int cx = g.Cx(), oy = g.Oy();
    grid.baseX0 = static_cast<int>((g.width - 2 * r) * 0.5);
    grid.baseX1 = g.width - grid.baseX0 - 1;
    grid.baseY = oy;

    const int n = g.RingCount();
    const float angle = g.topViewMode ? -180.0f : 180.0f;
    // Each ring is an anti-aliased arc over the fan: rings a fraction of a pixel apart show as one
    // band and a thousand of them take seconds to draw at every redraw of the background.
    double drawn = 0.0;
    for (int i = 1; i <= n; ++i) {
        double ri = i * r / n;
        if (i < n && ri - drawn < kMinRingSpacing - 1e-9) continue;
        drawn = ri;
        grid.rings.push_back(GridArc{static_cast<float>(cx - ri), static_cast<float>(oy - ri),
                                     static_cast<float>(2 * ri), static_cast<float>(2 * ri), angle, angle,
                                     i == n});
    }

    if (g.angleStep > 0) {
        // A step too small to count is no grid at all, not an endless loop.
        double count = std::round(180 / g.angleStep);
        int k = count < 100000 ? static_cast<int>(count) : 0;
        for (int i = 1; i <= k - 1; ++i) {
            double a = i * g.angleStep - 180;
            double theta = g.topViewMode ? -360 - a : a;
            theta = theta * SectorGeometry::kPi / 180;
            grid.radials.push_back(GridLine{static_cast<float>(cx), static_cast<float>(oy),
                                            static_cast<float>(std::cos(theta) * r + cx),
                                            static_cast<float>(std::sin(theta) * r + oy), a});
        }
    }
    return grid;
}

void ShadeFan(uint32_t* pixels, const SectorGeometry& g) {
    if (!pixels || g.width <= 0 || g.height <= 0 || g.gateCount <= 0 || !(g.radius > 0)) return;
    const double inner = g.InnerRadius(), outer = g.OuterRadius();
    const double half = std::fabs((g.angleStop - g.angleStart) * 0.5);
    const double r = g.radius;
    const int cx = g.Cx(), oy = g.Oy();
    for (int y = 0; y < g.height; ++y) {
        const int dy = y - oy;
        uint32_t* row = pixels + static_cast<size_t>(y) * g.width;
        for (int x = 0; x < g.width; ++x) {
            const int dx = x - cx;
            double d = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
            if (d > r) continue;
            double a = g.PixelAngle(dx, dy);
            if (a < g.angleStart || a > g.angleStop) continue;
            const uint32_t c = (inner < d && d < outer) ? kInRangeShade : kOutOfRangeShade;
            // A span of a single angle has no width to spread the shading over: full strength.
            double wd = half > 0 ? std::fabs(a + 90) * 255 / half : 255.0;
            int w = static_cast<int>(std::min(wd, 1e6));
            int v = static_cast<int>((r - d) * (-255) / r);
            int t = (w - v) / 2;
            int e = std::min(t * static_cast<int>(pixelmath::Alpha(c)) / 255, 255);
            row[x] = pixelmath::ShadePixel(row[x], c, e);
        }
    }
}
