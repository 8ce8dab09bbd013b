// The link health of a run: the counter logic on its own clock, and through the library's export
// for the simulated sensor (pause, stop, run numbers).
#include <windows.h>

#include <functional>

#include "DataProcessTestSupport.h"
#include "LinkHealth.h"
#include "ROVA_LinkHealth.h"

namespace {

tagRADARLINKHEALTH ReadHealth() {
    tagRADARLINKHEALTH h{};
    h.structSize = sizeof h;
    ROVA_Interface_RadarCtrl_GetLinkHealth(&h);
    return h;
}

TEST(LinkHealthLogic, StateFollowsFramesLossAndReconnects) {
    CLinkHealth health(RADAR_LINK_SOURCE_SERIAL, 7, 3, 1000);
    struct Step {
        const char* what;
        std::function<void()> action;
        uint64_t readAt;
        int32_t state;
        uint64_t sinceLastFrame;
    } steps[] = {
        {"just started", [] {}, 1500, RADAR_LINK_STREAMING, 500},
        {"no frame for more than a second", [] {}, 2001, RADAR_LINK_SILENT, 1001},
        {"a frame", [&] { health.FrameReceived(2100); }, 2200, RADAR_LINK_STREAMING, 100},
        {"lost", [&] { health.LinkLost(); }, 5000, RADAR_LINK_LOST, 2900},
        {"attempt", [&] { health.ReconnectStarted(); }, 5100, RADAR_LINK_RECONNECTING, 3000},
        {"attempt failed", [&] { health.ReconnectFailed(RADAR_RECONNECT_NO_ANSWER); }, 6000, RADAR_LINK_LOST, 3900},
        {"second attempt", [&] { health.ReconnectStarted(); }, 7000, RADAR_LINK_RECONNECTING, 4900},
        // Back: the silence is measured from the return, not from before the loss.
        {"back", [&] { health.Reconnected(7200); }, 7300, RADAR_LINK_STREAMING, 100},
        {"stopped", [&] { health.Stopped(); }, 9000, RADAR_LINK_IDLE, 1800},
        {"a lost link after the stop stays idle", [&] { health.LinkLost(); }, 9100, RADAR_LINK_IDLE, 1900},
    };
    for (const Step& s : steps) {
        s.action();
        const tagRADARLINKHEALTH h = health.Read(s.readAt);
        EXPECT_EQ(h.state, s.state) << s.what;
        EXPECT_EQ(h.msSinceLastFrame, s.sinceLastFrame) << s.what;
    }
    const tagRADARLINKHEALTH h = health.Read(9100);
    EXPECT_EQ(h.structSize, sizeof h);
    EXPECT_EQ(h.source, RADAR_LINK_SOURCE_SERIAL);
    EXPECT_EQ(h.port, 7);
    EXPECT_EQ(h.runNumber, 3u);
    EXPECT_EQ(h.linkLosses, 2u);
    EXPECT_EQ(h.reconnectAttempts, 2u);
    EXPECT_EQ(h.reconnectFailures, 1u);
    EXPECT_EQ(h.reconnects, 1u);
    EXPECT_EQ(h.lastReconnectFailure, RADAR_RECONNECT_NO_ANSWER);
    EXPECT_EQ(h.framesReceived, 1u);
    EXPECT_EQ(h.anyFrame, 1);
}

TEST(LinkHealthLogic, RateCountsTheLastTwoSeconds) {
    CLinkHealth health(RADAR_LINK_SOURCE_SIMULATED, 0, 1, 0);
    for (uint64_t t = 0; t < 10000; t += 50) health.FrameReceived(t);  // 20 per second for 10 s
    EXPECT_DOUBLE_EQ(health.Read(9950).framesPerSecond, 20.5) << "41 frames in the closed two-second window";
    EXPECT_DOUBLE_EQ(health.Read(11000).framesPerSecond, 10.0) << "half the window has no frames";
    EXPECT_DOUBLE_EQ(health.Read(12500).framesPerSecond, 0.0);
    for (uint64_t t = 12500; t < 13500; t += 10) health.FrameReceived(t);  // 100 per second again
    EXPECT_DOUBLE_EQ(health.Read(13490).framesPerSecond, 50.0) << "100 frames in two seconds";

    // A young run is measured over its own age: 20 frames a second from the start read as such.
    CLinkHealth young(RADAR_LINK_SOURCE_SERIAL, 1, 1, 1000);
    for (uint64_t t = 1050; t <= 1800; t += 50) young.FrameReceived(t);
    EXPECT_DOUBLE_EQ(young.Read(1800).framesPerSecond, 20.0);
    CLinkHealth newborn(RADAR_LINK_SOURCE_SERIAL, 1, 1, 1000);
    newborn.FrameReceived(1050);
    newborn.FrameReceived(1100);
    EXPECT_DOUBLE_EQ(newborn.Read(1100).framesPerSecond, 4.0) << "never over less than half a second";
}

TEST(LinkHealthLogic, EveryCounterAddsUp) {
    CLinkHealth health(RADAR_LINK_SOURCE_SERIAL, 3, 1, 0);
    health.AddDiscardedBytes(17);
    health.AddDiscardedBytes(5);
    health.AddBadChecksums(2);
    health.AddLost(4);
    health.AddDropped(1);
    health.AddDropped(0);
    health.AddPaused(6);
    health.AddDelivered(9);
    const tagRADARLINKHEALTH h = health.Read(10);
    EXPECT_EQ(h.bytesDiscarded, 22u);
    EXPECT_EQ(h.badChecksumFrames, 2u);
    EXPECT_EQ(h.framesLost, 4u);
    EXPECT_EQ(h.framesDropped, 1u);
    EXPECT_EQ(h.framesPaused, 6u);
    EXPECT_EQ(h.framesDelivered, 9u);
    EXPECT_EQ(h.anyFrame, 0);
    EXPECT_EQ(h.msSinceLastFrame, 10u) << "since the start when no frame came";
}

class LinkHealthRun : public RadarLibraryTest {};

TEST_F(LinkHealthRun, SimulatedSensorAccountsForEveryFrame) {
    tagRADARLINKHEALTH wrongSize{};
    wrongSize.structSize = sizeof wrongSize - 8;
    EXPECT_EQ(ROVA_Interface_RadarCtrl_GetLinkHealth(&wrongSize), 0);
    EXPECT_EQ(ROVA_Interface_RadarCtrl_GetLinkHealth(nullptr), 0);

    SelectSimulatedSensor(10);
    CollectingListener listener;
    ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(&listener, 0);
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
    ASSERT_TRUE(listener.WaitFor(30));
    const tagRADARLINKHEALTH running = ReadHealth();
    EXPECT_EQ(running.state, RADAR_LINK_STREAMING);
    EXPECT_EQ(running.source, RADAR_LINK_SOURCE_SIMULATED);
    EXPECT_GE(running.framesReceived, 30u);
    EXPECT_GT(running.framesPerSecond, 0.0);
    EXPECT_LT(running.msSinceLastFrame, 1000u);
    EXPECT_EQ(running.anyFrame, 1);

    // Frames of a pause are discarded on purpose and counted as such, not as errors.
    ROVA_Interface_RadarCtrl_Pause();
    Sleep(200);
    ROVA_Interface_RadarCtrl_Resume();
    ASSERT_TRUE(listener.WaitFor(listener.Count() + 10));
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&listener);

    const tagRADARLINKHEALTH stopped = ReadHealth();
    EXPECT_EQ(stopped.state, RADAR_LINK_IDLE);
    EXPECT_GT(stopped.framesPaused, 0u);
    EXPECT_EQ(stopped.framesReceived, stopped.framesDelivered + stopped.framesPaused + stopped.framesDropped);
    EXPECT_EQ(stopped.framesDelivered, listener.Count());
    EXPECT_EQ(stopped.badChecksumFrames + stopped.framesLost + stopped.bytesDiscarded, 0u);
    EXPECT_EQ(stopped.linkLosses, 0u);

    // The next run starts from zero under the next number.
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
    const tagRADARLINKHEALTH next = ReadHealth();
    EXPECT_EQ(next.runNumber, stopped.runNumber + 1);
    EXPECT_LT(next.framesReceived, stopped.framesReceived);
    ROVA_Interface_RadarCtrl_Stop();
}

}  // namespace
