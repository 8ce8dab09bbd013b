// The link status the operator sees, the stale decision, the event lines of a run and its log file.
#include "radar/LinkStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "TempFolder.h"
#include "radar/LinkEventLog.h"

namespace {

const LinkStatusTexts kTexts{L"COM{port}",
                             L"Simulated sensor",
                             L"Playback {folder}",
                             L"{source} | {fps} fps | errors {errors}",
                             L"{source} | NO DATA {seconds} s | errors {errors}",
                             L"{source} | NO DATA {seconds} s | attempt {attempts}",
                             L"NO DATA"};

tagRADARLINKHEALTH Health(int32_t source, int32_t state, uint64_t sinceMs) {
    tagRADARLINKHEALTH h{};
    h.structSize = sizeof h;
    h.source = source;
    h.port = 7;
    h.state = state;
    h.msSinceLastFrame = sinceMs;
    return h;
}

TEST(LinkStatusTest, StaleOnlyForALiveUnpausedRunWithoutFramesOrWithItsSensorLost) {
    struct Case {
        const char* what;
        int32_t source, state;
        uint64_t since;
        bool running, paused, stale;
    } cases[] = {
        {"streaming", RADAR_LINK_SOURCE_SERIAL, RADAR_LINK_STREAMING, 100, true, false, false},
        {"silent, exactly two seconds", RADAR_LINK_SOURCE_SERIAL, RADAR_LINK_SILENT, 2000, true, false, false},
        {"silent, more than two seconds", RADAR_LINK_SOURCE_SERIAL, RADAR_LINK_SILENT, 2001, true, false, true},
        {"port failed just now", RADAR_LINK_SOURCE_SERIAL, RADAR_LINK_LOST, 300, true, false, true},
        {"reconnecting", RADAR_LINK_SOURCE_SERIAL, RADAR_LINK_RECONNECTING, 6000, true, false, true},
        {"paused", RADAR_LINK_SOURCE_SERIAL, RADAR_LINK_SILENT, 9000, true, true, false},
        {"stopped", RADAR_LINK_SOURCE_SERIAL, RADAR_LINK_IDLE, 9000, false, false, false},
        {"simulated sensor silent", RADAR_LINK_SOURCE_SIMULATED, RADAR_LINK_SILENT, 2500, true, false, true},
        {"played folder between files", RADAR_LINK_SOURCE_FILE, RADAR_LINK_SILENT, 9000, true, false, false},
    };
    for (const Case& c : cases) {
        const tagRADARLINKHEALTH h = Health(c.source, c.state, c.since);
        EXPECT_EQ(CLinkStatus::IsStale(h, c.running, c.paused), c.stale) << c.what;
        EXPECT_EQ(CLinkStatus::Describe(h, c.running, c.paused, L"", kTexts).stale, c.stale) << c.what;
    }
}

TEST(LinkStatusTest, TextNamesSourceRateErrorsAndSaysPlainlyWhenNoDataArrives) {
    tagRADARLINKHEALTH h = Health(RADAR_LINK_SOURCE_SERIAL, RADAR_LINK_STREAMING, 40);
    h.framesPerSecond = 19.5;
    h.badChecksumFrames = 2;
    h.framesLost = 3;
    h.framesDropped = 1;
    h.framesPaused = 50;  // a pause is no error
    EXPECT_EQ(CLinkStatus::Describe(h, true, false, L"", kTexts).text, L"COM7 | 19.5 fps | errors 6");

    h.state = RADAR_LINK_SILENT;
    h.msSinceLastFrame = 3400;
    EXPECT_EQ(CLinkStatus::Describe(h, true, false, L"", kTexts).text, L"COM7 | NO DATA 3 s | errors 6");

    h.state = RADAR_LINK_LOST;
    h.msSinceLastFrame = 8100;
    h.reconnectAttempts = 3;
    EXPECT_EQ(CLinkStatus::Describe(h, true, false, L"", kTexts).text, L"COM7 | NO DATA 8 s | attempt 3");

    const tagRADARLINKHEALTH sim = Health(RADAR_LINK_SOURCE_SIMULATED, RADAR_LINK_STREAMING, 10);
    EXPECT_EQ(CLinkStatus::Describe(sim, true, false, L"", kTexts).text, L"Simulated sensor | 0.0 fps | errors 0");
    const tagRADARLINKHEALTH file = Health(RADAR_LINK_SOURCE_FILE, RADAR_LINK_STREAMING, 10);
    for (const wchar_t* folder : {L"C:\\data\\SaveData\\run 3", L"C:\\data\\SaveData\\run 3\\", L"run 3"})
        EXPECT_EQ(CLinkStatus::Describe(file, true, false, folder, kTexts).text, L"Playback run 3 | 0.0 fps | errors 0")
            << folder;
    EXPECT_EQ(CLinkStatus::Describe(h, false, false, L"", kTexts).text, L"") << "nothing to say without a run";
    EXPECT_EQ(CLinkStatus::Fill(L"{a}{a} {b}", L"a", L"xy"), L"xyxy {b}");
}

TEST(LinkEventTrackerTest, LossAttemptsAndReturnBecomeOneLineEach) {
    CLinkEventTracker tracker;
    tracker.Reset();
    tagRADARLINKHEALTH h = Health(RADAR_LINK_SOURCE_SERIAL, RADAR_LINK_STREAMING, 50);
    EXPECT_TRUE(tracker.Update(h, false, "COM7").empty());

    h.msSinceLastFrame = 2100;
    h.state = RADAR_LINK_SILENT;
    EXPECT_EQ(tracker.Update(h, true, "COM7"), (std::vector<std::string>{"no data from COM7 for 2.1 s"}));
    h.state = RADAR_LINK_LOST;
    h.linkLosses = 1;
    EXPECT_EQ(tracker.Update(h, true, "COM7"),
              (std::vector<std::string>{"link lost: COM7 closed, reconnecting every 2 s"}));
    // Two attempts failed between two looks, then one more.
    h.reconnectAttempts = 3;
    h.reconnectFailures = 2;
    h.lastReconnectFailure = RADAR_RECONNECT_NO_ANSWER;
    EXPECT_EQ(tracker.Update(h, true, "COM7"),
              (std::vector<std::string>{"reconnect attempt 1 failed: no answer from the sensor",
                                        "reconnect attempt 2 failed: no answer from the sensor"}));
    EXPECT_TRUE(tracker.Update(h, true, "COM7").empty()) << "nothing new, nothing written";
    h.reconnectFailures = 3;
    h.lastReconnectFailure = RADAR_RECONNECT_PORT_MISSING;
    EXPECT_EQ(tracker.Update(h, true, "COM7"),
              (std::vector<std::string>{"reconnect attempt 3 failed: the port cannot be opened"}));
    h.reconnectAttempts = 4;
    h.reconnects = 1;
    h.state = RADAR_LINK_STREAMING;
    h.msSinceLastFrame = 30;
    EXPECT_EQ(tracker.Update(h, false, "COM7"),
              (std::vector<std::string>{"reconnect attempt 4 succeeded: link back", "data from COM7 again"}));

    // A new run starts from its own counters: a loss in its first moments is still reported.
    tracker.Reset();
    tagRADARLINKHEALTH next = Health(RADAR_LINK_SOURCE_SERIAL, RADAR_LINK_LOST, 2300);
    next.linkLosses = 1;
    EXPECT_EQ(tracker.Update(next, true, "COM7"),
              (std::vector<std::string>{"no data from COM7 for 2.3 s", "link lost: COM7 closed, reconnecting every 2 s"}));
}

TEST(LinkEventLogTest, LogBesideTheResultFileOneStampedLinePerEvent) {
    EXPECT_EQ(CLinkEventLog::PathBeside(L"C:\\app\\Log\\ROVA_MTT_Result_20261210_061500.txt"),
              L"C:\\app\\Log\\ROVA_MTT_Link_20261210_061500.txt");
    EXPECT_EQ(CLinkEventLog::PathBeside(L"other.txt"), L"ROVA_MTT_Link_other.txt");
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 10;
    t.wHour = 6;
    t.wMinute = 5;
    t.wSecond = 9;
    t.wMilliseconds = 7;
    EXPECT_EQ(CLinkEventLog::FormatLine(t, "link lost"), "[2026-12-10 06:05:09.007] link lost\r\n");

    TempFolder folder;
    const std::wstring result = folder.file(L"ROVA_MTT_Result_1.txt");
    CLinkEventLog log;
    log.Write("before opening: nowhere");
    ASSERT_TRUE(log.OpenBeside(result));
    log.Write("link lost");
    log.Write("link back");
    // Written through at once: readable while the run goes on.
    std::ifstream in(folder.fileA("ROVA_MTT_Link_1.txt"), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    EXPECT_NE(s.find("] link lost\r\n["), std::string::npos) << s;
    EXPECT_NE(s.find("] link back\r\n"), std::string::npos) << s;
    EXPECT_EQ(std::count(s.begin(), s.end(), '\n'), 2);
    in.close();
    log.Close();
    EXPECT_FALSE(log.OpenBeside(L""));
}

}  // namespace
