#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ReferenceFrame.h"
#include "SceneFixture.h"
#include "view/AreaMapBuilder.h"
#include "view/SectorGrid.h"

namespace {

const AreaVertex kTriangle[] = {{10, 20}, {10, 80}, {60, 50}};

TEST(AreaOverlays, SlotsFillInOrderUpToThirtyOne) {
    SceneFixture f;
    for (int k = 1; k <= 31; ++k) EXPECT_EQ(f.scene.AddMonitorArea(kTriangle, 3, 0xFFFF00, 0x54DC), k);
    EXPECT_EQ(f.scene.AddMonitorArea(kTriangle, 3, 0xFFFF00, 0x54DC), -1);
    EXPECT_EQ(f.scene.AddMonitorArea(kTriangle, 2, 0xFFFF00, 0x54DC), -1);
    f.scene.ClearMonitorAreas();
    for (int k = 1; k < 32; ++k) EXPECT_FALSE(f.scene.Slot(k).used);
    EXPECT_EQ(f.scene.AddMonitorArea(kTriangle, 3, 0xFFFF00, 0x54DC), 1);
    EXPECT_EQ(f.scene.Slot(1).inactiveColour, 0x00FFFFu);  // red and blue swapped
    EXPECT_EQ(f.scene.Slot(1).activeColour, 0xDC5400u);
}

TEST(AreaOverlays, VerticesAreStoredInPlotCoordinates) {
    SceneFixture f(800, 500);
    const AreaVertex v[] = {{10, 20}, {10, 80}, {60, 50}};
    f.scene.SetDetectArea(v, 3);
    const AreaSlot& s = f.scene.Slot(0);
    ASSERT_TRUE(s.used);
    EXPECT_EQ(s.vertices[0].row, 60);
    EXPECT_EQ(s.vertices[0].column, 20);
    EXPECT_EQ(s.inactiveColour, kDetectAreaColour);
    EXPECT_EQ(s.activeColour, kDetectAreaColour);
    // A refused replacement still removes the old polygon, from the slot and from the map.
    f.scene.SetDetectArea(v, 2);
    EXPECT_FALSE(f.scene.Slot(0).used);
    for (uint32_t word : f.scene.AreaMap()) ASSERT_EQ(word, 0u);
}

TEST(AreaOverlays, SpanFillingHasTheMembershipOfThePolygonTest) {
    std::mt19937 rng(12345);
    auto integer = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    const int w = 97, h = 61;
    for (int round = 0; round < 300; ++round) {
        std::vector<AreaVertex> v(static_cast<size_t>(integer(3, 14)));
        const int spread = round % 3 == 0 ? 8 : 40;  // small grids give many collinear and repeated points
        for (AreaVertex& a : v) a = {integer(-spread / 2, h + spread) % (h + 20), integer(-spread, w + spread)};
        if (round % 5 == 0) v.push_back(v.back());  // a repeated vertex
        std::vector<uint32_t> map(static_cast<size_t>(w) * h, 0);
        AreaMapBuilder::FillPolygon(v.data(), static_cast<int>(v.size()), w, h, 1u, map.data());
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                bool want = IsPointInPolygonSides(y, x, v.data(), static_cast<int>(v.size())) >= 0;
                ASSERT_EQ(map[static_cast<size_t>(y) * w + x] != 0, want) << "round " << round << " at " << x << "," << y;
            }
        }
    }
}

TEST(AreaOverlays, HigherSlotsLieOverLowerOnesAndAreasIgnoreTheFan) {
    SceneFixture f;
    const AreaVertex a[] = {{0, 0}, {0, 100}, {100, 100}, {100, 0}};
    const AreaVertex b[] = {{50, 50}, {50, 150}, {150, 150}, {150, 50}};
    ASSERT_EQ(f.scene.AddMonitorArea(a, 4, 0x0000FF, 0x00FF00), 1);
    ASSERT_EQ(f.scene.AddMonitorArea(b, 4, 0xFF0000, 0x00FF00), 2);
    std::vector<uint32_t> bg(800 * 400, SectorGrid::kBackground), out(800 * 400);
    f.scene.ComposeFrame(bg.data(), out.data());
    using pixelmath::BlendArea;
    const uint32_t red = 0xFF0000, blue = 0x0000FF;
    EXPECT_EQ(out[10 * 800 + 10], BlendArea(SectorGrid::kBackground, red));  // corner, outside the fan
    EXPECT_EQ(out[75 * 800 + 75], BlendArea(BlendArea(SectorGrid::kBackground, red), blue));
    EXPECT_EQ(out[120 * 800 + 120], BlendArea(SectorGrid::kBackground, blue));
    EXPECT_EQ(out[200 * 800 + 200], SectorGrid::kBackground);
}

TEST(AreaOverlays, AnAreaShowsItsActiveColourWhileANewestPointIsInside) {
    SceneFixture f;
    // Around the boresight at gates 8 to 16 (rows 199 to 299).
    const AreaVertex box[] = {{190, 380}, {190, 420}, {310, 420}, {310, 380}};
    ASSERT_EQ(f.scene.AddMonitorArea(box, 4, 0x0000FF, 0x00FF00), 1);
    std::vector<uint32_t> bg(800 * 400, SectorGrid::kBackground), out(800 * 400);
    auto cornerPixel = [&] {
        f.scene.ComposeFrame(bg.data(), out.data());
        return out[192 * 800 + 382];  // inside the box, away from the disc
    };
    const uint32_t inactive = pixelmath::BlendArea(SectorGrid::kBackground, 0xFF0000);
    const uint32_t active = pixelmath::BlendArea(SectorGrid::kBackground, 0x00FF00);
    EXPECT_EQ(cornerPixel(), inactive);
    f.Update({{1, 12, -90}});
    EXPECT_EQ(cornerPixel(), active);
    f.now += 1500;  // fading, still the newest point
    f.Update({});
    EXPECT_EQ(cornerPixel(), active);
    f.Update({{1, 25, -90}});  // moved out
    EXPECT_EQ(cornerPixel(), inactive);
    f.Update({{1, 12, -90}});
    f.scene.ClearTargets();
    EXPECT_EQ(cornerPixel(), inactive);
}

TEST(AreaOverlays, MonitorPointsAreClippedToTheFanAndShowTheActiveImage) {
    SceneFixture f;
    f.scene.AddMonitorPoint(0.2, -90, 1.0, L"", 0, 0x0000FF, 0x00FF00);  // at the origin
    std::vector<uint32_t> bg(800 * 400, SectorGrid::kBackground), out(800 * 400);
    f.scene.ComposeFrame(bg.data(), out.data());
    EXPECT_EQ(out[396 * 800 + 399], 0xFFFF0000u);               // inside the fan: the marker, red
    EXPECT_EQ(out[399 * 800 + 399], SectorGrid::kBackground);  // the origin is outside the mask
    f.Update({{1, 0.5, -90}});
    f.scene.ComposeFrame(bg.data(), out.data());
    EXPECT_EQ(out[390 * 800 + 399], 0xFF00FF00u);  // active: green, over the target's disc
}

}  // namespace
