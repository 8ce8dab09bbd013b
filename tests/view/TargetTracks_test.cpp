#include <gtest/gtest.h>

#include <vector>

#include "SceneFixture.h"

namespace {

SectorScene::Settings WithSmooth(int smooth, uint32_t display = 2000) {
    SectorScene::Settings s;
    s.smoothCount = smooth;
    s.displayTime = display;
    return s;
}

TEST(TargetTracks, SmoothingAveragesTheNewestRawValuesOnly) {
    SceneFixture f(800, 400, WithSmooth(3));
    f.Update({{7, 10, -90}});
    f.Update({{7, 11, -80}});
    f.Update({{7, 12, -70}});
    auto tracks = f.Tracks();
    ASSERT_EQ(tracks.size(), 1u);
    const auto& p = tracks[0].points;
    ASSERT_EQ(p.size(), 3u);
    EXPECT_DOUBLE_EQ(p[0].smoothRange, 11.0);
    EXPECT_DOUBLE_EQ(p[0].smoothAngle, -80.0);
    EXPECT_DOUBLE_EQ(p[1].smoothRange, 10.5);
    EXPECT_DOUBLE_EQ(p[2].smoothRange, 10.0);
    EXPECT_DOUBLE_EQ(p[0].rawRange, 12.0);
}

TEST(TargetTracks, OrderDuplicatesAndTheHundredTrackLimit) {
    SceneFixture f;
    f.Update({{1, 5, -90}, {2, 6, -90}, {1, 7, -90}});
    auto tracks = f.Tracks();
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0].id, 1);  // updated last, so first
    ASSERT_EQ(tracks[0].points.size(), 2u);
    EXPECT_DOUBLE_EQ(tracks[0].points[0].rawRange, 7.0);

    SceneFixture g;
    std::vector<ViewTarget> many;
    for (int i = 0; i < 101; ++i) many.push_back({1000 + i, 10, -90});
    g.Update(many);
    tracks = g.Tracks();
    ASSERT_EQ(tracks.size(), 100u);
    EXPECT_EQ(tracks.front().id, 1100);
    EXPECT_EQ(tracks.back().id, 1001);  // the first report's track was pushed out
    // 64-bit ids are told apart by all their bits.
    SceneFixture h;
    h.Update({{0x100000001LL, 10, -90}, {1, 10, -90}});
    EXPECT_EQ(h.Tracks().size(), 2u);
}

TEST(TargetTracks, ReportsOutsideTheGateRangeOrAngleSpanAreIgnored) {
    struct Case {
        double range, angle;
        bool accepted;
    } cases[] = {
        {31.0, -90, true}, {31.0001, -90, false}, {10, 0, true},     {10, 0.0001, false},
        {10, -180, true},  {10, -180.01, false},  {-0.1, -90, false}, {0, -90, true},
    };
    for (const Case& c : cases) {
        SceneFixture f;
        f.Update({{1, c.range, c.angle}});
        EXPECT_EQ(f.Tracks().size(), c.accepted ? 1u : 0u) << c.range << " " << c.angle;
    }
}

TEST(TargetTracks, PointsAgeOutAndEmptyTracksGoAtTheNextUpdate) {
    SceneFixture f;
    const uint32_t t0 = f.now;
    f.Update({{1, 10, -90}});
    f.now = t0 + 1999;
    f.Update({});
    ASSERT_EQ(f.Tracks().size(), 1u);
    EXPECT_EQ(f.Tracks()[0].points.size(), 1u);
    f.now = t0 + 2000;
    f.Update({});
    ASSERT_EQ(f.Tracks().size(), 1u);
    EXPECT_EQ(f.Tracks()[0].points.size(), 0u);
    f.now = t0 + 2001;
    f.Update({});
    EXPECT_EQ(f.Tracks().size(), 0u);

    SceneFixture zero(800, 400, WithSmooth(1, 0));
    zero.Update({{1, 10, -90}});
    zero.Update({});
    ASSERT_EQ(zero.Tracks().size(), 1u);
    EXPECT_EQ(zero.Tracks()[0].points.size(), 0u);

    // Across the wrap of the millisecond clock.
    SceneFixture wrap;
    wrap.now = 0xFFFFFF00u;
    wrap.Update({{1, 10, -90}});
    wrap.now = 0x00000100u;  // 512 ms later
    wrap.Update({});
    EXPECT_EQ(wrap.Tracks()[0].points.size(), 1u);
}

TEST(TargetTracks, DetectAreaFiltersReports) {
    SceneFixture f;
    // Left half of the fan rectangle (800 x 400 at the plot's corner).
    const AreaVertex left[] = {{0, 0}, {0, 399}, {399, 399}, {399, 0}};
    f.scene.SetDetectArea(left, 4);
    f.Update({{1, 10, -135}, {2, 10, -45}});
    auto tracks = f.Tracks();
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks[0].id, 1);
    f.scene.ClearDetectArea();
    f.Update({{2, 10, -45}});
    EXPECT_EQ(f.Tracks().size(), 2u);
}

TEST(TargetTracks, MonitorPointsTurnActiveNearANewestPoint) {
    struct Case {
        double pointScale, reportRange;
        int active;
    } cases[] = {{1.0, 10.9, 1}, {1.0, 11.1, 0}, {2.0, 11.4, 1}, {2.0, 11.6, 0}, {1.0, 8.9, 0}, {1.0, 9.2, 1}};
    for (const Case& c : cases) {
        SceneFixture f;
        f.scene.AddMonitorPoint(10, -90, c.pointScale, L"1", 0xFFFFFF, 0xFFFF00, 0x54DC);
        f.scene.AddMonitorPoint(20, -30, 1.0, L"2", 0xFFFFFF, 0xFFFF00, 0x54DC);
        f.Update({{1, c.reportRange, -90}});
        EXPECT_EQ(f.ActiveFlags(), (std::vector<int>{c.active, 0})) << c.pointScale << " " << c.reportRange;
        f.Update({});  // every update starts with all points inactive
        EXPECT_EQ(f.ActiveFlags(), (std::vector<int>{0, 0}));
    }
}

TEST(TargetTracks, DiscsFollowTheDotRadiusAndClearRemovesAll) {
    SceneFixture f;
    f.Update({{1, 10, -90}, {2, 12, -60}});
    for (const auto& t : f.Tracks()) EXPECT_EQ(t.discRadius, 10);
    f.scene.Layout(1600, 800);
    EXPECT_EQ(f.scene.Geometry().dotRadius, 20);
    for (const auto& t : f.Tracks()) EXPECT_EQ(t.discRadius, 20);
    f.scene.ClearTargets();
    EXPECT_EQ(f.scene.TrackCount(), 0);
}

}  // namespace
