#include "areas/ZoneTracker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "areas/ZoneClock.h"
#include "areas/ZoneEventLog.h"
#include "radar/ZoneRecorder.h"
#include "tests/TempFolder.h"

namespace {

// One frame of a script: the time and, per target, its id and the area bits of its position.
struct Step {
    uint64_t time;
    std::vector<std::pair<int64_t, uint32_t>> targets;
};

// "entry a1 id7 t100" / "exit a1 id7 t300 d200": compact enough to compare whole runs.
std::string Describe(const ZoneEvent& e) {
    std::ostringstream s;
    s << (e.kind == ZoneEvent::Entry ? "entry" : "exit") << " a" << e.area << " id" << e.id << " t" << e.timeMs;
    if (e.kind == ZoneEvent::Exit) s << " d" << e.dwellMs;
    return s.str();
}

std::vector<std::string> Play(const std::vector<Step>& steps, bool finish, ZoneTracker* keep = nullptr) {
    ZoneTracker local;
    ZoneTracker& tracker = keep ? *keep : local;
    std::vector<ZoneEvent> events;
    for (const Step& step : steps) {
        std::vector<ZoneReport> reports;
        for (auto [id, areas] : step.targets) reports.push_back(ZoneReport{id, 1.0 + id, -10.0, areas});
        tracker.Frame(step.time, reports.data(), static_cast<int>(reports.size()), events);
    }
    if (finish) tracker.Finish(events);
    std::vector<std::string> out;
    for (const ZoneEvent& e : events) out.push_back(Describe(e));
    return out;
}

constexpr uint32_t A1 = 1u << 1, A2 = 1u << 2, A31 = 1u << 31, Detect = 1u;

struct ScriptCase {
    const char* name;
    std::vector<Step> steps;
    bool finish;
    std::vector<std::string> expected;
};

class ZoneScriptTest : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ZoneScriptTest, GivesTheEventsAHandCheckExpects) {
    const ScriptCase& c = GetParam();
    EXPECT_EQ(Play(c.steps, c.finish), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ZoneScriptTest,
    ::testing::Values(
        ScriptCase{"WalkInAndOut",
                   {{0, {{7, 0}}}, {100, {{7, A1}}}, {200, {{7, A1}}}, {300, {{7, 0}}}},
                   false,
                   {"entry a1 id7 t100", "exit a1 id7 t300 d200"}},
        ScriptCase{"OverlappingAreasOpenAndCloseOneByOne",
                   {{0, {{4, A1 | A2}}}, {66, {{4, A2}}}, {133, {{4, A2 | A31}}}, {200, {{4, 0}}}},
                   false,
                   {"entry a1 id4 t0", "entry a2 id4 t0", "exit a1 id4 t66 d66", "entry a31 id4 t133",
                    "exit a2 id4 t200 d200", "exit a31 id4 t200 d67"}},
        ScriptCase{"DetectAreaIsNoZone", {{0, {{1, Detect}}}, {100, {{1, Detect | A1}}}}, false, {"entry a1 id1 t100"}},
        // Not reported for exactly the expiry is still inside; one millisecond more and it left
        // where it was last seen.
        ScriptCase{"SilentTargetExpiresAfterTheSlotRule",
                   {{100, {{3, A1}}}, {200, {{3, A1}, {5, 0}}}, {2200, {{5, 0}}}, {2201, {{5, 0}}}},
                   false,
                   {"entry a1 id3 t100", "exit a1 id3 t200 d100"}},
        ScriptCase{"ComingBackAfterExpiryIsANewStay",
                   {{0, {{3, A1}}}, {2500, {{3, A1}}}},
                   false,
                   {"entry a1 id3 t0", "exit a1 id3 t0 d0", "entry a1 id3 t2500"}},
        ScriptCase{"ShortGapKeepsTheStay", {{0, {{3, A1}}}, {1900, {{3, A1}}}, {2000, {{3, 0}}}}, false,
                   {"entry a1 id3 t0", "exit a1 id3 t2000 d2000"}},
        ScriptCase{"RunEndClosesOpenStaysInIdOrder",
                   {{0, {{9, A2}, {2, A1 | A2}}}, {500, {{9, A2}, {2, A1 | A2}}}},
                   true,
                   {"entry a2 id9 t0", "entry a1 id2 t0", "entry a2 id2 t0", "exit a1 id2 t500 d500",
                    "exit a2 id2 t500 d500", "exit a2 id9 t500 d500"}},
        // Zone times go past 2^32 ms (the recorder's clock carries the stream stamp's wrap).
        ScriptCase{"TimesGoPastThirtyTwoBits",
                   {{0xFFFFFF00u, {{6, A1}}}, {0x100000100ull, {{6, 0}}}},
                   false,
                   {"entry a1 id6 t4294967040", "exit a1 id6 t4294967552 d512"}}),
    [](const ::testing::TestParamInfo<ScriptCase>& info) { return std::string(info.param.name); });

TEST(ZoneTracker, CountsTargetsInsideAndExpiresOnTheTimerToo) {
    ZoneTracker tracker;
    std::vector<ZoneEvent> events;
    ZoneReport frame[] = {{1, 2.0, -5.0, A1}, {2, 3.0, 5.0, A1 | A2}, {3, 4.0, 0.0, 0}};
    tracker.Frame(1000, frame, 3, events);
    EXPECT_EQ(tracker.Inside(1), 2);
    EXPECT_EQ(tracker.Inside(2), 1);
    EXPECT_EQ(tracker.Inside(0), 0);
    events.clear();
    tracker.Expire(3000, events);  // 2000 ms: not yet
    EXPECT_TRUE(events.empty());
    tracker.Expire(3001, events);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(tracker.Inside(1), 0);
    EXPECT_EQ(tracker.Inside(2), 0);
    // The exit carries the last position seen.
    EXPECT_EQ(events[1].id, 2);
    EXPECT_DOUBLE_EQ(events[1].distance, 3.0);
    EXPECT_DOUBLE_EQ(events[1].angle, 5.0);
    EXPECT_EQ(events[1].timeMs, 1000u);
}

TEST(ZoneEventLog, WritesADatedFileWithHeaderAndReachesTheDiskOnFlush) {
    TempFolder folder;
    const std::wstring log = folder.file(L"Log");
    ZoneEventLog file;
    ASSERT_TRUE(file.OpenInFolder(log.c_str()));
    const std::string path = TempFolder::narrow(file.Path());
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    EXPECT_EQ(name.rfind("ROVA_MTT_Zones_", 0), 0u) << name;
    EXPECT_EQ(name.substr(name.size() - 4), ".csv");

    // 2026-01-02 03:04:05.000 UTC as the start of the stream; the clock column is local time.
    SYSTEMTIME start{2026, 1, 5, 2, 3, 4, 5, 0};
    FILETIME utc;
    ASSERT_TRUE(::SystemTimeToFileTime(&start, &utc));
    file.SetStreamStart(utc);
    ZoneEvent entry{ZoneEvent::Entry, 3, 7, 1500, 2.5, -12.0, 0};
    ZoneEvent exit{ZoneEvent::Exit, 3, 7, 4250, 2.75, -11.5, 2750};
    file.Write({entry, exit});
    file.Flush();
    auto read = [&] {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    const std::string text = read();  // the file is still open: this is what the disk holds
    FILETIME local;
    SYSTEMTIME clock;
    ULARGE_INTEGER at{{utc.dwLowDateTime, utc.dwHighDateTime}};
    at.QuadPart += 1500 * 10000ull;
    FILETIME when{at.LowPart, at.HighPart};
    ::FileTimeToLocalFileTime(&when, &local);
    ::FileTimeToSystemTime(&local, &clock);
    char expectedClock[40];
    snprintf(expectedClock, sizeof expectedClock, "%04d-%02d-%02d %02d:%02d:%02d.%03d", clock.wYear, clock.wMonth,
             clock.wDay, clock.wHour, clock.wMinute, clock.wSecond, clock.wMilliseconds);
    EXPECT_NE(text.find(std::string("entry,3,7,1500,") + expectedClock + ",2.50,-12.00,\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("exit,3,7,4250,"), std::string::npos) << text;
    EXPECT_NE(text.find(",2.75,-11.50,2750\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.rfind(std::string(ZoneEventLog::kHeader) + "\r\n", 0), 0u);
    file.Close();
}

TEST(ZoneEventLog, WithoutAStreamStartTheClockColumnStaysEmpty) {
    ZoneEvent exit{ZoneEvent::Exit, 31, -4, 66, 0.0, 90.0, 33};
    EXPECT_EQ(ZoneEventLog::FormatEvent(exit, nullptr), "exit,31,-4,66,,0.00,90.00,33");
}

// Positions no sensor measures still give a line with all eight columns, the dwell last; ordinary
// ones keep two decimals.
TEST(ZoneEventLog, ValuesOfAnySizeKeepEveryColumn) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    SYSTEMTIME clock{9999, 12, 0, 31, 23, 59, 59, 999};
    const struct {
        double distance, angle;
        const char* distanceText;  // null: any text that reads back as the value
        const char* angleText;
    } cases[] = {
        {2.5, -12.0, "2.50", "-12.00"},
        {123456789.126, -179.996, "123456789.13", "-180.00"},
        {1e200, -1e300, nullptr, nullptr},
        {-1.7976931348623157e308, 1.7976931348623157e308, nullptr, nullptr},
        {inf, -inf, nullptr, nullptr},
        {nan, nan, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        ZoneEvent exit{ZoneEvent::Exit, 31, INT64_MIN, 0xFFFFFFFFu, c.distance, c.angle, 0xFFFFFFFFu};
        const std::string line = ZoneEventLog::FormatEvent(exit, &clock);
        std::vector<std::string> columns;
        std::stringstream split(line);
        for (std::string column; std::getline(split, column, ',');) columns.push_back(column);
        ASSERT_EQ(columns.size(), 8u) << line;
        EXPECT_EQ(columns[0], "exit");
        EXPECT_EQ(columns[2], "-9223372036854775808");
        EXPECT_EQ(columns[4], "9999-12-31 23:59:59.999");
        EXPECT_EQ(columns[7], "4294967295") << line;
        const double values[] = {c.distance, c.angle};
        const char* texts[] = {c.distanceText, c.angleText};
        for (int k = 0; k < 2; ++k) {
            const double read = strtod(columns[5 + k].c_str(), nullptr);
            if (texts[k]) {
                EXPECT_EQ(columns[5 + k], texts[k]);
            } else if (std::isnan(values[k])) {
                EXPECT_TRUE(std::isnan(read)) << line;
            } else if (std::isinf(values[k])) {
                EXPECT_EQ(read, values[k]) << line;
            } else {
                EXPECT_NEAR(read / values[k], 1.0, 1e-6) << line;
            }
        }
    }
}

}  // namespace

namespace {

// One delivery of objects at a stream time, and the view's membership of each.
struct Delivery {
    DeliveredFrame frame;
    Delivery(uint32_t streamMs, const std::vector<std::pair<int64_t, uint32_t>>& targets) {
        frame.timed = !targets.empty();
        frame.streamMs = streamMs;
        for (auto [id, areas] : targets) {
            const int index = static_cast<int>(frame.objects.size());
            frame.objects.push_back(CalibratedObject{id, 8.0, 2.0, 0.0, -4.0, index});
            frame.accepted.push_back(TrackMembership{id, 8.0, -94.0, areas, index});
            frame.reports.push_back(ZoneReport{id, 2.0, -4.0, areas});
        }
    }
    void To(CZoneRecorder& recorder) { recorder.OnDelivery(frame); }
};

TEST(ZoneRecorder, WritesEachRunToItsOwnFileAndClosesOpenStaysAtTheStop) {
    TempFolder folder;
    const std::string log = folder.fileA("Log");
    CZoneRecorder recorder;
    recorder.Start(folder.file(L"Log").c_str());
    Delivery(1000, {{3, 1u << 1}, {4, 0}}).To(recorder);
    Delivery(1066, {{3, (1u << 1) | (1u << 2)}}).To(recorder);
    EXPECT_EQ(recorder.Inside(1), 1);
    EXPECT_EQ(recorder.Inside(2), 1);
    recorder.Tick();  // the last delivery was just now: nobody expires
    EXPECT_EQ(recorder.Inside(1), 1);
    recorder.Stop();
    EXPECT_EQ(recorder.Inside(1), 0);
    // A delivery after the stop changes nothing.
    Delivery(2000, {{5, 1u << 1}}).To(recorder);

    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((log + "\\ROVA_MTT_Zones_*.csv").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    ::FindClose(find);
    std::ifstream in(log + "\\" + data.cFileName, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        // Without the clock column, which is the wall clock of the test run.
        const size_t a = line.find(',', line.find(',', line.find(',', line.find(',') + 1) + 1) + 1);
        lines.push_back(line.substr(0, a + 1) + line.substr(line.find(',', a + 1) + 1));
    }
    const std::vector<std::string> expected = {
        "event,area,id,time_ms,distance_m,angle_deg,dwell_ms\r",
        "entry,1,3,1000,2.00,-4.00,\r",
        "entry,2,3,1066,2.00,-4.00,\r",
        "exit,1,3,1066,2.00,-4.00,66\r",
        "exit,2,3,1066,2.00,-4.00,0\r",
    };
    EXPECT_EQ(lines, expected);
}

}  // namespace

namespace {

// A recorder on clocks of the test: the tick clock and the wall clock both stand at `ms` after
// 2026-01-02 03:04:05 UTC.
struct FakeClocks {
    uint64_t ms = 0;
    static uint64_t Start() {
        SYSTEMTIME start{2026, 1, 5, 2, 3, 4, 5, 0};
        FILETIME utc;
        ::SystemTimeToFileTime(&start, &utc);
        return (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
    }
    CZoneRecorder::Hooks Hooks() {
        return CZoneRecorder::Hooks{[this] { return static_cast<uint32_t>(ms); },
                                    [this] {
                                        const uint64_t t = Start() + ms * 10000;
                                        return FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
                                    }};
    }
    // The clock column of the event file for the wall clock at `at`.
    static std::string Column(uint64_t at) {
        const uint64_t t = Start() + at * 10000;
        FILETIME utc{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)}, local;
        SYSTEMTIME c;
        ::FileTimeToLocalFileTime(&utc, &local);
        ::FileTimeToSystemTime(&local, &c);
        char text[40];
        snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", c.wYear, c.wMonth, c.wDay, c.wHour,
                 c.wMinute, c.wSecond, c.wMilliseconds);
        return text;
    }
};

// The event lines of the one event file in folder, without the header.
std::vector<std::string> EventLines(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\ROVA_MTT_Zones_*.csv").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return {};
    ::FindClose(find);
    std::ifstream in(folder + "\\" + data.cFileName, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.size() - 1));
    if (!lines.empty()) lines.erase(lines.begin());
    return lines;
}

struct RecorderStep {
    uint32_t streamMs;
    uint64_t wallMs;  // tick and wall clock at the delivery, from the start
    std::vector<std::pair<int64_t, uint32_t>> targets;
};

struct RecorderCase {
    const char* name;
    std::vector<RecorderStep> steps;
    // Lines with "@<ms>" where the clock column of the wall clock at that time stands.
    std::vector<std::string> expected;
};

class ZoneRecorderClockTest : public ::testing::TestWithParam<RecorderCase> {};

TEST_P(ZoneRecorderClockTest, TimeGoesOnAndTheClockColumnSaysWhen) {
    TempFolder folder;
    FakeClocks clocks;
    CZoneRecorder recorder(clocks.Hooks());
    recorder.Start(folder.file(L"Log").c_str());
    for (const RecorderStep& step : GetParam().steps) {
        clocks.ms = step.wallMs;
        Delivery(step.streamMs, step.targets).To(recorder);
    }
    recorder.Stop();
    std::vector<std::string> expected;
    for (std::string line : GetParam().expected) {
        const size_t at = line.find('@');
        const size_t end = line.find(',', at);
        line.replace(at, end - at, FakeClocks::Column(std::stoull(line.substr(at + 1, end - at - 1))));
        expected.push_back(line);
    }
    EXPECT_EQ(EventLines(folder.fileA("Log")), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, ZoneRecorderClockTest,
    ::testing::Values(
        // The stamp wraps at 2^32 ms: time goes on past it.
        RecorderCase{"StampWrapGoesAhead",
                     {{0xFFFFFF00u, 0, {{6, 1u << 1}}}, {0x100u, 512, {{6, 0}}}},
                     {"entry,1,6,4294967040,@0,2.00,-4.00,", "exit,1,6,4294967552,@512,2.00,-4.00,512"}},
        // The sensor reconnected 11 s into the run and its stream starts again: time goes on from
        // the wall clock, and the target, silent for longer than the expiry, left and came back
        // (the stop closes that stay).
        RecorderCase{"ReconnectGoesOnFromTheWallClock",
                     {{1000, 0, {{3, 1u << 1}}}, {1066, 66, {{3, 1u << 1}}}, {50, 11000, {{3, 1u << 1}}}},
                     {"entry,1,3,1000,@0,2.00,-4.00,", "exit,1,3,1066,@66,2.00,-4.00,66",
                      "entry,1,3,12000,@11000,2.00,-4.00,", "exit,1,3,12000,@11000,2.00,-4.00,0"}},
        // Back within half a second: the stay goes on.
        RecorderCase{"QuickReconnectKeepsTheStay",
                     {{1000, 0, {{3, 1u << 1}}}, {2500, 1500, {{3, 1u << 1}}}, {20, 2000, {{3, 1u << 1}}},
                      {86, 2066, {{3, 0}}}},
                     {"entry,1,3,1000,@0,2.00,-4.00,", "exit,1,3,3066,@2066,2.00,-4.00,2066"}},
        // A sensor whose stamps ran ahead of the wall clock: after its reconnect time stands rather
        // than going back, and the clock column follows the wall clock.
        RecorderCase{"StampsAheadOfTheWallNeverGoBack",
                     {{1000, 0, {{3, 1u << 1}}}, {2900, 500, {{3, 1u << 1}}}, {10, 600, {{3, 1u << 1}}},
                      {76, 666, {{3, 0}}}},
                     {"entry,1,3,1000,@0,2.00,-4.00,", "exit,1,3,2966,@666,2.00,-4.00,1966"}}),
    [](const ::testing::TestParamInfo<RecorderCase>& info) { return std::string(info.param.name); });

// Without deliveries the presence tick expires silent targets by the tick clock, unless the
// playback is paused: then time stands, and goes on from where it stood after the pause.
TEST(ZoneRecorder, APausedPlaybackKeepsItsTargetsTheTickExpiresOthers) {
    TempFolder folder;
    FakeClocks clocks;
    CZoneRecorder recorder(clocks.Hooks());
    recorder.Start(folder.file(L"Log").c_str());
    Delivery(1000, {{3, 1u << 1}}).To(recorder);
    clocks.ms = 1500;
    recorder.SetPaused(true);
    for (; clocks.ms < 9000; clocks.ms += 100) recorder.Tick();
    EXPECT_EQ(recorder.Inside(1), 1);
    recorder.SetPaused(false);
    clocks.ms = 9400;  // 1.9 s of running time after the delivery
    recorder.Tick();
    EXPECT_EQ(recorder.Inside(1), 1);
    clocks.ms = 9501;  // 2.001 s
    recorder.Tick();
    EXPECT_EQ(recorder.Inside(1), 0);
    recorder.Stop();
    const std::vector<std::string> lines = EventLines(folder.fileA("Log"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].rfind("exit,1,3,1000,", 0), 0u) << lines[1];
}

// A playback that jumps back: the stays open at the jump close where they were last seen, and the
// times after it are the recording's again, earlier than before the jump.
TEST(ZoneRecorder, AJumpClosesOpenStaysAndTheTimesAfterItAreTheRecordings) {
    TempFolder folder;
    FakeClocks clocks;
    CZoneRecorder recorder(clocks.Hooks());
    recorder.Start(folder.file(L"Log").c_str());
    Delivery(50'000, {{3, 1u << 1}}).To(recorder);
    Delivery(50'500, {{3, 1u << 1}}).To(recorder);
    recorder.Jump();
    EXPECT_EQ(recorder.Inside(1), 0);
    Delivery(10'000, {{3, 1u << 1}}).To(recorder);  // the same target, back in time
    EXPECT_EQ(recorder.Inside(1), 1);
    Delivery(10'200, {{3, 0}}).To(recorder);
    recorder.Jump();  // nothing open: nothing written
    recorder.Stop();
    const std::vector<std::string> lines = EventLines(folder.fileA("Log"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind("entry,1,3,50000,", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("exit,1,3,50500,", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind("entry,1,3,10000,", 0), 0u) << lines[2];
    EXPECT_EQ(lines[3].rfind("exit,1,3,10200,", 0), 0u) << lines[3];
    // The dwell counts from the entry after the jump.
    EXPECT_EQ(lines[3].substr(lines[3].rfind(',')), ",200") << lines[3];
}

}  // namespace

namespace {

// One frame for the zone clock: its stamp, the wall clock in ms (0: not known), whether that is
// the recorded time of this very frame, and the zone time and anchor (ms of wall clock) expected.
struct ClockStep {
    uint32_t streamMs;
    uint64_t wallMs;
    bool exactWall;
    uint64_t zoneMs;
    int64_t anchorMs;  // kNoAnchor: none
};
constexpr int64_t kNoAnchor = INT64_MIN;

struct ClockCase {
    const char* name;
    std::vector<ClockStep> steps;
};

class ZoneClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ZoneClockTest, NeverGoesBackAndKnowsWhenZeroWas) {
    constexpr uint64_t kBase = 1000000;  // wall clock ms that stand for a date
    ZoneClock clock;
    EXPECT_FALSE(clock.Started());
    int i = 0;
    for (const ClockStep& s : GetParam().steps) {
        const uint64_t wall = s.wallMs ? (kBase + s.wallMs) * ZoneClock::kFileTimePerMs : 0;
        EXPECT_EQ(clock.Frame(s.streamMs, wall, s.exactWall), s.zoneMs) << "frame " << i;
        EXPECT_EQ(clock.LastMs(), s.zoneMs) << "frame " << i;
        EXPECT_EQ(clock.Anchor(), s.anchorMs == kNoAnchor ? 0 : (kBase + s.anchorMs) * ZoneClock::kFileTimePerMs)
            << "frame " << i;
        ++i;
    }
    EXPECT_TRUE(clock.Started());
}

INSTANTIATE_TEST_SUITE_P(
    Streams, ZoneClockTest,
    ::testing::Values(
        ClockCase{"FirstStampIsTheZoneTime", {{5000, 7000, false, 5000, 2000}, {5066, 7100, false, 5066, 2000}}},
        ClockCase{"StampWrapsAhead",
                  {{0xFFFFFF00u, 0, false, 0xFFFFFF00u, kNoAnchor}, {0x100u, 0, false, 0x100000100ull, kNoAnchor}}},
        // Ahead by less than 2^31 ms is ahead; further is a stream that started again.
        ClockCase{"LongGapIsAhead", {{10, 0, false, 10, kNoAnchor}, {0x80000009u, 0, false, 0x80000009u, kNoAnchor}}},
        ClockCase{"NewStreamGoesOnFromTheWallClock",
                  {{1000, 3000, false, 1000, 2000}, {40, 11000, false, 9000, 2000}, {100, 11060, false, 9060, 2000}}},
        ClockCase{"NewStreamWithoutAWallClockGoesOnFromTheLastTime",
                  {{1000, 0, false, 1000, kNoAnchor}, {40, 0, false, 1000, kNoAnchor}, {100, 0, false, 1060, kNoAnchor}}},
        // Stamps that ran ahead of the wall clock: time stands at the new stream, and the clock
        // column takes the wall clock of that moment.
        ClockCase{"NewStreamBehindTheStampsStandsAndTakesTheWallClock",
                  {{1000, 3000, false, 1000, 2000}, {9000, 4000, false, 9000, 2000}, {10, 4100, false, 9000, 4100 - 9000}}},
        // A recorded file says when its frame happened: the clock column follows it.
        ClockCase{"ExactWallMovesTheAnchor",
                  {{1000, 3000, true, 1000, 2000}, {2000, 5000, true, 2000, 3000}, {2066, 9000, false, 2066, 3000}}}),
    [](const ::testing::TestParamInfo<ClockCase>& info) { return std::string(info.param.name); });

}  // namespace
