#include "areas/SerialLightCtrl_YSL.h"

#include <gtest/gtest.h>

#include <algorithm>
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
// How the light answers a frame.
enum class Reply { Echo, Silent, OtherBytes, Short, WriteFails };

struct LineLog {
    std::vector<std::string> events;
    std::vector<DWORD> timeouts;
    Reply reply = Reply::Echo;
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
        const auto* b = static_cast<const uint8_t*>(bytes);
        m_last.assign(b, b + length);
        switch (m_log->reply) {
        case Reply::Echo: break;
        case Reply::Silent: m_last.clear(); break;
        case Reply::OtherBytes: m_last.back() ^= 0x5A; break;  // a damaged CRC
        case Reply::Short: m_last.resize(5); break;
        case Reply::WriteFails: m_last.clear(); return -1;
        }
        return length;
    }
    // The light echoes what it was sent (as LineLog::reply has it).
    int Read(void* bytes, int length, DWORD) override {
        if (!m_open) return -1;
        const int n = std::min(length, static_cast<int>(m_last.size()));
        std::copy(m_last.begin(), m_last.begin() + n, static_cast<uint8_t*>(bytes));
        m_last.clear();
        return n;
    }
    void Pause(uint32_t ms) override { m_log->events.push_back("pause " + std::to_string(ms)); }

private:
    std::shared_ptr<LineLog> m_log;
    bool m_opens;
    bool m_open = false;
    std::vector<uint8_t> m_last;
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

// A light that stops answering gets nothing more: the frame without its echo is the last one
// until the port is opened again, and the lamp it concerned counts as possibly lit.
TEST_F(LightFixture, AFrameWithoutItsEchoIsTheLastOneSent) {
    struct {
        Reply reply;
        const char* what;
    } const cases[] = {{Reply::Silent, "no reply"},
                       {Reply::OtherBytes, "a reply that is not the echo"},
                       {Reply::Short, "a reply cut short"},
                       {Reply::WriteFails, "a failed write"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        log = std::make_shared<LineLog>();
        Make(true);
        light->OpenLight(1, 9600);
        light->ShowLamp(Light::LightTarget);
        Take();
        EXPECT_TRUE(light->Answering());
        log->reply = c.reply;
        light->ShowLamp(Light::LightNoTarget);
        EXPECT_EQ(Take(), Frames{kCoil0Off}) << "the new lamp is not lit behind a lamp that did not go off";
        EXPECT_FALSE(light->Answering());
        EXPECT_EQ(light->State(), Light::LightTarget);
        light->ShowLamp(Light::LightFault);
        light->TurnOffLamp();
        light->CloseLight();
        EXPECT_EQ(Take(), Frames{"close"});
        EXPECT_EQ(light->State(), Light::LightOff);
    }
}

TEST_F(LightFixture, ALightSilentFromTheStartIsNotAnswering) {
    Make(true);
    log->reply = Reply::Silent;
    light->OpenLight(3, 9600);
    EXPECT_EQ(Take(), (Frames{"open COM3 9600", kCoil2On}));
    EXPECT_FALSE(light->Answering());
    light->ShowLamp(Light::LightTarget);
    EXPECT_EQ(Take(), Frames{});
}

// Opened again, the light is brought to the wanted lamp: the lamp that may still be lit goes off
// first, then the wanted one on; the same lamp is simply sent again.
TEST_F(LightFixture, ReopenBringsTheLightToTheWantedLamp) {
    struct {
        int32_t wanted;
        Frames frames;
    } const cases[] = {
        {Light::LightTarget, {"close", "open COM4 9600", kCoil0On}},
        {Light::LightNoTarget, {"close", "open COM4 9600", kCoil0Off, kCoil2On}},
        {Light::LightFault, {"close", "open COM4 9600", kCoil0Off, kCoil1On}},
        {Light::LightOff, {"close", "open COM4 9600", kCoil0Off}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "wanted " << c.wanted);
        log = std::make_shared<LineLog>();
        Make(true);
        light->OpenLight(4, 9600);
        light->ShowLamp(Light::LightTarget);
        log->reply = Reply::Silent;
        light->ShowLamp(Light::LightNoTarget);
        ASSERT_FALSE(light->Answering());
        ASSERT_EQ(light->State(), Light::LightTarget);
        Take();
        log->reply = Reply::Echo;
        EXPECT_TRUE(light->Reopen(c.wanted));
        EXPECT_EQ(Take(), c.frames);
        EXPECT_TRUE(light->Answering());
        EXPECT_EQ(light->State(), c.wanted);
    }
}

TEST_F(LightFixture, ReopenOfALightStillSilentOrAPortThatDoesNotOpenFails) {
    Make(true);
    light->OpenLight(4, 9600);
    log->reply = Reply::Silent;
    light->ShowLamp(Light::LightTarget);
    Take();
    EXPECT_FALSE(light->Reopen(Light::LightTarget));
    // Coil 2 may be lit: its off frame goes first, and is the only one without an echo.
    EXPECT_EQ(Take(), (Frames{"close", "open COM4 9600", kCoil2Off}));
    EXPECT_FALSE(light->Answering());

    log = std::make_shared<LineLog>();
    Make(false);
    light->OpenLight(6, 9600);
    EXPECT_FALSE(light->Reopen(Light::LightNoTarget));
    EXPECT_EQ(Take(), (Frames{"open COM6 9600", "open COM6 9600"}));
    EXPECT_FALSE(light->Answering());
}

// With no lamp to switch, the no-target lamp's off frame asks whether the light answers.
TEST_F(LightFixture, ReopenWithNothingToSwitchStillAsksTheLight) {
    Make(true);
    light->OpenLight(4, 9600);
    light->TurnOffLamp();
    log->reply = Reply::WriteFails;
    light->ShowLamp(Light::LightTarget);
    light->TurnOffLamp();
    Take();
    log->reply = Reply::Echo;
    // The target lamp's on frame failed: it may be lit, and goes off.
    EXPECT_TRUE(light->Reopen(Light::LightOff));
    EXPECT_EQ(Take(), (Frames{"close", "open COM4 9600", kCoil0Off}));
    EXPECT_TRUE(light->Reopen(Light::LightOff));
    EXPECT_EQ(Take(), (Frames{"close", "open COM4 9600", kCoil2Off}));
    EXPECT_EQ(light->State(), Light::LightOff);
}

}  // namespace
