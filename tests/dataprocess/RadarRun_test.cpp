#include <windows.h>

#include <atomic>
#include <map>
#include <thread>

#include "DataProcessTestSupport.h"

namespace {

class RadarRun : public RadarLibraryTest {};

TEST_F(RadarRun, SimulatedSensorDeliversMovingTargetsWithStableIds) {
    SelectSimulatedSensor(10);
    CollectingListener listener;
    ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(&listener, 0);
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
    EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsStarted());
    ASSERT_TRUE(listener.WaitFor(300));
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&listener);
    std::map<int64_t, int> deliveriesPerId;
    for (const Delivery& d : listener.Take()) {
        for (const DetectedObject& o : d.objects) {
            deliveriesPerId[o.objectId] += 1;
            EXPECT_GT(o.distance, 0);
            EXPECT_NEAR(o.gate, o.distance / 0.25, 1e-9);
            EXPECT_LE(std::abs(o.rawAngle), 62);
            EXPECT_LT(std::abs(o.velocity), 3) << "walking speeds";
        }
    }
    int stable = 0;
    for (const auto& [id, count] : deliveriesPerId) stable += count >= 50 ? 1 : 0;
    EXPECT_GE(stable, 2) << "the same ids come back frame after frame";
    EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsStarted());
}

TEST_F(RadarRun, OpenFailuresExplainWhatFailed) {
    struct Case {
        const char* name;
        int sourceType;
        int value;
        int present;
        const char* failure;
        const char* expected;
    } cases[] = {
        {"nothing detected", 0, 0, 1, nullptr, "Detect Device"},
        {"simulated sensor unplugged", 1, kSimulatedSensorDeviceValue, 0, nullptr, "not connected"},
        {"scripted failure", 1, kSimulatedSensorDeviceValue, 1, "COM9999 is busy", "COM9999 is busy"},
        {"serial port", 1, 5, 1, nullptr, "COM5"},
        {"usb", 2, 0, 1, nullptr, "LibUSB"},
    };
    for (const Case& c : cases) {
        ROVA_SimSensor_Reset();
        ROVA_SimSensor_SetPresent(c.present);
        ROVA_SimSensor_SetOpenFailure(c.failure);
        gRadarParameter.sourceType = c.sourceType;
        gRadarParameter.detectedDeviceValue = c.value;
        CBaseStringA error;
        EXPECT_EQ(0, ROVA_Interface_RadarCtrl_OpenDevice(&error)) << c.name;
        EXPECT_NE(std::string(error.GetString()).find(c.expected), std::string::npos) << c.name << ": " << error.GetString();
        EXPECT_EQ(nullptr, ROVA_Interface_RadarDevice_GetDefault());
    }
    gRadarParameter.isFileSource = 1;
    strcpy(gRadarParameter.dataPath, "Z:\\no\\such\\folder");
    CBaseStringA error;
    EXPECT_EQ(0, ROVA_Interface_RadarCtrl_OpenDevice(&error));
    EXPECT_NE(std::string(error.GetString()).find("Z:\\no\\such\\folder"), std::string::npos);
}

TEST(CheckCmdAckData, ReturnsTheCodeOfValidAcknowledgementsOnly) {
    // A5 5A | len 3 | type 81 | command, code LE | CRC-16/CCITT-FALSE LE over len..payload.
    auto frame = [](uint8_t command, uint16_t code) {
        std::vector<uint8_t> f = {0xA5, 0x5A, 3, 0, 0x81, command, uint8_t(code & 0xFF), uint8_t(code >> 8)};
        uint16_t crc = 0xFFFF;
        for (size_t i = 2; i < f.size(); ++i) {
            crc ^= uint16_t(f[i] << 8);
            for (int b = 0; b < 8; ++b) crc = (crc & 0x8000) ? uint16_t((crc << 1) ^ 0x1021) : uint16_t(crc << 1);
        }
        f.push_back(uint8_t(crc & 0xFF));
        f.push_back(uint8_t(crc >> 8));
        return f;
    };
    const std::vector<uint8_t> ok = frame(0x80, 0), refused = frame(0x90, 1);
    EXPECT_EQ(CheckCmdAckData_RetCode(RADAR_PROTOCOL_V1, ok.data(), int(ok.size()), 0), kRadarAckAccepted);
    EXPECT_EQ(CheckCmdAckData_RetCode(RADAR_PROTOCOL_V1, ok.data(), int(ok.size()), 0x80), kRadarAckAccepted);
    EXPECT_EQ(CheckCmdAckData_RetCode(RADAR_PROTOCOL_V1, ok.data(), int(ok.size()), 0x90), kRadarAckInvalid) << "other command";
    EXPECT_EQ(CheckCmdAckData_RetCode(RADAR_PROTOCOL_V1, refused.data(), int(refused.size()), 0), kRadarAckRejected);
    std::vector<uint8_t> bad = ok;
    bad[6] ^= 1;
    EXPECT_EQ(CheckCmdAckData_RetCode(RADAR_PROTOCOL_V1, bad.data(), int(bad.size()), 0), kRadarAckInvalid) << "CRC";
    EXPECT_EQ(CheckCmdAckData_RetCode(RADAR_PROTOCOL_V1, ok.data(), int(ok.size()) - 1, 0), kRadarAckInvalid) << "short";
    EXPECT_EQ(CheckCmdAckData_RetCode(RADAR_PROTOCOL_V1, nullptr, 0, 0), kRadarAckInvalid);
}

// The console's start sequence with tracking on the module: pause, command mode, the tracking
// command, resume, start. 0x80 limits the ResultMTT stream to one target, 0x90 to several.
TEST_F(RadarRun, McuTrackingCommandSetsTheNumberOfTargets) {
    for (int command : {0x80, 0x90}) {
        ROVA_Interface_RadarCtrl_CloseDevice();
        SelectSimulatedSensor(10);
        gRadarParameter.algorithmOnMcu = 10;
        gRadarParameter.simTargetCount = 4;
        CollectingListener listener;
        ROVA_Interface_RadarDataFilter_Add_ResultMTT_ObjectDetectListener(&listener, 0);
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
        ROVA_Interface_RadarCtrl_EnableProcessFilter_ObjectDetect(0);
        RADAR_DEVICE_HANDLE device = ROVA_Interface_RadarDevice_GetDefault();
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(0, ROVA_Interface_RadarDevice_Protocol_SendCommand(device, command, nullptr, 0, CheckCmdAckData_RetCode, 0, 2000))
            << "refused outside command mode";
        ROVA_Interface_RadarCtrl_Pause();
        EXPECT_TRUE(ROVA_Interface_RadarCtrl_IsPaused());
        EXPECT_TRUE(ROVA_Interface_RadarDevice_StartCmdMode(device, gRadarParameter.cmdModeParam, gRadarParameter.cmdModeTimeBase * 150));
        EXPECT_TRUE(ROVA_Interface_RadarDevice_Protocol_SendCommand(device, command, nullptr, 0, CheckCmdAckData_RetCode, 0, 2000));
        int last = 0;
        EXPECT_GE(ROVA_SimSensor_GetLastCommand(&last), 2);
        EXPECT_EQ(last, command);
        ROVA_Interface_RadarDevice_StopCmdMode(device);
        ROVA_Interface_RadarCtrl_Resume();
        EXPECT_FALSE(ROVA_Interface_RadarCtrl_IsPaused());
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
        ASSERT_TRUE(listener.WaitFor(200));
        ROVA_Interface_RadarCtrl_Stop();
        ROVA_Interface_RadarDataFilter_Del_ResultMTT_ObjectDetectListener(&listener);
        size_t most = 0;
        for (const Delivery& d : listener.Take()) most = std::max(most, d.objects.size());
        if (command == 0x80) {
            EXPECT_EQ(most, 1u);
        } else {
            EXPECT_GE(most, 2u);
        }
    }
}

// A listener that notes a call made after its removal (or after the stop) returned.
class GuardedListener : public IRadarObjectDetectListener {
public:
    std::atomic<bool> closed{false};
    std::atomic<int> calls{0};
    std::atomic<int> lateCalls{0};
    void OnRadarObjectDetect(uint16_t, CPtrCtrl* objects) override {
        if (closed) lateCalls += 1;
        calls += 1;
        // Read the objects slowly: they must stay valid for the whole call.
        for (int i = 0; i < objects->GetCount(); ++i) {
            volatile double d = static_cast<DetectedObject*>(objects->GetAt(i))->distance;
            (void)d;
        }
        Sleep(1);
        if (closed) lateCalls += 1;
    }
};

TEST_F(RadarRun, NoCallbackRunsAfterDelOrStopReturns) {
    SelectSimulatedSensor(1);
    for (int round = 0; round < 30; ++round) {
        GuardedListener a, b;
        ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(&a, 0);
        ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(&b, 0);
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
        while (a.calls < 1 + round % 4) Sleep(0);
        // Half the rounds remove a listener during the run, the others stop with both attached.
        if (round % 2 == 0) {
            ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&a);
            a.closed = true;
            while (b.calls < a.calls + 3) Sleep(0);  // the run goes on for the other one
            ROVA_Interface_RadarCtrl_Stop();
            b.closed = true;
        } else {
            ROVA_Interface_RadarCtrl_Stop();
            a.closed = true;
            b.closed = true;
        }
        Sleep(3);
        ROVA_Interface_RadarCtrl_CloseDevice();
        ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&a);
        ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&b);
        EXPECT_EQ(a.lateCalls, 0) << "round " << round;
        EXPECT_EQ(b.lateCalls, 0) << "round " << round;
    }
}

// Removing itself or stopping the run from inside the callback neither deadlocks nor calls back.
TEST_F(RadarRun, ListenerMayRemoveItselfOrStopFromItsCallback) {
    struct SelfRemoving : IRadarObjectDetectListener {
        bool stopRun = false;
        std::atomic<int> calls{0};
        void OnRadarObjectDetect(uint16_t, CPtrCtrl*) override {
            if (++calls > 1) return;
            if (stopRun) {
                ROVA_Interface_RadarCtrl_Stop();
            } else {
                ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(this);
            }
        }
    };
    SelectSimulatedSensor(2);
    for (bool stopRun : {false, true}) {
        SelfRemoving listener;
        listener.stopRun = stopRun;
        CollectingListener witness;
        ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(&listener, 0);
        ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(&witness, 0);
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
        if (stopRun) {
            while (ROVA_Interface_RadarCtrl_IsStarted()) Sleep(1);
        } else {
            EXPECT_TRUE(witness.WaitFor(30));
        }
        ROVA_Interface_RadarCtrl_CloseDevice();
        EXPECT_EQ(listener.calls, 1) << (stopRun ? "stop" : "remove");
        ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&listener);
        ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&witness);
    }
}

TEST_F(RadarRun, PauseHoldsDeliveriesUntilResume) {
    SelectSimulatedSensor(5);
    CollectingListener listener;
    ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(&listener, 0);
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
    ASSERT_TRUE(listener.WaitFor(5));
    ROVA_Interface_RadarCtrl_Pause();
    while (ROVA_Interface_RadarCtrl_HasIncompleteData()) Sleep(1);
    const size_t atPause = listener.Count();
    Sleep(150);
    EXPECT_EQ(listener.Count(), atPause);
    ROVA_Interface_RadarCtrl_Resume();
    EXPECT_TRUE(listener.WaitFor(atPause + 5));
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&listener);
}

}  // namespace
