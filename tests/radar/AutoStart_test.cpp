// Monitoring that starts with the console, as a decision and a retry loop against a fake console:
// the timer is the test's own, each attempt answers what the test says.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "radar/AutoStart.h"
#include "settings/XMLParser.h"

namespace {

class FakeHost {
public:
    // Answers of the coming attempts: empty text = the run starts, else the library's reason.
    std::deque<std::wstring> answers;
    std::vector<AutoStartSettings> attempts;
    std::wstring status = L"(never set)";
    std::vector<std::wstring> statuses;
    bool timerRunning = false;
    UINT timerMs = 0;
    int timerStarts = 0;
    std::vector<std::wstring> log;

    bool TryStartRun(const AutoStartSettings& source, std::wstring* why) {
        attempts.push_back(source);
        std::wstring answer = answers.empty() ? L"no sensor" : answers.front();
        if (!answers.empty()) answers.pop_front();
        *why = answer;
        return answer.empty();
    }
    void ShowAutoStartStatus(const std::wstring& text) {
        status = text;
        statuses.push_back(text);
    }
    void StartRetryTimer(UINT ms) {
        timerRunning = true;
        timerMs = ms;
        ++timerStarts;
    }
    void StopRetryTimer() { timerRunning = false; }
    void LogAutoStart(const std::wstring& line) { log.push_back(line); }

    AutoStartHost Host() {
        AutoStartHost host;
        host.tryStartRun = [this](const AutoStartSettings& source, std::wstring* why) { return TryStartRun(source, why); };
        host.showStatus = [this](const std::wstring& text) { ShowAutoStartStatus(text); };
        host.startRetryTimer = [this](UINT ms) { StartRetryTimer(ms); };
        host.stopRetryTimer = [this] { StopRetryTimer(); };
        host.log = [this](const std::wstring& line) { LogAutoStart(line); };
        return host;
    }

    // The timer fires as Windows would fire it: only while it runs.
    void Fire(CAutoStart& autoStart) {
        if (timerRunning) autoStart.OnRetryTimer();
    }
};

AutoStartTexts Texts() {
    AutoStartTexts t;
    t.waiting = L"Waiting for the sensor on {source} ... (attempt {attempts})";
    t.noSource = L"no sensor detected yet";
    t.serialSource = L"COM{port}";
    t.simulatedSource = L"Simulated sensor";
    return t;
}

AutoStartSettings Serial(int port, bool enabled = true) {
    AutoStartSettings s;
    s.enabled = enabled;
    s.sourceType = 1;
    s.deviceValue = port;
    s.port = "COM" + std::to_string(port);
    return s;
}

XMLNode ParseAppConfig(XMLParser& doc, const char* xml) {
    doc.LoadFromMemory(xml, strlen(xml));
    return doc.AppConfig();
}

TEST(AutoStartSettingsTest, ReadsTheSettingAndTheRememberedSource) {
    const struct {
        const char* xml;
        bool enabled;
        int type;
        int value;
        const char* port;
    } cases[] = {
        {"<AppConfig/>", false, 0, 0, ""},
        {"<AppConfig AutoStart=\"1\" LastSourceType=\"1\" LastDeviceValue=\"7\" LastDevicePort=\"COM7\"/>", true, 1, 7,
         "COM7"},
        {"<AppConfig AutoStart=\"0\" LastSourceType=\"1\" LastDeviceValue=\"9999\" LastDevicePort=\"COM9999\"/>", false,
         1, 9999, "COM9999"},
        // Damaged numbers are no source rather than some other port.
        {"<AppConfig AutoStart=\"yes\" LastSourceType=\"1x\" LastDeviceValue=\"7\"/>", false, 0, 7, ""},
        {"<AppConfig AutoStart=\"1\" LastSourceType=\"9\" LastDeviceValue=\"-3\"/>", true, 0, 0, ""},
        {"<AppConfig AutoStart=\"\" LastSourceType=\"\"/>", false, 0, 0, ""},
        {"<Other AutoStart=\"1\"/>", false, 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml);
        XMLParser doc;
        const AutoStartSettings s = AutoStartSettings::Load(ParseAppConfig(doc, c.xml));
        EXPECT_EQ(s.enabled, c.enabled);
        EXPECT_EQ(s.sourceType, c.type);
        EXPECT_EQ(s.HasSource(), c.type != 0);
        EXPECT_EQ(s.deviceValue, c.value);
        EXPECT_EQ(s.port, c.port);
    }
}

TEST(AutoStartSettingsTest, WhatIsSavedReadsBack) {
    XMLParser doc;
    XMLNode root = ParseAppConfig(doc, "<AppConfig Language=\"ENG\"/>");
    AutoStartSettings::SaveSource(root, 1, 12, "COM12");
    AutoStartSettings::SaveEnabled(root, true);
    XMLParser again;
    const std::string text = doc.SaveToString();
    const AutoStartSettings s = AutoStartSettings::Load(ParseAppConfig(again, text.c_str()));
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.sourceType, 1);
    EXPECT_EQ(s.deviceValue, 12);
    EXPECT_EQ(s.port, "COM12");
    AutoStartSettings::SaveEnabled(root, false);
    EXPECT_FALSE(AutoStartSettings::Load(root).enabled);
    EXPECT_STREQ(root.GetAttributeText("Language"), "ENG") << "other settings stay";
}

TEST(AutoStartTest, StartsAtOnceOnlyWhenOnWithARememberedSource) {
    const struct {
        const char* name;
        AutoStartSettings settings;
        size_t attempts;
        CAutoStart::State state;
        std::wstring status;
    } cases[] = {
        {"off", Serial(7, false), 0, CAutoStart::State::Off, L"(never set)"},
        {"on, nothing detected ever", AutoStartSettings{true, 0, 0, ""}, 0, CAutoStart::State::NoSource,
         L"no sensor detected yet"},
        {"on, sensor there", Serial(7), 1, CAutoStart::State::Started, L"(never set)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost host;
        host.answers = {L""};
        CAutoStart autoStart(host.Host(), Texts());
        autoStart.Begin(c.settings);
        EXPECT_EQ(host.attempts.size(), c.attempts);
        EXPECT_EQ(autoStart.GetState(), c.state);
        EXPECT_EQ(host.status, c.status) << "a started run's status is the run's own";
        EXPECT_FALSE(host.timerRunning);
        EXPECT_FALSE(autoStart.Cancel()) << "nothing to end when not waiting";
    }
}

TEST(AutoStartTest, AnAbsentSensorIsTriedAgainOnTheTimerUntilItAnswers) {
    FakeHost host;
    host.answers = {L"port COM7 cannot be opened", L"port COM7 cannot be opened", L"no sensor answers on COM7",
                    L"no sensor answers on COM7", L""};
    CAutoStart autoStart(host.Host(), Texts());
    autoStart.Begin(Serial(7));
    ASSERT_TRUE(autoStart.Waiting());
    ASSERT_EQ(host.attempts.size(), 1u);
    EXPECT_EQ(host.attempts[0].deviceValue, 7) << "the remembered source is the one tried";
    EXPECT_TRUE(host.timerRunning);
    EXPECT_EQ(host.timerMs, CAutoStart::kRetryMs);
    EXPECT_EQ(host.status, L"Waiting for the sensor on COM7 ... (attempt 1)");

    for (int round = 2; round <= 4; ++round) {
        host.Fire(autoStart);
        EXPECT_TRUE(autoStart.Waiting());
        EXPECT_EQ(host.status, L"Waiting for the sensor on COM7 ... (attempt " + std::to_wstring(round) + L")");
    }
    host.Fire(autoStart);
    EXPECT_EQ(autoStart.GetState(), CAutoStart::State::Started);
    EXPECT_EQ(autoStart.Attempts(), 5);
    EXPECT_FALSE(host.timerRunning);
    EXPECT_EQ(host.timerStarts, 1) << "one periodic timer, not one per attempt";
    host.Fire(autoStart);
    autoStart.OnRetryTimer();  // a tick already queued when the run started
    EXPECT_EQ(host.attempts.size(), 5u) << "no attempt once the run started";

    // The log tells the start, each new reason once (not every three seconds), and the start.
    ASSERT_EQ(host.log.size(), 4u);
    EXPECT_NE(host.log[0].find(L"COM7"), std::wstring::npos);
    EXPECT_NE(host.log[1].find(L"cannot be opened"), std::wstring::npos);
    EXPECT_NE(host.log[2].find(L"no sensor answers"), std::wstring::npos);
    EXPECT_NE(host.log[3].find(L"run started on COM7 (attempt 5)"), std::wstring::npos);
}

TEST(AutoStartTest, TheOperatorEndsTheWaiting) {
    FakeHost host;
    CAutoStart autoStart(host.Host(), Texts());
    AutoStartSettings simulated = Serial(9999);
    simulated.port = "COM9999";
    autoStart.Begin(simulated);
    host.Fire(autoStart);
    ASSERT_TRUE(autoStart.Waiting());
    EXPECT_EQ(host.status, L"Waiting for the sensor on Simulated sensor ... (attempt 2)");

    EXPECT_TRUE(autoStart.Cancel());
    EXPECT_EQ(autoStart.GetState(), CAutoStart::State::Cancelled);
    EXPECT_FALSE(host.timerRunning);
    EXPECT_EQ(host.status, L"") << "the waiting text goes";
    EXPECT_NE(host.log.back().find(L"ended by the operator after 2 attempts"), std::wstring::npos) << "log: "
                                                                                                    << host.log.size();
    host.answers = {L""};
    autoStart.OnRetryTimer();  // a tick queued before the Stop
    EXPECT_EQ(host.attempts.size(), 2u) << "no attempt after the Stop";
    EXPECT_FALSE(autoStart.Cancel());
}

}  // namespace
