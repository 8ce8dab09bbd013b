// Measures the target view's per-paint and per-update costs against one plain copy of a frame,
// all in the same run: a 1900 x 1000 view with 10 tracks of 40 points and their track lines,
// 31 monitor areas of 1000 vertices, a detect area and 20 monitor points.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "view/AreaMapBuilder.h"
#include "view/SectorGrid.h"
#include "view/SectorScene.h"

namespace {

double Seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency.QuadPart;
}

// Median time of one call over reps timed calls (setup runs untimed before each).
double Median(int reps, const std::function<void()>& timed, const std::function<void()>& setup = {}) {
    std::vector<double> t;
    for (int i = 0; i < reps; ++i) {
        if (setup) setup();
        double start = Seconds();
        timed();
        t.push_back(Seconds() - start);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// A closed outline of count vertices around (cx, cy). smooth: the radius wanders a little from
// vertex to vertex, as a polygon captured with the mouse; otherwise every vertex jumps (a spiky
// star, the hard case for the span filler: many edges cross every row).
std::vector<AreaVertex> Outline(std::mt19937& rng, double cx, double cy, double radius, int count, bool smooth) {
    std::uniform_real_distribution<double> wobble(0.6, 1.0), drift(-0.01, 0.01);
    std::vector<AreaVertex> v(static_cast<size_t>(count));
    double f = 0.8;
    for (int i = 0; i < count; ++i) {
        double a = 2 * 3.141592653589793 * i / count;
        f = smooth ? std::clamp(f + drift(rng), 0.6, 1.0) : wobble(rng);
        double r = radius * f;
        v[i] = {static_cast<int32_t>(std::lround(cy + std::sin(a) * r)), static_cast<int32_t>(std::lround(cx + std::cos(a) * r))};
    }
    return v;
}

}  // namespace

int main() {
    const int w = 1900, h = 1000;
    uint32_t now = 1000000;
    SectorScene scene;
    scene.SetClock([&now] { return now; });
    SectorScene::Settings settings;  // display 2000 ms, track lines on
    scene.ApplySettings(0, -180, 0, 15, 20, 1.0, settings);
    scene.SetGateRange(0, 31, 32);
    scene.Layout(w, h);
    const SectorGeometry& g = scene.Geometry();

    std::vector<uint32_t> background(static_cast<size_t>(w) * h, SectorGrid::kBackground);
    ShadeFan(background.data(), g);
    scene.BackgroundChanged();

    std::mt19937 rng(2024);
    const RECT fan = g.fan;
    const int fw = fan.right - fan.left, fh = fan.bottom - fan.top;
    // Detect area: most of the fan.
    std::vector<AreaVertex> detect = {{0, 0}, {0, fw - 1}, {fh - 1, fw - 1}, {fh - 1, 0}};
    scene.SetDetectArea(detect.data(), static_cast<int>(detect.size()));
    // 31 monitor areas of 1000 vertices spread over the fan.
    for (int k = 0; k < 31; ++k) {
        double ax = -150 + 120.0 * (k % 8) / 7.0 * 1.0;  // degrees
        double ar = 8 + 6 * (k / 8);                        // gates
        double rad = ax * 3.141592653589793 / 180;
        double px = g.Cx() + std::cos(rad) * ar * g.radius / 32 - fan.left;
        double py = g.Oy() + std::sin(rad) * ar * g.radius / 32 - fan.top;
        auto v = Outline(rng, px, py, 90, 1000, true);
        scene.AddMonitorArea(v.data(), 1000, rng() & 0xFFFFFF, rng() & 0xFFFFFF);
    }
    for (int i = 0; i < 20; ++i) {
        wchar_t label[8];
        swprintf(label, 8, L"%d", i + 1);
        scene.AddMonitorPoint(4 + i * 1.3, -170 + i * 8.0, 1.0, label, 0xFFFFFF, 0xFFFF00, 0x54DC);
    }

    // Ten targets walking; 50 ms per frame fills 40 points per track within the display time.
    std::vector<ViewTarget> walkers;
    for (int i = 0; i < 10; ++i) walkers.push_back({i + 1, 6.0 + 2.2 * i, -160.0 + 14 * i});
    auto step = [&] {
        now += 50;
        for (ViewTarget& t : walkers) {
            t.range = std::clamp(t.range + std::uniform_real_distribution<double>(-0.12, 0.15)(rng), 1.0, 30.0);
            t.angle = std::clamp(t.angle + std::uniform_real_distribution<double>(-0.6, 0.6)(rng), -179.0, -1.0);
        }
    };
    auto update = [&] {
        scene.UpdateTargets(walkers);
    };
    for (int i = 0; i < 80; ++i) {
        step();
        update();
    }
    int points = 0;
    scene.ForEachTrack([&](const TargetTrack& t) { points += t.PointCount(); });
    // Tracks whose newest point lies in a monitor area: the paint draws their count there.
    int inside = 0;
    scene.ForEachTrack([&](const TargetTrack& t) {
        int x, y;
        if (t.Newest() && g.RangeAngleToPixel(t.Newest()->smoothRange, t.Newest()->smoothAngle, &x, &y) &&
            (scene.AreaMap()[static_cast<size_t>(y) * w + x] & ~1u))
            ++inside;
    });

    std::vector<uint32_t> work(background.size());
    // The copy is timed back to back, with the frames in the cache: the strictest yardstick.
    const double copy = Median(41, [&] { std::memcpy(work.data(), background.data(), background.size() * 4); });

    // A paint after each update: the tracks moved and the fade changed.
    std::vector<uint32_t> frame(background.size());
    scene.ComposeFrame(background.data(), frame.data());
    const double compose = Median(41, [&] { scene.ComposeFrame(background.data(), frame.data()); },
                                      [&] {
                                          step();
                                          update();
                                      });
    // The window's paint: only what changed since the last frame, composed over that frame.
    std::vector<RECT> dirty;
    scene.ComposeChanged(background.data(), frame.data(), &dirty);
    const double changed = Median(41, [&] { scene.ComposeChanged(background.data(), frame.data(), &dirty); },
                                      [&] {
                                          step();
                                          update();
                                      });
    double dirtyPixels = 0;  // overlapping rectangles counted once each
    for (const RECT& r : dirty) dirtyPixels += double(r.right - r.left) * (r.bottom - r.top);
    // Breakdown: the same paint without track lines.
    SectorScene::Settings noLines = settings;
    noLines.drawLocus = 0;
    scene.ApplySettings(0, -180, 0, 15, 20, 1.0, noLines);
    const double composeNoLines = Median(41, [&] { scene.ComposeFrame(background.data(), frame.data()); });
    scene.ApplySettings(0, -180, 0, 15, 20, 1.0, settings);
    // The area layer is composed anew only after the background changed (resize, settings); per
    // change of the active areas only those areas are. The full cost for reference.
    const double layer = Median(9, [&] { scene.ComposeFrame(background.data(), frame.data()); },
                                    [&] { scene.BackgroundChanged(); });
    const double areaMap = Median(9, [&] { scene.BuildAreaMap(); });
    // The same map with spiky stars of 1000 vertices in place of the outlines.
    std::vector<AreaSlot> spiky;
    for (int k = 0; k < kAreaSlotCount; ++k) {
        spiky.push_back(scene.Slot(k));
        if (k == 0 || !spiky.back().used) continue;
        int minRow = h, maxRow = 0, minCol = w, maxCol = 0;
        for (const AreaVertex& a : spiky.back().vertices) {
            minRow = std::min(minRow, a.row), maxRow = std::max(maxRow, a.row);
            minCol = std::min(minCol, a.column), maxCol = std::max(maxCol, a.column);
        }
        spiky.back().vertices = Outline(rng, (minCol + maxCol) / 2.0, (minRow + maxRow) / 2.0, 90, 1000, false);
    }
    std::vector<uint32_t> spare(background.size());
    std::vector<int> first, last;
    std::vector<uint64_t> bits;
    const double spikyMap = Median(9, [&] {
        AreaMapBuilder::Build(spiky.data(), kAreaSlotCount, w, h, spare.data(), &first, &last, &bits);
    });
    // Updates: 10 reports each, the steady state of 40 points per track. The report list is the
    // caller's; it is built once, outside the timing.
    const std::vector<ViewTarget>& reports = walkers;
    const int batch = 200;
    const double updateBatch = Median(9, [&] {
        for (int i = 0; i < batch; ++i) {
            now += 50;
            scene.UpdateTargets(reports);
        }
    });
    const double updateOne = updateBatch / batch;
    // The console also asks for the area membership of every accepted report (zone events).
    std::vector<TrackMembership> accepted;
    const double membershipBatch = Median(9, [&] {
        for (int i = 0; i < batch; ++i) {
            now += 50;
            accepted.clear();
            scene.UpdateTargets(reports, &accepted);
        }
    });
    const double membershipOne = membershipBatch / batch;

    std::printf("tracks inside monitor areas at the start: %d (their counts are drawn)\n", inside);
    std::printf("view_bench: %d x %d view, %d tracks with %d points, 31 monitor areas of 1000 vertices, "
                "detect area, 20 monitor points\n",
                w, h, scene.TrackCount(), points);
    std::printf("frame copy (memcpy %zu bytes)   %9.3f ms\n", background.size() * 4, copy * 1e3);
    std::printf("ComposeFrame                     %9.3f ms   ratio %6.2f   (limit 4)     %s\n", compose * 1e3,
                compose / copy, compose / copy <= 4 ? "ok" : "OVER");
    std::printf("  changed parts only (the paint)  %9.3f ms   ratio %6.2f   (%zu rectangles, %.1f %% of the view)\n",
                changed * 1e3, changed / copy, dirty.size(), 100.0 * dirtyPixels / background.size());
    std::printf("  of which without track lines   %9.3f ms   ratio %6.2f\n", composeNoLines * 1e3, composeNoLines / copy);
    std::printf("  with the area layer rebuilt    %9.3f ms   ratio %6.2f   (after a change of the background)\n",
                layer * 1e3, layer / copy);
    std::printf("BuildAreaMap                     %9.3f ms   ratio %6.2f   (limit 20)    %s\n", areaMap * 1e3,
                areaMap / copy, areaMap / copy < 20 ? "ok" : "OVER");
    std::printf("  with spiky stars of 1000 vertices %6.3f ms   ratio %6.2f   (limit 20)    %s\n", spikyMap * 1e3,
                spikyMap / copy, spikyMap / copy < 20 ? "ok" : "OVER");
    std::printf("UpdateTargets, 10 reports        %9.4f ms   ratio %6.4f   (limit 0.01)  %s\n", updateOne * 1e3,
                updateOne / copy, updateOne / copy < 0.01 ? "ok" : "OVER");
    std::printf("  with the area membership       %9.4f ms   ratio %6.4f   (limit 0.01)  %s\n", membershipOne * 1e3,
                membershipOne / copy, membershipOne / copy < 0.01 ? "ok" : "OVER");
    return 0;
}
