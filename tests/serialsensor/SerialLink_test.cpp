// The radar library against the sensor emulator on a serial line. serial_sensor.sh links a
// pseudo-terminal pair into the Wine prefix, runs the native emulator on one end and one of these
// cases at a time on the other: ROVA_SENSOR_PORT names the COM number; ROVA_SENSOR_KILL_FILE, when
// set, is the file whose creation makes the script kill the emulator, ROVA_SENSOR_RESTART_FILE the
// one that makes it start the emulator again; ROVA_SENSOR_LOG is the emulator's log and
// ROVA_SENSOR_FAULTS_UNTIL the frame number from which it sends clean frames.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <cstdlib>
#include <string>

#include "DataProcessTestSupport.h"
#include "ROVA_DlgResource.h"
#include "ROVA_LinkHealth.h"

namespace {

class SerialSensorLink : public RadarLibraryTest {
protected:
    void SetUp() override {
        const char* text = std::getenv("ROVA_SENSOR_PORT");
        if (!text || !*text) GTEST_SKIP() << "ROVA_SENSOR_PORT is not set: run through serial_sensor.sh";
        port_ = std::atoi(text);
        RadarLibraryTest::SetUp();
        ROVA_DlgResource_SetUILanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        SetEnvironmentVariableW(L"ROVA_DETECT_DIALOG_AUTOCLOSE", L"1");
    }
    void TearDown() override {
        if (port_ == 0) return;
        ROVA_Interface_RadarDataFilter_Del_ResultMTT_ObjectDetectListener(&listener_);
        SetEnvironmentVariableW(L"ROVA_DETECT_DIALOG_AUTOCLOSE", nullptr);
        ROVA_DlgResource_SetUILanguage(0);
        RadarLibraryTest::TearDown();
    }
    // The sensor on the port, tracking on the module, as the console would use it.
    void SelectSerialSensor() {
        gRadarParameter.sourceType = RADAR_SOURCE_COM;
        gRadarParameter.detectedDeviceValue = port_;
        gRadarParameter.algorithmOnMcu = 10;
        ROVA_Interface_RadarCtrl_EnableProcessFilter_ObjectDetect(0);
        ROVA_Interface_RadarDataFilter_Add_ResultMTT_ObjectDetectListener(&listener_, 0);
    }
    void OpenAndStart() {
        CBaseStringA error;
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(&error)) << error.GetString();
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
    }
    // The console's command sequence for the MCU tracking command.
    int SendTrackingCommand(int command) {
        RADAR_DEVICE_HANDLE device = ROVA_Interface_RadarDevice_GetDefault();
        ROVA_Interface_RadarCtrl_Pause();
        ROVA_Interface_RadarDevice_StartCmdMode(device, gRadarParameter.cmdModeParam, gRadarParameter.cmdModeTimeBase * 150);
        const int accepted = ROVA_Interface_RadarDevice_Protocol_SendCommand(device, command, nullptr, 0, CheckCmdAckData_RetCode, 0, 2000);
        ROVA_Interface_RadarDevice_StopCmdMode(device);
        ROVA_Interface_RadarCtrl_Resume();
        return accepted;
    }
    static tagRADARLINKHEALTH Health() {
        tagRADARLINKHEALTH h{};
        h.structSize = sizeof h;
        ROVA_Interface_RadarCtrl_GetLinkHealth(&h);
        return h;
    }
    // Polls the link health until done(health) or deadlineMs.
    template <typename Done>
    static bool WaitForHealth(Done done, int deadlineMs) {
        for (int waited = 0; waited < deadlineMs; waited += 50) {
            if (done(Health())) return true;
            Sleep(50);
        }
        return done(Health());
    }
    static RadarSimCounters Counters() {
        RadarSimCounters c{};
        ROVA_SimSensor_GetCounters(&c);
        return c;
    }
    // Most targets in any of the next deliveries (after a few that may have been on their way
    // before the command).
    size_t MostTargetsIn(size_t deliveries) {
        constexpr size_t kInFlight = 3;
        listener_.Take();
        EXPECT_TRUE(listener_.WaitFor(deliveries + kInFlight));
        const std::vector<Delivery> all = listener_.Take();
        size_t most = 0;
        for (size_t i = kInFlight; i < all.size(); ++i) most = std::max(most, all[i].objects.size());
        return most;
    }

    int port_ = 0;
    CollectingListener listener_;
};

TEST_F(SerialSensorLink, NoSensorOnThePort) {
    // The port exists but nothing answers: detection passes it over for the simulated sensor and
    // opening it explains why it fails.
    eRADAR_SOURCE_TYPE type = RADAR_SOURCE_NONE;
    CBaseStringA text1, text2;
    int32_t value = 0;
    ROVA_DetectDeviceDlg_DoModal(nullptr, type, text1, text2, value);
    EXPECT_EQ(type, RADAR_SOURCE_COM);
    EXPECT_EQ(value, kSimulatedSensorDeviceValue);

    struct Case {
        int port;
        const char* expected;
    } cases[] = {
        {port_, "No radar sensor answers on COM"},
        {250, "COM250 cannot be opened"},
    };
    for (const Case& c : cases) {
        gRadarParameter.sourceType = RADAR_SOURCE_COM;
        gRadarParameter.detectedDeviceValue = c.port;
        CBaseStringA error;
        EXPECT_FALSE(ROVA_Interface_RadarCtrl_OpenDevice(&error));
        EXPECT_NE(std::string(error.GetString()).find(c.expected), std::string::npos) << error.GetString();
        if (c.port == port_) {
            EXPECT_NE(std::string(error.GetString()).find("COM" + std::to_string(port_) + " "), std::string::npos);
        }
    }
}

TEST_F(SerialSensorLink, DetectStartCommandStop) {
    // Detection: the sensor on the wire wins over the simulated one.
    eRADAR_SOURCE_TYPE type = RADAR_SOURCE_NONE;
    CBaseStringA portText, description;
    int32_t value = 0;
    ROVA_DetectDeviceDlg_DoModal(nullptr, type, portText, description, value);
    ASSERT_EQ(type, RADAR_SOURCE_COM);
    ASSERT_EQ(value, port_);
    EXPECT_STREQ(portText.GetString(), ("COM" + std::to_string(port_)).c_str());
    EXPECT_NE(std::string(description.GetString()).find("emulated"), std::string::npos) << description.GetString();

    // Start: the emulator's two fixed targets (3 m at 10 degrees, 5 m at -20 degrees) arrive.
    SelectSerialSensor();
    OpenAndStart();
    ASSERT_TRUE(listener_.WaitFor(10));
    bool nearSeen = false, farSeen = false;
    for (const Delivery& d : listener_.Take()) {
        for (const DetectedObject& o : d.objects) {
            nearSeen |= std::abs(o.distance - 3.0) < 0.001 && std::abs(o.rawAngle - 10.0) < 0.01 && std::abs(o.velocity + 0.5) < 0.001;
            farSeen |= std::abs(o.distance - 5.0) < 0.001 && std::abs(o.rawAngle + 20.0) < 0.01 && std::abs(o.gate - 20.0) < 0.01;
        }
    }
    EXPECT_TRUE(nearSeen);
    EXPECT_TRUE(farSeen);

    // The MCU tracking commands reach the sensor, are acknowledged and change what it reports.
    EXPECT_EQ(SendTrackingCommand(0x80), 1);
    EXPECT_EQ(MostTargetsIn(10), 1u);
    EXPECT_EQ(SendTrackingCommand(0x90), 1);
    EXPECT_EQ(MostTargetsIn(10), 2u);
    // Outside command mode the sensor answers busy, which the checker reports as a failure.
    EXPECT_EQ(ROVA_Interface_RadarDevice_Protocol_SendCommand(ROVA_Interface_RadarDevice_GetDefault(), 0x90, nullptr, 0,
                                                              CheckCmdAckData_RetCode, 0, 2000),
              0);

    // Stop ends the stream.
    ROVA_Interface_RadarCtrl_Stop();
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
    const uint64_t received = Counters().serialFramesReceived;
    Sleep(500);
    EXPECT_EQ(Counters().serialFramesReceived, received) << "the sensor still streams after the stop";
    listener_.Take();
    ROVA_Interface_RadarCtrl_CloseDevice();
}

TEST_F(SerialSensorLink, NoisyLineLosesNoFrame) {
    SelectSerialSensor();
    const RadarSimCounters before = Counters();
    OpenAndStart();
    ASSERT_TRUE(listener_.WaitFor(300));
    ROVA_Interface_RadarCtrl_Stop();
    const RadarSimCounters after = Counters();
    std::vector<uint32_t> sequences;
    for (const Delivery& d : listener_.Take()) {
        ASSERT_FALSE(d.objects.empty());
        sequences.push_back(d.objects.front().frameSequence);
    }
    ASSERT_GE(sequences.size(), 300u);
    for (size_t i = 1; i < sequences.size(); ++i) ASSERT_EQ(sequences[i], sequences[i - 1] + 1) << "frame lost after " << sequences[i - 1];
    EXPECT_EQ(after.serialLostFrames, before.serialLostFrames);
    EXPECT_GT(after.serialSkippedBytes, before.serialSkippedBytes) << "the line carried no noise";
    EXPECT_EQ(after.framesDropped, before.framesDropped);
}

// The sensor killed or fallen silent mid-run: the link is lost, the port closed and attempts to
// bring the sensor back fail while it does not answer; the run stays and Stop ends it.
TEST_F(SerialSensorLink, LostSensorIsRetriedUntilStop) {
    SelectSerialSensor();
    OpenAndStart();
    ASSERT_TRUE(listener_.WaitFor(20));
    EXPECT_EQ(Health().state, RADAR_LINK_STREAMING);
    if (const char* kill = std::getenv("ROVA_SENSOR_KILL_FILE")) WriteText(kill, "kill\n");
    ASSERT_TRUE(WaitForHealth([](const tagRADARLINKHEALTH& h) { return h.linkLosses >= 1; }, 8000))
        << "the library still waits for the lost sensor";
    ASSERT_TRUE(WaitForHealth([](const tagRADARLINKHEALTH& h) { return h.reconnectFailures >= 2; }, 8000))
        << "no attempt to bring the sensor back";
    const tagRADARLINKHEALTH lost = Health();
    EXPECT_TRUE(lost.state == RADAR_LINK_LOST || lost.state == RADAR_LINK_RECONNECTING) << lost.state;
    EXPECT_EQ(lost.lastReconnectFailure, RADAR_RECONNECT_NO_ANSWER);
    EXPECT_EQ(lost.reconnects, 0u);
    EXPECT_GT(lost.msSinceLastFrame, 2000u);
    EXPECT_EQ(lost.linkLosses, 1u) << "a link already lost is not lost again";
    EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_HasIncompleteData());
    const size_t count = listener_.Count();
    Sleep(300);
    EXPECT_EQ(listener_.Count(), count);
    ROVA_Interface_RadarCtrl_Stop();
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_EQ(Health().state, RADAR_LINK_IDLE);
    ROVA_Interface_RadarCtrl_CloseDevice();
    EXPECT_EQ(ROVA_Interface_RadarDevice_GetDefault(), nullptr);
}

// The sensor comes back: the same run receives its frames again, and the sensor was told the
// tracking command of the mode again (one target instead of its default of several).
TEST_F(SerialSensorLink, ReturningSensorResumesTheRun) {
    const char* kill = std::getenv("ROVA_SENSOR_KILL_FILE");
    const char* restart = std::getenv("ROVA_SENSOR_RESTART_FILE");
    if (!kill || !restart) GTEST_SKIP() << "needs the kill and restart requests of serial_sensor.sh";
    SelectSerialSensor();
    CBaseStringA error;
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(&error)) << error.GetString();
    ASSERT_EQ(SendTrackingCommand(0x80), 1);
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
    EXPECT_EQ(MostTargetsIn(10), 1u);

    WriteText(kill, "kill\n");
    ASSERT_TRUE(WaitForHealth([](const tagRADARLINKHEALTH& h) { return h.linkLosses >= 1; }, 8000));
    ASSERT_TRUE(WaitForHealth([](const tagRADARLINKHEALTH& h) { return h.reconnectFailures >= 1; }, 8000));
    listener_.Take();
    WriteText(restart, "restart\n");
    ASSERT_TRUE(WaitForHealth([](const tagRADARLINKHEALTH& h) { return h.reconnects >= 1; }, 10000))
        << "the sensor is back but the library does not reconnect";
    EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    EXPECT_EQ(MostTargetsIn(10), 1u) << "the tracking command was not given again";
    const tagRADARLINKHEALTH back = Health();
    EXPECT_EQ(back.state, RADAR_LINK_STREAMING);
    EXPECT_EQ(back.linkLosses, 1u);
    EXPECT_EQ(back.reconnects, 1u);
    EXPECT_EQ(back.reconnectAttempts, back.reconnectFailures + 1);
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarCtrl_CloseDevice();
}

// Known faults on the line (noise bytes, damaged frames, frames left out, all listed in the
// emulator's log) come back exactly in the link health, and every frame that arrived is accounted for.
TEST_F(SerialSensorLink, CountersMatchInjectedFaults) {
    const char* logPath = std::getenv("ROVA_SENSOR_LOG");
    const char* until = std::getenv("ROVA_SENSOR_FAULTS_UNTIL");
    if (!logPath || !until) GTEST_SKIP() << "needs the emulator log and fault range of serial_sensor.sh";
    const uint32_t faultsUntil = static_cast<uint32_t>(std::atoi(until));
    SelectSerialSensor();
    OpenAndStart();
    // Past the last fault, with a pause on the way.
    ASSERT_TRUE(listener_.WaitFor(50));
    ROVA_Interface_RadarCtrl_Pause();
    Sleep(300);
    ROVA_Interface_RadarCtrl_Resume();
    bool pastFaults = false;
    for (int i = 0; i < 400 && !pastFaults; ++i) {
        for (const Delivery& d : listener_.Take())
            pastFaults |= !d.objects.empty() && d.objects.front().frameSequence >= faultsUntil + 10;
        if (!pastFaults) Sleep(50);
    }
    ASSERT_TRUE(pastFaults) << "no frame past the faults";
    ROVA_Interface_RadarCtrl_Stop();
    Sleep(500);  // whatever was still on the line is read and counted
    const tagRADARLINKHEALTH h = Health();
    ROVA_Interface_RadarCtrl_CloseDevice();

    uint64_t intact = 0, corrupted = 0, dropped = 0, discarded = 0;
    std::istringstream log(ReadText(logPath));
    for (std::string line; std::getline(log, line);) {
        unsigned sequence = 0, points = 0, bytes = 0, noise = 0;
        if (sscanf(line.c_str(), "FRAME %u points=%u bytes=%u noise=%u", &sequence, &points, &bytes, &noise) == 4) {
            discarded += noise;
            if (line.find("corrupted") != std::string::npos) {
                corrupted += 1;
                discarded += bytes;
            } else {
                intact += 1;
            }
        } else if (line.rfind("DROP ", 0) == 0) {
            dropped += 1;
        }
    }
    ASSERT_GT(corrupted, 0u) << "no damaged frame was injected";
    ASSERT_GT(dropped, 0u) << "no frame was left out";
    EXPECT_EQ(h.framesReceived, intact);
    EXPECT_EQ(h.badChecksumFrames, corrupted);
    EXPECT_EQ(h.framesLost, dropped);
    EXPECT_EQ(h.bytesDiscarded, discarded);
    EXPECT_GT(h.framesPaused, 0u);
    EXPECT_EQ(h.framesReceived, h.framesDelivered + h.framesPaused + h.framesDropped) << "a frame went unaccounted";
    EXPECT_EQ(h.linkLosses, 0u);
    printf("injected: %llu damaged, %llu left out, %llu bytes discarded; received %llu, delivered %llu, paused %llu, dropped %llu\n",
           static_cast<unsigned long long>(corrupted), static_cast<unsigned long long>(dropped),
           static_cast<unsigned long long>(discarded), static_cast<unsigned long long>(h.framesReceived),
           static_cast<unsigned long long>(h.framesDelivered), static_cast<unsigned long long>(h.framesPaused),
           static_cast<unsigned long long>(h.framesDropped));
}

}  // namespace
