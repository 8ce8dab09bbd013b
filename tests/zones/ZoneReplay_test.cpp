// The replay of recordings written here, where every position is known, through the radar
// library at full speed: the events, the summary and the heatmap.
#include "tools/zones/ZoneReplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "radar/ZoneRecorder.h"
#include "tools/zones/ZoneHeatmap.h"
#include "tools/zones/ZonePlayback.h"
#include "zones/RecordingWriter.h"

namespace {

constexpr uint64_t kFrameUs = 66667;  // 15 frames a second

// Target 5 walks straight out along the boresight, one gate a frame from gate 2 to gate 25, while
// target 9 stands at gate 12, 5 degrees to the right. In a 400 x 200 fan (R = 200 px, 32 gates)
// the boresight is column 199 and gate g lies on row 6.25 g; target 9 is at column 206, row 75.
std::vector<RadarFrame> WalkFrames() {
    std::vector<RadarFrame> frames;
    for (int i = 0; i < 24; ++i) {
        frames.push_back(recording::TrackFrame(static_cast<uint32_t>(i), i * kFrameUs,
                                               {recording::Point(5, 2.0 + i, 0.0), recording::Point(9, 12.0, 5.0)}));
    }
    return frames;
}

std::string Config(const std::string& areas) {
    return "<?xml version=\"1.0\"?>\n<AppConfig ObjectWnd_SmoothCount=\"1\">" + areas + "</AppConfig>\n";
}

std::string Describe(const ZoneEvent& e) {
    std::ostringstream s;
    s << (e.kind == ZoneEvent::Entry ? "entry" : "exit") << " a" << e.area << " id" << e.id << " t" << e.timeMs;
    if (e.kind == ZoneEvent::Exit) s << " d" << e.dwellMs;
    return s.str();
}

struct Replayed {
    std::vector<std::string> events;
    std::vector<ZoneAreaSummary> summary;
    ZonePlaybackResult result;
};

class ZoneReplayTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(recording::Write(folder_.fileA("rec"), WalkFrames())); }

    Replayed Play(const std::string& config, ZoneReplay& replay) {
        Replayed out;
        XMLParser document;
        document.LoadFromMemory(config.data(), config.size());
        EXPECT_TRUE(ROVA_Interface_RadarCtrl_LoadConfigFromFile((folder_.fileA("rec") + "\\FILE_Radar_Config.ini").c_str()));
        replay.Configure(document, gRadarParameter, 400, 200);
        replay.SetEventSink([&](const std::vector<ZoneEvent>& events) {
            for (const ZoneEvent& e : events) out.events.push_back(Describe(e));
        });
        out.result = PlayRecording(folder_.fileA("rec").c_str(), replay);
        out.summary = replay.Summary();
        return out;
    }

    TempFolder folder_;
};

struct AreaCase {
    const char* name;
    std::string areas;
    std::vector<std::string> expected;
};

class EditedAreaTest : public ZoneReplayTest, public ::testing::WithParamInterface<AreaCase> {};

// Rows 50 to 100 are gates 8 to 16: target 5 enters with the frame at gate 8 (frame 6, 400 ms)
// and leaves with the one at gate 17 (frame 15, 1000 ms); target 9 stays from the first frame to
// the end (frame 23, 1533 ms). Moved to rows 125 to 175 (gates 20 to 28), the band holds target 5
// from frame 18 (1200 ms) to the end, and target 9 never.
TEST_P(EditedAreaTest, GiveTheEventsOfTheRecordedPositions) {
    ZoneReplay replay;
    const Replayed r = Play(Config(GetParam().areas), replay);
    ASSERT_TRUE(r.result.played) << r.result.error;
    EXPECT_EQ(r.result.damagedFrames, 0u);
    EXPECT_EQ(r.events, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Areas, EditedAreaTest,
    ::testing::Values(
        AreaCase{"Band",
                 "<MonitorArea BoundSize=\"400,200\" Points=\"50,150; 50,250; 100,250; 100,150; \"/>",
                 {"entry a1 id9 t0", "entry a1 id5 t400", "exit a1 id5 t1000 d600", "exit a1 id9 t1533 d1533"}},
        AreaCase{"BandMovedOut",
                 "<MonitorArea BoundSize=\"400,200\" Points=\"125,150; 125,250; 175,250; 175,150; \"/>",
                 {"entry a1 id5 t1200", "exit a1 id5 t1533 d333"}},
        // Stored at half the size: the same band once scaled to the fan.
        AreaCase{"BandStoredAtHalfSize",
                 "<MonitorArea BoundSize=\"200,100\" Points=\"25,75; 25,125; 50,125; 50,75; \"/>",
                 {"entry a1 id9 t0", "entry a1 id5 t400", "exit a1 id5 t1000 d600", "exit a1 id9 t1533 d1533"}},
        // A detect area around the first gates only: the library drops target 5 beyond it, so it
        // leaves the band when it is no longer reported, where it was last seen (gate 10, 533 ms).
        AreaCase{"DetectAreaEndsTheWalk",
                 "<AlgorithmArea BoundSize=\"400,200\" Points=\"0,0; 0,399; 64,399; 64,0; \"/>"
                 "<MonitorArea BoundSize=\"400,200\" Points=\"50,150; 50,250; 100,250; 100,150; \"/>",
                 {"entry a1 id5 t400", "exit a1 id5 t533 d133"}}),
    [](const ::testing::TestParamInfo<AreaCase>& info) { return std::string(info.param.name); });

TEST_F(ZoneReplayTest, SummarySaysEntriesDwellAndMostAtOnce) {
    ZoneReplay replay;
    const Replayed r = Play(Config("<MonitorArea BoundSize=\"400,200\" Points=\"50,150; 50,250; 100,250; 100,150; \"/>"
                                   "<MonitorArea BoundSize=\"400,200\" Points=\"0,0; 0,20; 20,20; 20,0; \"/>"),
                            replay);
    ASSERT_TRUE(r.result.played) << r.result.error;
    ASSERT_EQ(r.summary.size(), 2u);
    EXPECT_EQ(r.summary[0].area, 1);
    EXPECT_EQ(r.summary[0].entries, 2);
    EXPECT_EQ(r.summary[0].totalDwellMs, 600u + 1533u);
    EXPECT_EQ(r.summary[0].longestDwellMs, 1533u);
    EXPECT_EQ(r.summary[0].mostAtOnce, 2);
    EXPECT_EQ(r.summary[1].area, 2);
    EXPECT_EQ(r.summary[1].entries, 0);
    EXPECT_EQ(r.summary[1].mostAtOnce, 0);
    EXPECT_EQ(replay.Deliveries(), 24u);
    EXPECT_EQ(replay.Reports(), 48u);
}

// The console's zone recorder, fed with what the view accepts of the same recording as a
// playback at the recorded pace gives it, with a pause of five seconds in the middle while both
// targets are inside, writes the events of the replay.
TEST_F(ZoneReplayTest, APausedPlaybackWritesTheEventsOfTheReplay) {
    TempFolder logs;
    uint64_t tick = 0;
    CZoneRecorder recorder(CZoneRecorder::Hooks{[&] { return static_cast<uint32_t>(tick); },
                                                [&] {
                                                    const uint64_t t = recording::kRecordingStart + tick * 10000;
                                                    return FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
                                                }});
    recorder.Start(logs.file(L"Log").c_str());
    ZoneReplay replay;
    int deliveries = 0;
    uint32_t lastStreamMs = 0;
    replay.SetDeliverySink([&](const DeliveredFrame& frame) {
        const uint32_t streamMs = frame.streamMs;
        // The presence tick runs between the frames, every 10 ms.
        for (const uint64_t next = tick + (deliveries ? streamMs - lastStreamMs : 0); tick < next;) {
            tick = std::min(next, tick + 10);
            recorder.Tick();
        }
        if (deliveries++ == 12) {
            recorder.SetPaused(true);
            for (int i = 0; i < 50; ++i) {
                tick += 100;
                recorder.Tick();
            }
            recorder.SetPaused(false);
        }
        lastStreamMs = streamMs;
        recorder.OnDelivery(frame);
    });
    const Replayed r = Play(Config("<MonitorArea BoundSize=\"400,200\" Points=\"50,150; 50,250; 100,250; 100,150; \"/>"),
                            replay);
    ASSERT_TRUE(r.result.played) << r.result.error;
    recorder.Stop();
    EXPECT_EQ(deliveries, 24);

    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((logs.fileA("Log") + "\\ROVA_MTT_Zones_*.csv").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    ::FindClose(find);
    std::ifstream in(logs.fileA("Log") + "\\" + data.cFileName, std::ios::binary);
    std::vector<std::string> live;
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) {
        // event,area,id,time_ms,clock,distance_m,angle_deg,dwell_ms
        std::vector<std::string> c;
        std::stringstream split(line.substr(0, line.size() - 1));
        for (std::string column; std::getline(split, column, ',');) c.push_back(column);
        if (c.size() < 7) c.resize(7);
        std::string text = c[0] + " a" + c[1] + " id" + c[2] + " t" + c[3];
        if (c[0] == "exit" && c.size() == 8) text += " d" + c[7];
        live.push_back(text);
    }
    EXPECT_EQ(live, r.events);
    EXPECT_EQ(r.events, (std::vector<std::string>{"entry a1 id9 t0", "entry a1 id5 t400", "exit a1 id5 t1000 d600",
                                                  "exit a1 id9 t1533 d1533"}));
}

// The sensor reconnected during the recording, half way through the walk: its stamps start again
// within the file. Time goes on from the last frame instead of going back, and nobody leaves.
TEST_F(ZoneReplayTest, AStreamThatStartsAgainWithinAFileGoesOnFromTheLastFrame) {
    std::vector<RadarFrame> frames = WalkFrames();
    for (size_t i = 12; i < frames.size(); ++i) frames[i].timestampUs = (i - 12) * kFrameUs;
    ASSERT_TRUE(recording::Write(folder_.fileA("rec"), frames));
    ZoneReplay replay;
    const Replayed r = Play(Config("<MonitorArea BoundSize=\"400,200\" Points=\"50,150; 50,250; 100,250; 100,150; \"/>"),
                            replay);
    ASSERT_TRUE(r.result.played) << r.result.error;
    // Frame 11 is at 733 ms, frame 12 (stamped 0) as well, frame 15 (stamped 200) at 933.
    EXPECT_EQ(r.events, (std::vector<std::string>{"entry a1 id9 t0", "entry a1 id5 t400", "exit a1 id5 t933 d533",
                                                  "exit a1 id9 t1466 d1466"}));
}

TEST_F(ZoneReplayTest, HeatmapIsHottestWhereTheTargetStoodAndOutlinesTheAreas) {
    ZoneReplay replay;
    const Replayed r = Play(Config("<MonitorArea BoundSize=\"400,200\" Points=\"50,150; 50,250; 100,250; 100,150; \"/>"),
                            replay);
    ASSERT_TRUE(r.result.played) << r.result.error;
    const std::vector<uint32_t> picture = ZoneHeatmap::Render(replay.Scene(), replay.Density());
    const int w = replay.Scene().Geometry().width;
    auto at = [&](int x, int y) { return picture[static_cast<size_t>(y) * w + x]; };
    auto red = [](uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); };
    // Target 9 stood at (206, 75) for 24 frames; target 5 passed (199, 156) once.
    EXPECT_GT(red(at(206, 75)), red(at(199, 156)));
    EXPECT_EQ(at(150, 75), 0xFFFFFFFFu);  // the band's left edge
    EXPECT_EQ(at(200, 50), 0xFFFFFFFFu);  // its top edge
    ASSERT_TRUE(ZoneHeatmap::SavePng(picture, w, replay.Scene().Geometry().height, folder_.file(L"heat.png")));
    FILE* png = _wfopen(folder_.file(L"heat.png").c_str(), L"rb");
    ASSERT_NE(png, nullptr);
    unsigned char signature[8] = {};
    EXPECT_EQ(fread(signature, 1, 8, png), 8u);
    fclose(png);
    EXPECT_EQ(memcmp(signature, "\x89PNG\r\n\x1a\n", 8), 0);
}

}  // namespace
