#pragma once
// A laid-out scene with a clock the test sets by hand.
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "view/SectorScene.h"

class SceneFixture {
public:
    explicit SceneFixture(int w = 800, int h = 400, SectorScene::Settings settings = {}, int topView = 0,
                          double radiusScale = 1.0, int sectorCount = 20) {
        scene.SetClock([this] { return now; });
        scene.ApplySettings(topView, -180, 0, 15, sectorCount, radiusScale, settings);
        scene.SetGateRange(0, 31, 32);
        scene.Layout(w, h);
    }

    void Update(std::initializer_list<ViewTarget> targets) { Update(std::vector<ViewTarget>(targets)); }
    void Update(const std::vector<ViewTarget>& targets) { scene.UpdateTargets(targets); }

    struct TrackCopy {
        int64_t id;
        int discRadius;
        std::vector<TrackPoint> points;
    };
    std::vector<TrackCopy> Tracks() const {
        std::vector<TrackCopy> out;
        scene.ForEachTrack([&](const TargetTrack& t) {
            TrackCopy c{t.Id(), t.DiscRadius(), {}};
            for (int i = 0; i < t.PointCount(); ++i) c.points.push_back(*t.PointAt(i));
            out.push_back(c);
        });
        return out;
    }
    std::vector<int> ActiveFlags() const {
        std::vector<int> out;
        scene.ForEachMonitorPoint([&](const MonitorPointEntry& e) { out.push_back(e.active); });
        return out;
    }

    uint32_t now = 100000;
    SectorScene scene;
};
