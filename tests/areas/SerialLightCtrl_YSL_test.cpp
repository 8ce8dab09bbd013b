#include "areas/SerialLightCtrl_YSL.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using Light = CSerialLightCtrl_YSL;

// Bytes of each frame as hex text, so a failing sequence reads like a line analyser's log.
std::string Hex(const uint8_t* bytes, size_t n) {
    std::string s;
    char b[4];
    for (size_t i = 0; i < n; ++i) {
        snprintf(b, sizeof b, i ? " %02X" : "%02X", bytes[i]);
        s += b;
    }
    return s;
}

const std::string kCoil2On = "01 05 00 02 FF 00 2D FA";
const std::string kCoil2Off = "01 05 00 02 00 00 6C 0A";
const std::string kCoil1Off = "01 05 00 01 00 00 9C 0A";
const std::string kCoil1On = "01 05 00 01 FF 00 DD FA";
const std::string kCoil0On = "01 05 00 00 FF 00 8C 3A";
const std::string kCoil0Off = "01 05 00 00 00 00 CD CA";
const std::string kCoil3Off = "01 05 00 03 00 00 3D CA";

// Everything the light does to its line, in order: frames as hex, pauses as "pause N",
// "open COMn baud", "close".
struct LineLog {
    std::vector<std::string> events;
    std::vector<DWORD> timeouts;
};

class RecordingPort : public ILightPort {
public:
    RecordingPort(std::shared_ptr<LineLog> log, bool opens) : m_log(std::move(log)), m_opens(opens) {}
    int Open(int port, unsigned long baud) override {
        m_log->events.push_back("open COM" + std::to_string(port) + " " + std::to_string(baud));
        m_open = m_opens;
        return m_opens ? 1 : 0;
    }
    int IsOpened() const override { return m_open ? 1 : 0; }
    void Close() override {
        m_log->events.push_back("close");
        m_open = false;
    }
    int Write(const void* bytes, int length, DWORD timeoutMs) override {
        EXPECT_TRUE(m_open) << "write on a closed port";
        m_log->events.push_back(Hex(static_cast<const uint8_t*>(bytes), static_cast<size_t>(length)));
        m_log->timeouts.push_back(timeoutMs);
        return length;
    }
    void Pause(uint32_t ms) override { m_log->events.push_back("pause " + std::to_string(ms)); }

private:
    std::shared_ptr<LineLog> m_log;
    bool m_opens;
    bool m_open = false;
};

struct LightFixture : ::testing::Test {
    std::shared_ptr<LineLog> log = std::make_shared<LineLog>();
    std::unique_ptr<Light> light;
    void Make(bool opens) { light = std::make_unique<Light>(std::make_unique<RecordingPort>(log, opens)); }
    // The frames (without pauses) since the last call.
    std::vector<std::string> Take() {
        std::vector<std::string> out;
        for (size_t i = 0; i < log->events.size(); ++i) {
            const std::string& e = log->events[i];
            if (e.rfind("pause", 0) == 0) continue;
            out.push_back(e);
            // Every frame is followed by the light's 100 ms.
            if (e.size() == kCoil0On.size()) {
                EXPECT_TRUE(i + 1 < log->events.size() && log->events[i + 1] == "pause 100") << "after " << e;
            }
        }
        log->events.clear();
        return out;
    }
};

using Frames = std::vector<std::string>;

TEST(LightFrameTest, CoilFramesAreTheModbusWriteSingleCoilRequests) {
    struct {
        uint16_t coil;
        bool on;
        const std::string& hex;
    } const cases[] = {{2, true, kCoil2On}, {2, false, kCoil2Off}, {1, false, kCoil1Off},
                       {0, true, kCoil0On}, {0, false, kCoil0Off}, {3, false, kCoil3Off}};
    for (const auto& c : cases) {
        const Light::Frame f = Light::CoilFrame(c.coil, c.on);
        EXPECT_EQ(Hex(f.data(), f.size()), c.hex) << "coil " << c.coil;
    }
    const Light::Frame high = Light::CoilFrame(0x1234, true);
    EXPECT_EQ(high[2], 0x12);
    EXPECT_EQ(high[3], 0x34);
    // Appending the CRC low byte first makes the CRC of the whole frame zero.
    EXPECT_EQ(Light::Crc16Modbus(high.data(), high.size()), 0);
}

TEST_F(LightFixture, OpenLightsTheNoTargetLampAndTracesTheResult) {
    Make(true);
    light->OpenLight(7, 19200);
    EXPECT_EQ(Take(), (Frames{"open COM7 19200", kCoil2On}));
    EXPECT_EQ(light->State(), Light::LightNoTarget);
    EXPECT_EQ(log->timeouts, (std::vector<DWORD>{500}));
}

TEST_F(LightFixture, LampChangesSendOldOffThenNewOnAndRepeatsSendNothing) {
    Make(true);
    light->OpenLight(1, 9600);
    Take();
    light->ShowLamp(Light::LightTarget);
    EXPECT_EQ(Take(), (Frames{kCoil2Off, kCoil0On}));
    light->ShowLamp(Light::LightTarget);
    EXPECT_EQ(Take(), Frames{});
    light->ShowLamp(Light::LightNoTarget);
    EXPECT_EQ(Take(), (Frames{kCoil0Off, kCoil2On}));
    EXPECT_EQ(light->State(), Light::LightNoTarget);
}

TEST_F(LightFixture, StopWithTargetLampLitSendsItsOffThenTheClosingFrame) {
    Make(true);
    light->OpenLight(1, 9600);
    light->ShowLamp(Light::LightTarget);
    Take();
    light->CloseLight();
    EXPECT_EQ(Take(), (Frames{kCoil0Off, kCoil3Off, "close"}));
    EXPECT_EQ(light->State(), Light::LightOff);
    light->CloseLight();
    light->TurnOffLamp();
    light->ShowLamp(Light::LightTarget);
    EXPECT_EQ(Take(), Frames{}) << "a closed light sends nothing";
}

TEST_F(LightFixture, TurnOffLampInLightOffSendsNothing) {
    Make(true);
    light->OpenLight(1, 9600);
    light->TurnOffLamp();
    Take();
    light->TurnOffLamp();
    EXPECT_EQ(Take(), Frames{});
    EXPECT_EQ(light->State(), Light::LightOff);
    light->ShowLamp(Light::LightTarget);
    EXPECT_EQ(Take(), Frames{kCoil0On});
}

TEST_F(LightFixture, ReopeningClosesFirstAndDestructionCloses) {
    Make(true);
    light->OpenLight(1, 9600);
    light->ShowLamp(Light::LightTarget);
    Take();
    light->OpenLight(2, 115200);
    EXPECT_EQ(Take(), (Frames{kCoil0Off, kCoil3Off, "close", "open COM2 115200", kCoil2On}));
    light.reset();
    EXPECT_EQ(Take(), (Frames{kCoil2Off, kCoil3Off, "close"}));
}

TEST_F(LightFixture, PortThatDoesNotOpenKeepsTheLightOffAndSilent) {
    Make(false);
    light->OpenLight(99, 9600);
    light->ShowLamp(Light::LightTarget);
    light->ShowLamp(Light::LightNoTarget);
    light->TurnOffLamp();
    light->CloseLight();
    EXPECT_EQ(Take(), Frames{"open COM99 9600"});
    EXPECT_EQ(light->State(), Light::LightOff);
}

TEST_F(LightFixture, OnlyTheLampsOfTheConsoleCanBeLit) {
    Make(true);
    light->OpenLight(1, 9600);
    Take();
    light->ShowLamp(42);
    light->ShowLamp(-1);
    EXPECT_EQ(Take(), Frames{});
    EXPECT_EQ(light->State(), Light::LightNoTarget);
    light->ShowLamp(Light::LightOff);
    EXPECT_EQ(Take(), Frames{kCoil2Off});
}

// No data: the lit lamp goes off and the fault lamp (coil 1) on; data back: coil 1 off first,
// then the lamp presence asks for; the stop sequence turns the fault lamp off like any other.
TEST_F(LightFixture, FaultLampReplacesTheLitLampAndGoesOffFirstWhenDataReturns) {
    Make(true);
    light->OpenLight(1, 9600);
    Take();
    light->ShowLamp(Light::LightFault);
    EXPECT_EQ(Take(), (Frames{kCoil2Off, kCoil1On}));
    EXPECT_EQ(light->State(), Light::LightFault);
    light->ShowLamp(Light::LightFault);
    EXPECT_EQ(Take(), Frames{});
    light->ShowLamp(Light::LightTarget);
    EXPECT_EQ(Take(), (Frames{kCoil1Off, kCoil0On}));
    light->ShowLamp(Light::LightFault);
    EXPECT_EQ(Take(), (Frames{kCoil0Off, kCoil1On}));
    light->CloseLight();
    EXPECT_EQ(Take(), (Frames{kCoil1Off, kCoil3Off, "close"}));
}

}  // namespace
