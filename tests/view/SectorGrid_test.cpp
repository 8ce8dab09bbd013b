#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "view/PixelMath.h"
#include "view/SectorGrid.h"

namespace {

SectorGeometry Geometry800x400(double step = 15, int top = 0) {
    SectorGeometry g;
    g.topViewMode = top;
    g.angleStep = step;
    g.SetGateRange(0, 31, 32);
    g.Layout(800, 400);
    return g;
}

TEST(SectorGrid, TwentyRingsTheLastInTheEdgePen) {
    SectorGrid grid = SectorGrid::Build(Geometry800x400());
    ASSERT_EQ(grid.rings.size(), 20u);
    for (size_t i = 0; i < grid.rings.size(); ++i) {
        const GridArc& a = grid.rings[i];
        float r = 20.0f * (i + 1);
        EXPECT_FLOAT_EQ(a.w, 2 * r);
        EXPECT_FLOAT_EQ(a.x, 399 - r);
        EXPECT_FLOAT_EQ(a.y, 399 - r);
        EXPECT_FLOAT_EQ(a.start, 180);
        EXPECT_FLOAT_EQ(a.sweep, 180);
        EXPECT_EQ(a.edgePen, i == 19);
    }
    EXPECT_EQ(grid.baseX0, 0);
    EXPECT_EQ(grid.baseX1, 799);
    EXPECT_EQ(grid.baseY, 399);
    SectorGrid top = SectorGrid::Build(Geometry800x400(15, 1));
    EXPECT_FLOAT_EQ(top.rings[0].start, -180);
    EXPECT_FLOAT_EQ(top.rings[0].sweep, -180);
    EXPECT_EQ(top.baseY, 0);
}

TEST(SectorGrid, RingsTooCloseToTellApartAreLeftOut) {
    // Each ring is an anti-aliased arc over the whole fan: a thousand of them, a fraction of a
    // pixel apart, show as one band and take many seconds to draw. Only rings at least 4 pixels
    // outside the last one drawn are drawn; each stays at its own range, the last is the edge.
    constexpr double kSpacing = 4.0;
    const struct {
        int w, h, rings;
        size_t expected;  // every ring while they are far enough apart
    } cases[] = {{800, 400, 20, 20}, {800, 400, 100, 100}, {800, 400, 101, 0}, {800, 400, 1000, 0},
                 {1600, 800, 1000, 0}, {64, 32, 1000, 0}, {3, 2, 1000, 0}};
    for (const auto& c : cases) {
        SectorGeometry g = Geometry800x400();
        g.sectorCount = c.rings;
        g.Layout(c.w, c.h);
        const SectorGrid grid = SectorGrid::Build(g);
        const double r = g.radius;
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + ", " + std::to_string(c.rings) + " rings");
        if (c.expected) {
            EXPECT_EQ(grid.rings.size(), c.expected);
        }
        ASSERT_FALSE(grid.rings.empty());
        EXPECT_LE(grid.rings.size(), static_cast<size_t>(r / kSpacing) + 1);
        double last = 0;
        for (size_t i = 0; i < grid.rings.size(); ++i) {
            const GridArc& a = grid.rings[i];
            const double ri = a.w / 2.0;
            // At a ring's own range: a whole number of ring steps from the origin.
            const double steps = ri * c.rings / r;
            EXPECT_NEAR(steps, std::round(steps), 1e-3) << "ring " << i;
            if (i + 1 < grid.rings.size()) {
                EXPECT_GE(ri - last, kSpacing - 1e-3) << "ring " << i;
                EXPECT_FALSE(a.edgePen) << "ring " << i;
            }
            last = ri;
        }
        EXPECT_TRUE(grid.rings.back().edgePen);
        EXPECT_NEAR(grid.rings.back().w, 2 * r, 1e-3);
    }
}

TEST(SectorGrid, RingCountFallsBackToGateCount) {
    SectorGeometry g = Geometry800x400();
    g.sectorCount = 0;
    EXPECT_EQ(SectorGrid::Build(g).rings.size(), 32u);
}

TEST(SectorGrid, RadialLinesPerAngleStep) {
    struct Case {
        double step;
        size_t lines;
        double first, last;
    } cases[] = {{10, 17, -170, -10}, {7, 25, -173, -5}, {15, 11, -165, -15}, {0, 0, 0, 0}, {180, 0, 0, 0}};
    for (const Case& c : cases) {
        SectorGrid grid = SectorGrid::Build(Geometry800x400(c.step));
        ASSERT_EQ(grid.radials.size(), c.lines) << c.step;
        EXPECT_EQ(grid.rings.size(), 20u);
        if (c.lines == 0) continue;
        EXPECT_DOUBLE_EQ(grid.radials.front().angle, c.first);
        EXPECT_DOUBLE_EQ(grid.radials.back().angle, c.last);
    }
    // The line at -90 runs from the origin straight up to the rim.
    SectorGrid grid = SectorGrid::Build(Geometry800x400(10));
    const GridLine& up = grid.radials[8];
    EXPECT_DOUBLE_EQ(up.angle, -90);
    EXPECT_NEAR(up.x2, 399, 1e-3);
    EXPECT_NEAR(up.y2, -1, 1e-3);
}

class ShadeFanTest : public testing::Test {
protected:
    std::vector<uint32_t> Shade(const SectorGeometry& g, uint32_t fill = SectorGrid::kBackground) {
        std::vector<uint32_t> px(static_cast<size_t>(g.width) * g.height, fill);
        ShadeFan(px.data(), g);
        return px;
    }
    static uint32_t At(const std::vector<uint32_t>& px, int x, int y) { return px[static_cast<size_t>(y) * 800 + x]; }
};

TEST_F(ShadeFanTest, RimAndOrigin) {
    auto px = Shade(Geometry800x400());
    const uint32_t bg = SectorGrid::kBackground;
    EXPECT_EQ(At(px, 399, 0), bg);  // boresight at the rim: w = 0, v = 0
    // Next to the origin on the boresight: v = -254, E = 127.
    EXPECT_EQ(At(px, 399, 398), pixelmath::ShadePixel(bg, kInRangeShade, 127));
    EXPECT_EQ(At(px, 399, 398), 0xFF4D6E83u);
    // Next to the origin at the side: w = 255, E = 254.
    EXPECT_EQ(At(px, 400, 399), pixelmath::ShadePixel(bg, kInRangeShade, 254));
    // The origin is outside the gate range (d = 0 is not above inner) and gets full weight.
    EXPECT_EQ(At(px, 399, 399), kOutOfRangeShade);
    EXPECT_EQ(At(px, 0, 0), bg);  // beyond R
}

TEST_F(ShadeFanTest, SpanGateRangeAndTransparentPixels) {
    SectorGeometry g = Geometry800x400();
    g.angleStart = -150;
    g.angleStop = -30;
    g.SetGateRange(10, 20, 32);
    auto px = Shade(g);
    EXPECT_EQ(At(px, 450, 399), SectorGrid::kBackground);  // base line is outside the span
    // Boresight at d = 300, beyond gate 20: out of range, w = 0, v = -63, E = 31.
    EXPECT_EQ(At(px, 399, 99), pixelmath::ShadePixel(SectorGrid::kBackground, kOutOfRangeShade, 31));
    // A pixel whose alpha the grid drawing cleared takes E as its alpha.
    auto clear = Shade(Geometry800x400(), 0x00000000);
    EXPECT_EQ(At(clear, 399, 398), 0x7F71ABCCu);
}

}  // namespace
