#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "ReferenceFrame.h"
#include "SceneFixture.h"
#include "view/SectorGrid.h"

namespace {

struct RandomScene {
    explicit RandomScene(unsigned seed) : rng(seed) {
        auto real = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
        auto integer = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
        scene.SetClock([this] { return now; });
        SectorScene::Settings s;
        s.displayTime = std::vector<uint32_t>{0, 400, 2000}[integer(0, 2)];
        s.smoothCount = integer(1, 5);
        s.drawLocus = integer(0, 3) != 0;
        s.locusRadiusScale = real(0.2, 1.5);
        const double start = integer(0, 2) ? -180 : real(-180, -95);
        const double stop = integer(0, 2) ? 0 : real(-85, 0);
        scene.ApplySettings(integer(0, 1), start, stop, 15, integer(0, 25), real(0.5, 2.0), s);
        scene.SetGateRange(integer(0, 1) ? 0 : real(0, 8), integer(0, 1) ? 31 : real(12, 31), 32);
        const int w = integer(120, 360), h = integer(60, 260);
        scene.Layout(w, h);

        // Background: shaded plot with some pixels of partial or no alpha.
        background.assign(static_cast<size_t>(w) * h, SectorGrid::kBackground);
        for (uint32_t& p : background) {
            int pick = integer(0, 20);
            if (pick == 0) p = 0;
            if (pick == 1) p = (static_cast<uint32_t>(integer(1, 254)) << 24) | (rng() & 0xFFFFFF);
        }
        ShadeFan(background.data(), scene.Geometry());

        const RECT fan = scene.Geometry().fan;
        const int fw = fan.right - fan.left, fh = fan.bottom - fan.top;
        auto polygon = [&] {
            std::vector<AreaVertex> v(static_cast<size_t>(integer(3, 12)));
            for (AreaVertex& a : v) a = {integer(-fh / 4, fh + fh / 4), integer(-fw / 4, fw + fw / 4)};
            return v;
        };
        if (integer(0, 2) == 0) {
            auto v = polygon();
            scene.SetDetectArea(v.data(), static_cast<int>(v.size()));
        }
        for (int i = integer(0, 5); i > 0; --i) {
            auto v = polygon();
            scene.AddMonitorArea(v.data(), static_cast<int>(v.size()), rng() & 0xFFFFFF, rng() & 0xFFFFFF);
        }
        for (int i = integer(0, 5); i > 0; --i) {
            scene.AddMonitorPoint(real(0, 32), real(-180, 0), real(0.5, 2.5), L"", 0xFFFFFF, rng() & 0xFFFFFF,
                                  rng() & 0xFFFFFF);
        }
        // Tracks: a few targets walking for a while.
        const int ids = integer(1, 8);
        std::vector<ViewTarget> walkers;
        for (int i = 0; i < ids; ++i) walkers.push_back({i + 1, real(0, 31), real(-180, 0)});
        for (int frame = integer(1, 40); frame > 0; --frame) {
            now += integer(20, 150);
            std::vector<ViewTarget> reports;
            for (ViewTarget& t : walkers) {
                t.range += real(-0.8, 0.8);
                t.angle += real(-4, 4);
                if (integer(0, 4)) reports.push_back(t);
            }
            scene.UpdateTargets(reports);
        }
        now += integer(0, 2500);
    }

    std::mt19937 rng;
    uint32_t now = 50000;
    SectorScene scene;
    std::vector<uint32_t> background;
};

TEST(ComposeFrame, MatchesThePlainPerPixelFrameOnRandomScenes) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        RandomScene r(seed);
        const SectorGeometry& g = r.scene.Geometry();
        ASSERT_EQ(r.scene.AreaMap(), reference::AreaMap(r.scene)) << "seed " << seed;
        const std::vector<uint32_t> want = reference::Frame(r.scene, r.background);
        ASSERT_EQ(want.size(), static_cast<size_t>(g.width) * g.height) << "seed " << seed;
        std::vector<uint32_t> got(want.size(), 0x12345678);
        r.scene.ComposeFrame(r.background.data(), got.data());
        ASSERT_EQ(got, want) << "seed " << seed;
        // A second paint reuses what the first one kept and must not drift.
        std::fill(got.begin(), got.end(), 0);
        r.scene.ComposeFrame(r.background.data(), got.data());
        ASSERT_EQ(got, want) << "seed " << seed << ", second paint";
        // Time passes, the tracks fade, and areas follow targets that leave them.
        r.now += 700;
        r.scene.UpdateTargets({});
        r.scene.ComposeFrame(r.background.data(), got.data());
        ASSERT_EQ(got, reference::Frame(r.scene, r.background)) << "seed " << seed << ", later";
    }
}

// Composes the next frame over the last one with only the changed parts, checks that it equals
// the plain full frame of the same state and that every pixel that changed lies in a reported
// rectangle (the window shows only those). Returns the share of the plot reported.
double ComposeChangedAndCheck(SectorScene& scene, const std::vector<uint32_t>& background, std::vector<uint32_t>& frame,
                              const std::string& where) {
    const SectorGeometry& g = scene.Geometry();
    const std::vector<uint32_t> before = frame;
    std::vector<RECT> dirty;
    scene.ComposeChanged(background.data(), frame.data(), &dirty);
    if (scene.IsDimmed()) {
        // The plain reference knows no dimming: a whole composition of the same state stands in
        // (it leaves the scene where the changed one did).
        std::vector<uint32_t> whole(frame.size(), 0);
        scene.ComposeFrame(background.data(), whole.data());
        EXPECT_EQ(frame, whole) << where;
    } else {
        EXPECT_EQ(frame, reference::Frame(scene, background)) << where;
    }
    std::vector<uint8_t> shown(frame.size(), 0);
    for (const RECT& r : dirty) {
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= g.width && r.bottom <= g.height && r.left < r.right &&
                    r.top < r.bottom)
            << where;
        for (LONG y = std::max<LONG>(0, r.top); y < std::min<LONG>(g.height, r.bottom); ++y) {
            for (LONG x = std::max<LONG>(0, r.left); x < std::min<LONG>(g.width, r.right); ++x) {
                shown[static_cast<size_t>(y) * g.width + x] = 1;
            }
        }
    }
    size_t unshown = 0, reported = 0;
    for (size_t i = 0; i < frame.size(); ++i) {
        reported += shown[i];
        if (frame[i] != before[i] && !shown[i]) ++unshown;
    }
    EXPECT_EQ(unshown, 0u) << where << ": changed pixels outside the reported rectangles";
    return frame.empty() ? 0 : static_cast<double>(reported) / frame.size();
}

TEST(ComposeFrame, ChangedPartsMatchTheFullFrameThroughASequence) {
    for (unsigned seed = 1; seed <= 30; ++seed) {
        RandomScene r(seed);
        SectorScene& s = r.scene;
        std::mt19937 rng(seed * 7919);
        auto real = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
        std::vector<ViewTarget> walkers;
        for (int i = 0; i < 6; ++i) walkers.push_back({100 + i, real(0, 31), real(-180, 0)});
        std::vector<uint32_t> frame(r.background.size(), 0x12345678);
        ComposeChangedAndCheck(s, r.background, frame, "seed " + std::to_string(seed) + " first");
        for (int step = 0; step < 40; ++step) {
            const std::string where = "seed " + std::to_string(seed) + " frame " + std::to_string(step);
            // Mostly a frame period, now and then a gap long enough for tracks to fade or expire.
            r.now += step % 9 == 8 ? 2600 : std::uniform_int_distribution<int>(20, 400)(rng);
            std::vector<ViewTarget> reports;
            for (ViewTarget& t : walkers) {
                t.range = std::clamp(t.range + real(-1.5, 1.5), 0.0, 32.0);
                t.angle += real(-6, 6);
                if (rng() % 4) reports.push_back(t);
            }
            // Some frames bring no reports at all: only the fading changes.
            if (step % 5 == 4) reports.clear();
            s.UpdateTargets(reports);
            if (step == 20) s.SetDimmed(true);
            if (step == 25) s.SetDimmed(false);
            if (step == 30) s.BackgroundChanged();
            // Points come and go between frames without a whole repaint.
            if (step == 12 || step == 33) {
                s.AddMonitorPoint(real(0, 32), real(-180, 0), real(0.5, 2.5), L"", 0xFFFFFF, rng() & 0xFFFFFF,
                                  rng() & 0xFFFFFF);
            }
            if (step == 16) {
                // The same points in other colours: neither their count nor their places change.
                std::vector<MonitorPointEntry> points;
                s.ForEachMonitorPoint([&](const MonitorPointEntry& e) { points.push_back(e); });
                s.ClearMonitorPoints();
                for (const MonitorPointEntry& e : points) {
                    s.AddMonitorPoint(e.range, e.angle, e.radiusScale, L"", 0xFFFFFF, ~e.inactiveColour & 0xFFFFFF,
                                      ~e.activeColour & 0xFFFFFF);
                }
            }
            if (step == 24) s.ClearMonitorPoints();
            ComposeChangedAndCheck(s, r.background, frame, where);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

// A target walks into a monitor area and across a monitor point and leaves again: the area and
// the point change colour, the track fades out and expires, and between whole repaints only
// small parts of the plot are reported.
TEST(ComposeFrame, ChangedPartsFollowAreasAndPointsThatChangeState) {
    SectorScene::Settings settings;
    settings.displayTime = 1000;
    SceneFixture f(400, 220, settings);
    SectorScene& s = f.scene;
    const SectorGeometry& g = s.Geometry();
    const std::vector<uint32_t> bg(static_cast<size_t>(g.width) * g.height, 0xFF202020);
    int ax, ay;
    ASSERT_TRUE(g.RangeAngleToPixel(15, -90, &ax, &ay));
    // Vertices count from the fan's corner.
    const int fy = ay - (g.fan.top - g.plot.top), fx = ax - (g.fan.left - g.plot.left);
    const std::vector<AreaVertex> square{{fy - 15, fx - 15}, {fy - 15, fx + 15}, {fy + 15, fx + 15}, {fy + 15, fx - 15}};
    ASSERT_GE(s.AddMonitorArea(square.data(), 4, 0x0000FF, 0x00FF00), 0);
    s.AddMonitorPoint(15, -60, 1.5, L"", 0xFFFFFF, 0x808080, 0xFF0000);
    std::vector<uint32_t> frame(bg.size(), 0);
    EXPECT_GE(ComposeChangedAndCheck(s, bg, frame, "first"), 1.0);

    const uint32_t areaInactive = frame[static_cast<size_t>(ay + 10) * g.width + ax + 10];
    bool sawActiveArea = false, sawActivePoint = false;
    double largest = 0;
    int step = 0;
    for (double angle = -130; angle <= -40; angle += 3, ++step) {
        f.now += 60;
        f.Update({ViewTarget{1, 15.0, angle}});
        const double share = ComposeChangedAndCheck(s, bg, frame, "angle " + std::to_string(angle));
        largest = std::max(largest, share);
        sawActiveArea = sawActiveArea || frame[static_cast<size_t>(ay + 10) * g.width + ax + 10] != areaInactive;
        sawActivePoint = sawActivePoint || f.ActiveFlags() == std::vector<int>{1};
    }
    EXPECT_TRUE(sawActiveArea);
    EXPECT_TRUE(sawActivePoint);
    EXPECT_LT(largest, 0.5) << "a moving target should not repaint most of the plot";
    // The target left: the area and the point return to their colours, the track fades and expires.
    for (int i = 0; i < 30; ++i) {
        f.now += 100;
        f.Update({});
        ComposeChangedAndCheck(s, bg, frame, "fading " + std::to_string(i));
    }
    EXPECT_EQ(frame[static_cast<size_t>(ay + 10) * g.width + ax + 10], areaInactive);
    EXPECT_EQ(f.ActiveFlags(), std::vector<int>{0});
}

TEST(ComposeFrame, DiscsAreRedrawnAtTheNewSizeAfterALayoutChange) {
    RandomScene r(7);
    SectorScene& s = r.scene;
    for (int size : {90, 400, 150}) {
        s.Layout(size * 2, size);
        std::vector<uint32_t> bg(static_cast<size_t>(size) * size * 2, SectorGrid::kBackground);
        s.BackgroundChanged();
        std::vector<uint32_t> got(bg.size());
        s.ComposeFrame(bg.data(), got.data());
        ASSERT_EQ(got, reference::Frame(s, bg)) << size;
    }
}

TEST(ComposeFrame, NothingBeforeTheFirstLayout) {
    SectorScene s;
    std::vector<uint32_t> bg(16, 1), out(16, 7);
    s.ComposeFrame(bg.data(), out.data());
    EXPECT_EQ(out, std::vector<uint32_t>(16, 7));
}

// A view whose data stopped arriving dims its targets: the same pixels change, by about the
// dimmed share of what they changed before, and undimming gives back the very same frame.
TEST(ComposeFrame, DimmedTargetsStandOutLessAndComeBackUnchanged) {
    SceneFixture f(400, 200);
    f.Update({ViewTarget{1, 12.0, -80.0}, ViewTarget{2, 20.0, -120.0}});
    const std::vector<uint32_t> bg(400 * 200, 0xFF202020);
    std::vector<uint32_t> normal(bg.size()), dimmed(bg.size()), again(bg.size());
    f.scene.ComposeFrame(bg.data(), normal.data());
    f.scene.SetDimmed(true);
    f.scene.ComposeFrame(bg.data(), dimmed.data());
    f.scene.SetDimmed(false);
    f.scene.ComposeFrame(bg.data(), again.data());
    EXPECT_EQ(again, normal);
    auto change = [&](const std::vector<uint32_t>& frame) {
        double sum = 0;
        size_t pixels = 0;
        for (size_t i = 0; i < frame.size(); ++i) {
            if (frame[i] == bg[i]) continue;
            ++pixels;
            for (int shift : {0, 8, 16}) sum += std::abs(int((frame[i] >> shift) & 0xFF) - int((bg[i] >> shift) & 0xFF));
        }
        return std::make_pair(sum, pixels);
    };
    const auto [normalChange, normalPixels] = change(normal);
    const auto [dimmedChange, dimmedPixels] = change(dimmed);
    ASSERT_GT(normalPixels, 100u) << "the targets were not drawn";
    EXPECT_LE(dimmedPixels, normalPixels);
    const double share = dimmedChange / normalChange;
    EXPECT_NEAR(share, SectorScene::kDimPercent / 100.0, 0.05);
}

}  // namespace
