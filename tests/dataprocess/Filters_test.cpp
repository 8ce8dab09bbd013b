#include <cmath>
#include <map>
#include <set>

#include "DataProcessTestSupport.h"
#include "DetectBound.h"
#include "ModFilter.h"
#include "MttTracker.h"
#include "SceneGenerator.h"

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

RadarPoint PointAt(double aGates, double bGates, double velocity, double gateSize = 0.25) {
    RadarPoint p;
    p.gate = std::hypot(aGates, bGates);
    p.distance = p.gate * gateSize;
    p.angle = std::atan2(bGates, aGates) / kDeg;
    p.velocity = velocity;
    return p;
}

TEST(DetectBound, ContainsPointsInsideAndOnTheBoundaryOnly) {
    // A trapezoid: rows 4 to 12, lateral -6..6 at the far side, -2..2 at the near side.
    const int32_t pairs[] = {4, -2, 4, 2, 12, 6, 12, -6};
    CDetectBound bound;
    bound.Set(pairs, 4);
    struct Case {
        double a, b;
        bool inside;
    } cases[] = {
        {8, 0, true},  {4, 0, true},  {12, 6, true},   {8, 3.9, true}, {8, 4.1, false},
        {3.9, 0, false}, {12.1, 0, false}, {8, -4.1, false}, {10, -5, true}, {0, 0, false},
    };
    for (const Case& c : cases) EXPECT_EQ(bound.Contains(c.a, c.b), c.inside) << c.a << "," << c.b;
    bound.Set(pairs, 2);
    EXPECT_TRUE(bound.Contains(100, 100)) << "fewer than 3 vertices: no bound";
}

TEST(ModFilter, ReportsMovingBodiesInsideTheBoundOnly) {
    CModFilter mod;
    mod.Configure(0.10, 0.25, 8);
    const std::vector<RadarPoint> points = {
        PointAt(10, 0, 0.8), PointAt(10.4, 0.3, 0.7),  // one walking body of two points
        PointAt(20, 5, 0.0),                            // a static reflector
        PointAt(16, -8, -0.5),                          // a second walker
    };
    EXPECT_EQ(mod.Process(points).size(), 2u);
    const int32_t nearHalf[] = {0, -16, 0, 16, 14, 16, 14, -16};
    mod.Bound().Set(nearHalf, 4);
    const std::vector<RadarPoint> kept = mod.Process(points);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_NEAR(kept[0].gate, 10.2, 0.3);
}

// Over a minute of the simulated scene, every walker is followed by one track whose id does not
// change while the walker stays in view, and static reflectors never become targets.
TEST(MttTracker, FollowsWalkersWithStableIds) {
    SceneSettings scene;
    scene.targetCount = 3;
    scene.seed = 11;
    CSceneGenerator generator(scene);
    CMttTracker tracker;
    tracker.Configure(MttSettings{});
    std::map<int64_t, int> framesPerId;
    int framesWithTargets = 0, reports = 0, nearWalker = 0;
    for (int frame = 0; frame < 900; ++frame) {
        const std::vector<RadarPoint> tracks = tracker.Process(generator.Step(0.066), 0.066);
        if (!tracks.empty()) ++framesWithTargets;
        for (const RadarPoint& t : tracks) {
            framesPerId[t.id] += 1;
            // Every reported track is near a true walker.
            double nearest = 1e9;
            for (const auto& w : generator.Walkers()) {
                const double x = t.distance * std::sin(t.angle * kDeg), y = t.distance * std::cos(t.angle * kDeg);
                nearest = std::min(nearest, std::hypot(x - w.x, y - w.y));
            }
            ++reports;
            nearWalker += nearest < 1.0 ? 1 : 0;
        }
    }
    EXPECT_GT(framesWithTargets, 800);
    // A walker that leaves the fan re-enters elsewhere: its old track may linger two frames.
    EXPECT_GT(nearWalker, reports * 98 / 100) << "tracks follow walkers, not reflectors";
    int longLived = 0;
    for (const auto& [id, frames] : framesPerId) longLived += frames > 60 ? 1 : 0;
    EXPECT_GE(longLived, 3) << "tracks last for seconds, ids are not re-issued each frame";
    EXPECT_LT(framesPerId.size(), 60u);
}

TEST(MttTracker, DetectBoundKeepsTracksFromBeingBornOutside) {
    CMttTracker tracker;
    tracker.Configure(MttSettings{});
    const int32_t leftHalf[] = {0, -32, 0, 0, 32, 0, 32, -32};
    tracker.Bound().Set(leftHalf, 4);
    std::set<int64_t> ids;
    for (int frame = 0; frame < 40; ++frame) {
        const double step = frame * 0.05 * 4;  // 0.75 m/s in gates of 0.25 m
        const std::vector<RadarPoint> points = {PointAt(10 + step, -6, 0.75), PointAt(10 + step, 6, 0.75)};
        for (const RadarPoint& t : tracker.Process(points, 0.066)) {
            ids.insert(t.id);
            EXPECT_LT(t.angle, 0) << "only the walker on the left is tracked";
        }
    }
    EXPECT_EQ(ids.size(), 1u);
}

// Recorded and serial frames are checked for framing only: NaN and infinities must stop at the
// filters (counted), never reach a listener.
std::vector<RadarPoint> PoisonedPoints() {
    const double bad[] = {std::nan(""), HUGE_VAL, -HUGE_VAL};
    std::vector<RadarPoint> points;
    for (double b : bad) {
        for (int field = 0; field < 5; ++field) {
            RadarPoint p = PointAt(12, 1, 0.9);
            double* fields[] = {&p.gate, &p.distance, &p.velocity, &p.angle, &p.snr};
            *fields[field] = b;
            points.push_back(p);
        }
    }
    return points;
}

void ExpectFinite(const std::vector<RadarPoint>& objects) {
    for (const RadarPoint& o : objects) EXPECT_TRUE(IsFinitePoint(o)) << o.distance << " " << o.angle << " " << o.velocity;
}

TEST(Filters, NonFiniteNumbersAreDroppedAndCounted) {
    const std::vector<RadarPoint> poison = PoisonedPoints();
    CModFilter mod;
    mod.Configure(0.10, 0.25, 64);
    CMttTracker tracker;
    MttSettings settings;
    settings.maxTargets = 64;
    tracker.Configure(settings);
    size_t reported = 0;
    for (int frame = 0; frame < 12; ++frame) {
        std::vector<RadarPoint> points = {PointAt(10 + 0.2 * frame, 0, 0.8), PointAt(20, -8 + 0.2 * frame, -0.6)};
        points.insert(points.begin() + 1, poison.begin(), poison.end());
        const std::vector<RadarPoint> moving = mod.Process(points);
        ExpectFinite(moving);
        EXPECT_EQ(moving.size(), 2u) << "a poisoned point neither joins nor makes a body";
        const std::vector<RadarPoint> tracks = tracker.Process(points, 0.066);
        ExpectFinite(tracks);
        reported += tracks.size();
    }
    EXPECT_GT(reported, 0u) << "the good walkers are still tracked";
    EXPECT_EQ(mod.RejectedPoints(), 12 * poison.size());
    EXPECT_EQ(tracker.RejectedPoints(), 12 * poison.size());
}

// A thousand well spread points in every frame: the tracker keeps a bounded set of tracks, so
// the association cannot grow into a billion distance checks.
TEST(MttTracker, TracksStayBoundedWhenEveryFrameIsFullOfSpreadPoints) {
    CMttTracker tracker;
    MttSettings settings;
    tracker.Configure(settings);
    for (int frame = 0; frame < 15; ++frame) {
        std::vector<RadarPoint> points;
        for (int i = 0; i < 1024; ++i) {
            // A new scatter every frame: 1024 bodies at least 1.2 m apart, none near the last frame's.
            RadarPoint p;
            const double x = -40 + 2.5 * (i % 32) + 1.2 * (frame % 2), y = 2 + 2.5 * (i / 32) + 1.2 * (frame % 2);
            p.distance = std::hypot(x, y);
            p.gate = p.distance / 0.25;
            p.angle = std::atan2(x, y) / kDeg;
            p.velocity = 0.8;
            points.push_back(p);
        }
        tracker.Process(points, 0.05);
        EXPECT_LE(tracker.TrackCount(), CMttTracker::kMaxTracks);
    }
}

// Through the library: the filters copy the polygon, count 0 clears it, and the MTT stream of a
// run drops a scripted walker outside the bound while keeping the one inside.
class FilterBoundThroughLibrary : public RadarLibraryTest {};

TEST_F(FilterBoundThroughLibrary, BoundIsCopiedAndCleared) {
    int32_t pairs[] = {0, -5, 20, -5, 20, 5};
    ASSERT_TRUE(ROVA_Interface_RadarProcessFilter_MTT_SetDetectBound(pairs, 3));
    pairs[0] = 99;
    int32_t held[6] = {};
    EXPECT_EQ(ROVA_SimSensor_GetDetectBound(1, held, 3), 3);
    EXPECT_EQ(held[0], 0) << "the library holds a copy";
    EXPECT_EQ(ROVA_SimSensor_GetDetectBound(0, nullptr, 0), 0) << "other filters untouched";
    ROVA_Interface_RadarProcessFilter_MTT_SetDetectBound(nullptr, 0);
    EXPECT_EQ(ROVA_SimSensor_GetDetectBound(1, nullptr, 0), 0);
}

TEST_F(FilterBoundThroughLibrary, StreamsDropObjectsOutsideTheirBound) {
    struct Case {
        const char* name;
        int tracked;
        int pcAlgorithm;
        int filter;
    } cases[] = {{"MTT", 0, 3, 1}, {"MOD", 0, 1, 0}, {"MPT (module tracks)", 1, 0, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ROVA_Interface_RadarCtrl_CloseDevice();
        ROVA_Interface_RadarParameter_Init(&gRadarParameter);
        SelectSimulatedSensor(5);
        gRadarParameter.pcAlgorithm = c.pcAlgorithm;
        ROVA_SimSensor_ClearScript();
        // Two walkers approaching side by side, 3 m left and 3 m right of the boresight.
        for (int f = 0; f < 60; ++f) {
            const double y = 6.0 - f * 0.05;
            DetectedObject o[2] = {};
            for (int k = 0; k < 2; ++k) {
                const double x = k ? 3.0 : -3.0;
                o[k].objectId = k + 1;
                o[k].distance = std::hypot(x, y);
                o[k].gate = o[k].distance / 0.25;
                o[k].rawAngle = std::atan2(x, y) / kDeg;
                o[k].velocity = -0.7;
            }
            ROVA_SimSensor_AddScriptedFrame(c.tracked, o, 2);
        }
        const int32_t rightSide[] = {0, 0, 31, 0, 31, 31, 0, 31};
        const int32_t* none = nullptr;
        for (int filter = 0; filter < 3; ++filter) {
            auto set = filter == 0 ? ROVA_Interface_RadarProcessFilter_MOD_SetDetectBound
                     : filter == 1 ? ROVA_Interface_RadarProcessFilter_MTT_SetDetectBound
                                   : ROVA_Interface_RadarProcessFilter_MPT_SetDetectBound;
            set(filter == c.filter ? rightSide : none, filter == c.filter ? 4 : 0);
        }
        CollectingListener listener;
        ROVA_Interface_RadarProcessFilter_Add_MOD_ObjectDetectListener(&listener, 0);
        ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(&listener, 0);
        ROVA_Interface_RadarDataFilter_Add_ResultMTT_ObjectDetectListener(&listener, 0);
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
        EXPECT_TRUE(listener.WaitFor(40));
        ROVA_Interface_RadarCtrl_Stop();
        ROVA_Interface_RadarProcessFilter_Del_MOD_ObjectDetectListener(&listener);
        ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&listener);
        ROVA_Interface_RadarDataFilter_Del_ResultMTT_ObjectDetectListener(&listener);
        int objects = 0;
        for (const Delivery& d : listener.Take()) {
            for (const DetectedObject& o : d.objects) {
                ++objects;
                EXPECT_GT(o.rawAngle, 0) << "only the right-hand walker passes";
            }
        }
        EXPECT_GT(objects, 20);
    }
}

}  // namespace
