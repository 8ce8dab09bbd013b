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

// The log on a disk that refuses: the lines already there stay whole, the events meanwhile (among
// them the log's own "cannot be written") wait and follow in order once it takes them; the log
// says so in its health. Without a result file the log is dated in the folder on its own.
TEST(LinkEventLogTest, EventsWaitWholeWhileTheDiskRefusesAndFollowInOrder) {
    TempFolder folder;
    uint32_t now = 1000;
    bool full = false;
    SYSTEMTIME local{2026, 12, 4, 10, 6, 5, 9, 7};
    CLineFile::Hooks hooks;
    hooks.clock = [&] { return now; };
    hooks.commit = [](HANDLE) {};
    hooks.timerMs = 0;
    hooks.write = [&](HANDLE file, const char* data, DWORD size, DWORD* error) {
        DWORD written = 0;
        ::WriteFile(file, data, full ? size / 2 : size, &written, nullptr);
        if (full) *error = ERROR_DISK_FULL;
        return written;
    };
    hooks.localTime = [&] { return local; };
    CLinkEventLog log(hooks);
    ASSERT_TRUE(log.OpenBeside(L"", folder.file(L"Log")));
    EXPECT_EQ(log.Path(), folder.file(L"Log\\ROVA_MTT_Link_20261210_060509_007.txt"));
    log.Write("run started");
    full = true;
    log.Write("link lost");
    EXPECT_TRUE(log.Health().failing);
    EXPECT_EQ(log.Health().error, static_cast<uint32_t>(ERROR_DISK_FULL));
    log.Write("event log cannot be written: the disk is full (error 112)");
    const auto read = [&] {
        std::ifstream in(TempFolder::narrow(log.Path()), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    EXPECT_EQ(read(), "[2026-12-10 06:05:09.007] run started\r\n") << "a part of a line was left";
    full = false;
    now += CLineFile::kRetryMs;
    log.Write("event log is written again; 0 lost so far");
    EXPECT_FALSE(log.Health().failing);
    const std::string text = read();
    log.Close();
    const char* const order[] = {"] run started\r\n", "] link lost\r\n", "] event log cannot be written",
                                 "] event log is written again"};
    size_t at = 0;
    for (const char* line : order) {
        const size_t found = text.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " missing or out of order: " << text;
        at = found;
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
    EXPECT_EQ(log.Health().lostLines, 0u);
    EXPECT_FALSE(CLinkEventLog().OpenBeside(L"", L""));
}

// The log goes on in a new file at local midnight and at the size limit, each named after its
// own date and time; every event is in exactly one file.
TEST(LinkEventLogTest, TheLogRollsOverAtMidnightAndAtTheSizeLimit) {
    TempFolder folder;
    SYSTEMTIME local{2026, 12, 4, 10, 23, 59, 59, 0};
    CLineFile::Hooks hooks;
    hooks.commit = [](HANDLE) {};
    hooks.timerMs = 0;
    hooks.localTime = [&] { return local; };
    CLinkEventLog log(hooks);
    // Three lines of 34 bytes ("[2026-12-10 23:59:59.000] event1\r\n") fill the file exactly.
    log.SetSizeLimit(3 * 34);
    ASSERT_TRUE(log.OpenBeside(folder.file(L"Log\\ROVA_MTT_Result_20261210_235959_000.txt")));
    std::vector<std::wstring> paths{log.Path()};
    for (int i = 0; i < 5; ++i) {
        local.wMilliseconds = static_cast<WORD>(100 * i);
        log.Write("event" + std::to_string(i));
        if (log.Path() != paths.back()) paths.push_back(log.Path());
    }
    local = SYSTEMTIME{2026, 12, 5, 11, 0, 0, 0, 250};
    log.Write("event5");
    if (log.Path() != paths.back()) paths.push_back(log.Path());
    log.Close();
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0], folder.file(L"Log\\ROVA_MTT_Link_20261210_235959_000.txt"));
    EXPECT_EQ(paths[1], folder.file(L"Log\\ROVA_MTT_Link_20261210_235959_300.txt"));
    EXPECT_EQ(paths[2], folder.file(L"Log\\ROVA_MTT_Link_20261211_000000_250.txt"));
    const char* const expected[] = {
        "[2026-12-10 23:59:59.000] event0\r\n[2026-12-10 23:59:59.100] event1\r\n[2026-12-10 23:59:59.200] event2\r\n",
        "[2026-12-10 23:59:59.300] event3\r\n[2026-12-10 23:59:59.400] event4\r\n",
        "[2026-12-11 00:00:00.250] event5\r\n",
    };
    for (size_t i = 0; i < paths.size(); ++i) {
        std::ifstream in(TempFolder::narrow(paths[i]), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        EXPECT_EQ(text.str(), expected[i]) << "file " << i;
    }
}

}  // namespace
