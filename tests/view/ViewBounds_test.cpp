#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "SceneFixture.h"

namespace {

// Every view size, ring count and scale the console accepts (ObjectWnd_SectorCount 1 to 1000,
// ObjectWnd_RadiusScale and ObjectWnd_LocusRadiusScale 0 to 100) must give discs, markers and
// track lines that fit the plot, and a frame must compose with targets near and far.
struct ViewCase {
    int w, h, sectorCount;
    double radiusScale, locusScale;
    std::string Name() const {
        return std::to_string(w) + "x" + std::to_string(h) + " rings " + std::to_string(sectorCount) + " scale " +
               std::to_string(radiusScale) + " locus " + std::to_string(locusScale);
    }
};

constexpr uint32_t kBackground = 0xFF000000u;
constexpr double kMarkerScales[] = {0.0, 1.0, 100.0};

// The side of a square image of radius r may not exceed the fan's width nor the plot's height
// (a fan of no width still holds a one-pixel marker, which draws nothing outside its mask).
bool ExpectFits(const SectorGeometry& g, int64_t radius, const char* what) {
    const int64_t side = 2 * radius + 1;
    const int64_t fanWidth = g.fan.right - g.fan.left;
    EXPECT_GE(radius, 0) << what;
    EXPECT_LE(side, std::max<int64_t>(1, fanWidth)) << what << " wider than the fan";
    EXPECT_LE(side, std::max<int64_t>(1, g.height)) << what << " taller than the plot";
    return radius >= 0 && side <= std::max<int64_t>(1, fanWidth) && side <= std::max<int64_t>(1, g.height);
}

void CheckCase(const ViewCase& c) {
    SCOPED_TRACE(c.Name());
    SectorScene::Settings settings;
    settings.locusRadiusScale = c.locusScale;
    SceneFixture f(c.w, c.h, settings, 0, c.radiusScale, c.sectorCount);
    const SectorGeometry& g = f.scene.Geometry();
    ASSERT_EQ(g.width, c.w);
    ASSERT_EQ(g.height, c.h);
    bool fits = ExpectFits(g, g.dotRadius, "disc");
    for (double scale : kMarkerScales) fits = ExpectFits(g, g.MarkerRadius(scale), "marker") && fits;
    const double fanWidth = g.fan.right - g.fan.left;
    const double line = g.TrackLineWidth(c.locusScale);
    EXPECT_GE(line, 0.0);
    EXPECT_LE(line, std::max(0.0, fanWidth)) << "track line wider than the fan";
    // Where the scaled width fits it is kept as it is: the plain reference frame draws it so.
    if (g.dotRadius * c.locusScale <= fanWidth) {
        EXPECT_DOUBLE_EQ(line, g.dotRadius * c.locusScale);
    }
    // Images of sizes that do not fit are not made here: they may need gigabytes.
    if (!fits) return;

    f.scene.AddMonitorPoint(12, -90, 100.0, L"", 0xFFFFFF, 0x00FF00, 0x0000FF);
    f.scene.AddMonitorPoint(30, -20, 1.0, L"", 0xFFFFFF, 0x00FF00, 0x0000FF);
    // Targets at the origin, close by, half way and at the last gate, at both ends of the span;
    // they walk a little over a few updates so that their track lines have several segments.
    std::vector<ViewTarget> targets = {{1, 0.0, -90}, {2, 0.6, -180}, {3, 15.0, -45}, {4, 31.0, 0}, {5, 31.0, -135}};
    for (int step = 0; step < 6; ++step) {
        f.now += 60;
        for (ViewTarget& t : targets) {
            t.range = std::clamp(t.range + (t.id % 2 ? 0.4 : -0.4), 0.0, 31.0);
            t.angle = std::clamp(t.angle + (t.id % 2 ? -3.0 : 3.0), -180.0, 0.0);
        }
        f.Update(targets);
    }
    ASSERT_EQ(f.scene.TrackCount(), static_cast<int>(targets.size()));
    for (const auto& t : f.Tracks()) EXPECT_EQ(t.discRadius, g.dotRadius) << "track " << t.id;

    const size_t total = static_cast<size_t>(c.w) * c.h;
    std::vector<uint32_t> background(total, kBackground), frame(total, 0);
    f.scene.ComposeFrame(background.data(), frame.data());
    // The newest position of every track that lies in the fan shows its disc (or a marker over it).
    const std::vector<uint8_t>& mask = f.scene.FanMask();
    ASSERT_EQ(mask.size(), total);
    int shown = 0;
    f.scene.ForEachTrack([&](const TargetTrack& t) {
        int x, y;
        if (!g.RangeAngleToPixel(t.Newest()->smoothRange, t.Newest()->smoothAngle, &x, &y)) return;
        const size_t at = static_cast<size_t>(y) * c.w + x;
        if (!mask[at]) return;
        ++shown;
        EXPECT_NE(frame[at], kBackground) << "track " << t.Id() << " not drawn at " << x << "," << y;
    });
    // In a plot of some size most of the targets lie in the fan.
    if (c.w >= 64 && c.h >= 32) {
        EXPECT_GE(shown, 3);
    }
    // A second composition over the first changes only what moved: nothing here.
    std::vector<uint32_t> again = frame;
    std::vector<RECT> dirty;
    f.scene.ComposeChanged(background.data(), again.data(), &dirty);
    EXPECT_EQ(again, frame);
}

TEST(ViewBounds, DiscsMarkersAndLinesFitThePlotAtEveryAcceptedSetting) {
    const struct {
        int w, h;
    } views[] = {{1, 1}, {2, 1}, {3, 2}, {64, 32}, {801, 400}, {300, 900}, {3840, 2160}};
    const int sectorCounts[] = {1, 20, 1000};
    const double radiusScales[] = {0.0, 1.0, 10.0, 100.0};
    const double locusScales[] = {0.5, 100.0};
    for (const auto& v : views) {
        for (int sectors : sectorCounts) {
            for (double scale : radiusScales) {
                for (double locus : locusScales) CheckCase(ViewCase{v.w, v.h, sectors, scale, locus});
            }
        }
    }
}

}  // namespace
