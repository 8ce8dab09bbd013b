#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// The filler's pixels, the slot-0 bit plane and the row extents must all agree with the polygon
// test, for outlines of every kind: few vertices on small grids (many collinear and repeated
// points), spiky stars whose rows cross many edges, and outlines reaching past every side.
TEST(AreaOverlays, SpanFillingHasTheMembershipOfThePolygonTest) {
    std::mt19937 rng(12345);
    auto integer = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    const int w = 131, h = 61;  // more than two bit-plane words per row
    enum Shape { kRandom, kStar, kBeyond };
    struct Kind {
        const char* name;
        Shape shape;
        int rounds;
    } kinds[] = {{"random", kRandom, 300}, {"star", kStar, 60}, {"beyond the edges", kBeyond, 60}};
    for (const Kind& kind : kinds) {
        for (int round = 0; round < kind.rounds; ++round) {
            std::vector<AreaVertex> v;
            if (kind.shape == kRandom) {
                v.resize(static_cast<size_t>(integer(3, 14)));
                const int spread = round % 3 == 0 ? 8 : 40;
                for (AreaVertex& a : v) a = {integer(-spread / 2, h + spread) % (h + 20), integer(-spread, w + spread)};
            } else {
                // A star around a centre: every vertex at a random distance, so rows cross many
                // edges; the far kind puts the centre near or past a border.
                const int n = integer(20, 300);
                const double cx = kind.shape == kStar ? integer(20, w - 20) : integer(-20, w + 20);
                const double cy = kind.shape == kStar ? integer(15, h - 15) : integer(-20, h + 20);
                const double radius = kind.shape == kStar ? integer(10, 40) : integer(30, 120);
                for (int i = 0; i < n; ++i) {
                    const double angle = 2 * 3.141592653589793 * i / n;
                    const double r = radius * std::uniform_real_distribution<double>(0.2, 1.0)(rng);
                    v.push_back({static_cast<int32_t>(std::lround(cy + std::sin(angle) * r)),
                                 static_cast<int32_t>(std::lround(cx + std::cos(angle) * r))});
                }
            }
            if (round % 5 == 0) v.push_back(v.back());  // a repeated vertex
            std::vector<uint32_t> map(static_cast<size_t>(w) * h, 0);
            std::vector<int> first(static_cast<size_t>(h), w), last(static_cast<size_t>(h), -1);
            const size_t words = (w + 63) / 64;
            std::vector<uint64_t> plane(words * h, 0);
            AreaMapBuilder::FillPolygon(v.data(), static_cast<int>(v.size()), w, h, 4u, map.data(), first.data(),
                                        last.data(), plane.data());
            for (int y = 0; y < h; ++y) {
                int wantFirst = w, wantLast = -1;
                for (int x = 0; x < w; ++x) {
                    const bool want = IsPointInPolygonSides(y, x, v.data(), static_cast<int>(v.size())) >= 0;
                    if (want) wantFirst = std::min(wantFirst, x), wantLast = x;
                    ASSERT_EQ(map[static_cast<size_t>(y) * w + x], want ? 4u : 0u)
                        << kind.name << ", round " << round << " at " << x << "," << y;
                    ASSERT_EQ((plane[words * y + x / 64] >> (x % 64)) & 1, want ? 1u : 0u)
                        << kind.name << ", round " << round << " bit plane at " << x << "," << y;
                }
                ASSERT_EQ(first[y], wantFirst) << kind.name << ", round " << round << " row " << y;
                ASSERT_EQ(last[y], wantLast) << kind.name << ", round " << round << " row " << y;
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

TEST(AreaOverlays, TheCountOfTargetsInsideStandsAboveTheArea) {
    SceneFixture f;
    const AreaVertex box[] = {{190, 380}, {190, 420}, {310, 420}, {310, 380}};
    ASSERT_EQ(f.scene.AddMonitorArea(box, 4, 0x0000FF, 0x00FF00), 1);
    std::vector<uint32_t> bg(800 * 400, SectorGrid::kBackground), out(800 * 400);
    // The figure's top-left corner is 12 rows above the area's: a "1" has ink only in its middle
    // column on the top row, a "2" across the whole row.
    auto compose = [&] {
        f.scene.ComposeFrame(bg.data(), out.data());
        return std::make_pair(out[178 * 800 + 380], out[178 * 800 + 382]);
    };
    EXPECT_EQ(compose(), std::make_pair(SectorGrid::kBackground, SectorGrid::kBackground));
    f.Update({{1, 12, -90}, {2, 25, -90}});  // one inside, one beyond the area
    EXPECT_EQ(compose(), std::make_pair(SectorGrid::kBackground, 0xFFFFFFFFu));
    f.Update({{2, 14, -90}});
    EXPECT_EQ(compose(), std::make_pair(0xFFFFFFFFu, 0xFFFFFFFFu));
    f.scene.ClearTargets();
    EXPECT_EQ(compose(), std::make_pair(SectorGrid::kBackground, SectorGrid::kBackground));
}

TEST(AreaOverlays, AcceptedReportsCarryTheAreasThatTurnActive) {
    SceneFixture f;
    const AreaVertex box[] = {{190, 380}, {190, 420}, {310, 420}, {310, 380}};
    const AreaVertex wide[] = {{100, 300}, {100, 500}, {260, 500}, {260, 300}};
    ASSERT_EQ(f.scene.AddMonitorArea(box, 4, 0x0000FF, 0x00FF00), 1);
    ASSERT_EQ(f.scene.AddMonitorArea(wide, 4, 0x0000FF, 0x00FF00), 2);
    // Gate g lies on row 399 - 12.5 g: the detect area keeps gates up to about 24.
    const AreaVertex detect[] = {{100, 0}, {100, 799}, {399, 799}, {399, 0}};
    f.scene.SetDetectArea(detect, 4);
    std::vector<ViewTarget> targets = {{1, 12, -90}, {2, 6, -90}, {3, 30, -90}, {4, 20, -90}};
    std::vector<TrackMembership> accepted;
    f.scene.UpdateTargets(targets, &accepted);
    ASSERT_EQ(accepted.size(), 3u);  // gate 30 lies beyond the detect area
    EXPECT_EQ(accepted[0].id, 1);
    EXPECT_EQ(accepted[0].areas, 1u | 2u | 4u);  // the detect area, the box and the wide area
    EXPECT_EQ(accepted[1].id, 2);
    EXPECT_EQ(accepted[1].areas, 1u);
    EXPECT_EQ(accepted[2].id, 4);
    EXPECT_EQ(accepted[2].areas, 1u | 4u);
    EXPECT_DOUBLE_EQ(accepted[2].range, 20.0);
    EXPECT_DOUBLE_EQ(accepted[2].angle, -90.0);
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
