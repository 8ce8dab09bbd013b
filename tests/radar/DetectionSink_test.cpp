#include "radar/DetectionSink.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "contracts/ROVA_DataProcess.h"
#include "radar/RunMessages.h"
#include "view/ObjectSectorWnd.h"

namespace {

// The sink with everything it feeds, on the test's thread; the view has no window, its scene is
// laid out by hand. Deliveries are made the way the library makes them: a call of the listener.
struct SinkFixture {
    SinkFixture() : savedSlope(gRadarParameter.angleSlope), savedOffset(gRadarParameter.angleOffset) {
        gRadarParameter.angleSlope = 1.0;
        gRadarParameter.angleOffset = 0.0;
        slots.Reset();
        view.Scene().SetGateRange(0, 31, 32);
        view.Scene().Layout(400, 200);
        DropTicks();
    }
    ~SinkFixture() {
        gRadarParameter.angleSlope = savedSlope;
        gRadarParameter.angleOffset = savedOffset;
        DropTicks();
    }

    void Deliver(std::vector<DetectedObject> objects) {
        CPtrListCtrl list;
        for (DetectedObject& o : objects) list.AddData(&o, -1);
        sink.OnRadarObjectDetect(0, &list);
        list.RemoveAll();
    }
    // Presence ticks posted to this thread (the sink's window is none) since the last call.
    int TakeTicks() {
        int n = 0;
        MSG msg;
        while (::PeekMessageW(&msg, reinterpret_cast<HWND>(-1), WM_PRESENCE_TICK, WM_PRESENCE_TICK, PM_REMOVE)) ++n;
        return n;
    }
    void DropTicks() { TakeTicks(); }

    static DetectedObject Object(int64_t id, double gate, double distance, double rawAngle) {
        DetectedObject o{};
        o.objectId = id;
        o.gate = gate;
        o.distance = distance;
        o.rawAngle = rawAngle;
        return o;
    }

    double savedSlope, savedOffset;
    CDelayPostMsgEngine engine;
    CTargetSlots slots;
    CResultFile results;
    CZoneRecorder zones;
    CObjectSectorWnd view;
    CDetectionSink sink{nullptr, engine, slots, results, zones, view};
};

TEST(DetectionSinkTest, AFaultInTheViewStaysInTheListenerAndIsCounted) {
    SinkFixture f;
    // The view's update reads its clock under the target lock: a clock that throws stands for an
    // allocation that fails there.
    f.view.Scene().SetClock([]() -> uint32_t { throw std::bad_alloc(); });
    EXPECT_EQ(f.sink.FailedDeliveries(), 0u);
    EXPECT_NO_THROW(f.Deliver({SinkFixture::Object(7, 10.0, 3.0, 20.0)}));
    EXPECT_EQ(f.sink.FailedDeliveries(), 1u);
    // What the delivery did before the view still holds, and the window still hears of it.
    EXPECT_EQ(f.slots.Snapshot()[0].id, 7);
    EXPECT_EQ(f.TakeTicks(), 1);
    EXPECT_EQ(f.view.Scene().TrackCount(), 0);

    // The next delivery, with the fault gone, reaches the view.
    f.view.Scene().SetClock([] { return 5000u; });
    EXPECT_NO_THROW(f.Deliver({SinkFixture::Object(8, 12.0, 4.0, 30.0)}));
    EXPECT_EQ(f.view.Scene().TrackCount(), 1);
    EXPECT_EQ(f.slots.Snapshot()[0].id, 8);
    EXPECT_EQ(f.TakeTicks(), 1);
    EXPECT_EQ(f.sink.FailedDeliveries(), 1u);
}

}  // namespace
