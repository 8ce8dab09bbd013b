// The reviewable playback: the index, time line and pace as plain logic, and seek, step, loop and
// speed through the library's exports on recordings written frame by frame with the codec.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <random>
#include <thread>

#include "DataProcessTestSupport.h"
#include "PlaybackIndex.h"
#include "PlaybackPacer.h"
#include "PlaybackTimeline.h"
#include "ROVA_LinkHealth.h"
#include "ROVA_Playback.h"
#include "RawFrameCodec.h"

namespace {

// ---- plain logic ---------------------------------------------------------------------------

TEST(PlaybackIndexLogic, ThinnedIndexStaysBoundedAndStillFindsTheFrameBeforeATime) {
    constexpr size_t kCap = 64;
    CPlaybackIndex index(kCap);
    // 1000 frames 50 ms apart over 4 files, far beyond the cap.
    for (uint32_t i = 0; i < 1000; ++i) index.Add(1'000'000 + 50'000ull * i, i / 250, 32 + 100 * (i % 250));
    index.Complete();
    const CPlaybackIndex::Summary s = index.Read();
    EXPECT_TRUE(s.complete);
    EXPECT_EQ(s.frames, 1000u);
    EXPECT_LE(s.entries, kCap);
    EXPECT_GT(s.entries, kCap / 2) << "thinning keeps at least half of the cap";
    EXPECT_EQ(s.firstUs, 1'000'000u);
    EXPECT_EQ(s.lastUs, 1'000'000u + 50'000ull * 999) << "the last frame is exact however thin the index";
    const uint64_t strideUs = 50'000ull * s.stride;
    struct Case {
        const char* what;
        uint64_t t;
        bool found;
    } cases[] = {
        {"before the first frame", 0, false},
        {"at the first frame", 1'000'000, false},
        {"just after the first frame", 1'000'001, true},
        {"between frames", 13'337'000, true},
        {"at a frame", 20'000'000, true},
        {"past the last frame", 900'000'000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPlaybackIndex::Entry e{};
        ASSERT_EQ(index.Before(c.t, &e), c.found);
        if (!c.found) continue;
        EXPECT_LT(e.timeUs, c.t);
        // Reading on from the entry reaches t within one stride of frames.
        EXPECT_LE(std::min<uint64_t>(c.t, s.lastUs) - e.timeUs, strideUs);
        const uint32_t frame = static_cast<uint32_t>((e.timeUs - 1'000'000) / 50'000);
        EXPECT_EQ(e.file, frame / 250);
        EXPECT_EQ(e.offset, 32 + 100 * (frame % 250));
    }
}

TEST(PlaybackTimelineLogic, RecordingsThatStartOverContinueTheTime) {
    CPlaybackTimeline timeline;
    struct Step {
        uint64_t stampUs;
        uint64_t timeUs;
    } steps[] = {
        {5'000, 5'000},      // the first frame keeps its stamp
        {55'000, 55'000},
        {9'000'000, 9'000'000},  // a long gap forward is kept (the pace skips it, the time does not)
        {0, 9'100'000},      // a second recording: 100 ms after the last frame
        {50'000, 9'150'000},
        {50'000, 9'150'000},  // an equal stamp is no seam
    };
    for (const Step& s : steps) EXPECT_EQ(timeline.Next(s.stampUs), s.timeUs) << s.stampUs;
    timeline.AnchorAt(9'100'000);
    EXPECT_EQ(timeline.Next(0), 9'100'000u) << "a seek resumes at the time the index gave";
    EXPECT_EQ(timeline.Next(50'000), 9'150'000u);
    timeline.Reset();
    EXPECT_EQ(timeline.Next(5'000), 5'000u) << "a new pass starts over";
}

// Frames 50 ms apart; the speed changes between two of them: the frame after the change is due
// by the new speed from the position reached, without a burst and without a long wait.
TEST(PlaybackPacerLogic, SpeedChangesGoOnFromThePositionReached) {
    constexpr int64_t kHz = 1'000'000;  // ticks are microseconds
    struct Case {
        const char* what;
        double from, to;
        int64_t changeAt;  // ticks after the first frame went out
        int64_t secondDue; // when the second frame (50 ms) is due
        int64_t thirdDue;  // and the third (100 ms)
    } cases[] = {
        {"1x to 16x after 40 ms", 1, 16, 40'000, 40'000 + 10'000 / 16, 40'000 + 60'000 / 16},
        {"16x to 0.25x after 1 ms", 16, 0.25, 1'000, 1'000 + (50'000 - 16'000) * 4, 1'000 + (100'000 - 16'000) * 4},
        {"fastest to 2x", 0, 2, 7'000, 7'000 + 25'000, 7'000 + 50'000},
        {"2x to 1x at once", 2, 1, 0, 50'000, 100'000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CPlaybackPacer pacer(kHz, c.from);
        EXPECT_EQ(pacer.Wait(0, 0), 0);
        pacer.Delivered(0);
        pacer.SetSpeed(c.to, c.changeAt);
        EXPECT_EQ(c.changeAt + pacer.Wait(50'000, c.changeAt), c.secondDue);
        pacer.Delivered(50'000);
        EXPECT_EQ(c.secondDue + pacer.Wait(100'000, c.secondDue), c.thirdDue);
    }
}

TEST(PlaybackPacerLogic, RestartsWhereKeepingThePaceWouldBurstOrStall) {
    constexpr int64_t kHz = 1'000'000;
    CPlaybackPacer pacer(kHz, 1);
    pacer.Wait(0, 0);
    pacer.Delivered(0);
    EXPECT_EQ(pacer.Wait(50'000, 10'000), 40'000);
    // Held up for a second: the late frame goes at once and the pace counts from it.
    EXPECT_EQ(pacer.Wait(50'000, 1'050'000), 0);
    pacer.Delivered(50'000);
    EXPECT_EQ(pacer.Wait(100'000, 1'050'000), 50'000);
    pacer.Delivered(100'000);
    // A recording that stood still for a minute: no minute of waiting.
    EXPECT_EQ(pacer.Wait(60'100'000, 1'100'000), 0);
    pacer.Delivered(60'100'000);
    pacer.Restart();
    EXPECT_EQ(pacer.Wait(60'150'000, 5'000'000), 0) << "after a restart the next frame goes at once";
}

// ---- through the library -------------------------------------------------------------------

constexpr uint64_t kFirstUs = 1'000'000;
constexpr uint64_t kSpacingUs = 50'000;

// Frames of one tracked target whose id is the frame's number, so each delivery names its frame.
RadarFrame TargetFrame(uint32_t number, uint64_t stampUs) {
    RadarFrame f;
    f.kind = RadarFrameKind::Tracks;
    f.sequence = number;
    f.timestampUs = stampUs;
    RadarPoint p;
    p.id = number;
    p.distance = 3;
    p.gate = 12;
    f.points.push_back(p);
    return f;
}

void WriteRecording(const std::string& path, uint32_t gateCount, uint32_t firstNumber, const std::vector<uint64_t>& stampsUs) {
    std::vector<uint8_t> bytes = CRawFrameCodec::EncodeFileHeader(gateCount, 0);
    for (size_t i = 0; i < stampsUs.size(); ++i) {
        const std::vector<uint8_t> record = CRawFrameCodec::EncodeFrame(TargetFrame(firstNumber + static_cast<uint32_t>(i), stampsUs[i]));
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    WriteText(path, std::string(bytes.begin(), bytes.end()));
}

struct Seen {
    int64_t id;
    uint32_t streamMs;
    int64_t ticks;
    uint32_t generation;  // of the frame, as the state tells inside the callback
    uint32_t pass;
};

// Records every delivery with the playback state the library shows during it.
class PlaybackListener : public IRadarObjectDetectListener {
public:
    void OnRadarObjectDetect(uint16_t, CPtrCtrl* objects) override {
        tagRADARPLAYBACKSTATE state{};
        state.structSize = sizeof state;
        ROVA_Interface_RadarPlayback_GetState(&state);
        std::lock_guard lock(mutex_);
        for (int i = 0; i < objects->GetCount(); ++i) {
            const auto* o = static_cast<const DetectedObject*>(objects->GetAt(i));
            seen_.push_back({o->objectId, o->streamMs, o->frameTicks, state.frameGeneration, state.pass});
            if (state.currentMs != o->streamMs) currentMismatches_ += 1;
        }
        changed_.notify_all();
    }
    bool WaitFor(size_t count, int deadlineMs = 20000) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(deadlineMs), [&] { return seen_.size() >= count; });
    }
    std::vector<Seen> All() {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    size_t Count() {
        std::lock_guard lock(mutex_);
        return seen_.size();
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        seen_.clear();
    }
    int currentMismatches() {
        std::lock_guard lock(mutex_);
        return currentMismatches_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Seen> seen_;
    int currentMismatches_ = 0;
};

class EndWatch : public IFileRadarDataSource {
public:
    std::atomic<int> ends{0};
    std::atomic<int> passes{0};
    void OnFileRadarReadEnd(uint64_t) override { ends += 1; }
    void OnFileRadarReadLoopStart(uint64_t) override { passes += 1; }
};

// A fake clock: waits pass at once and move the time on by exactly what was asked.
struct FakeClock {
    static std::atomic<int64_t> ticks;
    static int64_t frequency;
    static int64_t Now(void*) { return ticks.load(); }
    static void Wait(void*, uint32_t microseconds) { ticks += static_cast<int64_t>(microseconds) * frequency / 1'000'000; }
};
std::atomic<int64_t> FakeClock::ticks{0};
int64_t FakeClock::frequency = 1;

tagRADARPLAYBACKSTATE State() {
    tagRADARPLAYBACKSTATE s{};
    s.structSize = sizeof s;
    ROVA_Interface_RadarPlayback_GetState(&s);
    return s;
}

class Playback : public RadarLibraryTest {
protected:
    void SetUp() override {
        RadarLibraryTest::SetUp();
        rec_ = folder_ + "\\rec";
        CreateDirectoryA(rec_.c_str(), nullptr);
        ROVA_Interface_RadarDataFilter_Add_ResultMTT_ObjectDetectListener(&listener_, 0);
    }
    void TearDown() override {
        ROVA_Interface_RadarCtrl_CloseDevice();
        ROVA_Interface_RadarDataFilter_Del_ResultMTT_ObjectDetectListener(&listener_);
        ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(nullptr, 0);
        ROVA_Interface_RadarDevice_File_SetLoopReadFile(0);
        ROVA_SimSensor_SetPlaybackClock(nullptr, nullptr, nullptr);
        RadarLibraryTest::TearDown();
    }
    // count frames kSpacingUs apart from kFirstUs on, split over files of perFile frames.
    void Record(uint32_t count, uint32_t perFile) {
        ROVA_Interface_RadarParameter_Init(&gRadarParameter);
        for (uint32_t first = 0; first < count; first += perFile) {
            std::vector<uint64_t> stamps;
            for (uint32_t i = first; i < std::min(count, first + perFile); ++i) stamps.push_back(kFirstUs + kSpacingUs * i);
            WriteRecording(rec_ + "\\ROVA_Raw_" + std::to_string(100 + first / perFile) + ".rvraw",
                           static_cast<uint32_t>(gRadarParameter.gateCount), first, stamps);
        }
        frames_ = count;
    }
    void Start(double speed) {
        ROVA_Interface_RadarParameter_Init(&gRadarParameter);
        gRadarParameter.isFileSource = 1;
        strcpy(gRadarParameter.dataPath, rec_.c_str());
        ASSERT_TRUE(ROVA_Interface_RadarPlayback_SetSpeed(speed));
        ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(&events_, 0);
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
    }
    void WaitForIndex() {
        for (int i = 0; i < 10000 && !State().indexComplete; ++i) Sleep(1);
        ASSERT_TRUE(State().indexComplete);
    }
    // Paused, with every frame read before the pause delivered.
    void PauseAndSettle() {
        ASSERT_TRUE(listener_.WaitFor(2));
        ASSERT_TRUE(ROVA_Interface_RadarCtrl_Pause());
        Sleep(100);
        while (ROVA_Interface_RadarCtrl_HasIncompleteData()) Sleep(1);
        listener_.Clear();
    }
    // The number of the first frame at or after t, or the last frame.
    int64_t FrameAtOrAfter(uint64_t tMs) const {
        const uint64_t tUs = tMs * 1000;
        if (tUs <= kFirstUs) return 0;
        const uint64_t n = (tUs - kFirstUs + kSpacingUs - 1) / kSpacingUs;
        return static_cast<int64_t>(std::min<uint64_t>(n, frames_ - 1));
    }
    static uint32_t StampMs(int64_t frame) { return static_cast<uint32_t>((kFirstUs + kSpacingUs * frame) / 1000); }

    std::string rec_;
    uint32_t frames_ = 0;
    PlaybackListener listener_;
    EndWatch events_;
};

TEST_F(Playback, StateTellsTheSpanOnceIndexed) {
    Record(200, 80);
    Start(1);
    WaitForIndex();
    const tagRADARPLAYBACKSTATE s = State();
    EXPECT_EQ(s.started, 1);
    EXPECT_EQ(s.framesIndexed, 200u);
    EXPECT_EQ(s.firstMs, kFirstUs / 1000);
    EXPECT_EQ(s.lastMs, StampMs(199));
    EXPECT_EQ(s.speed, 1.0);
    EXPECT_GE(s.currentMs, s.firstMs);
    tagRADARPLAYBACKSTATE wrongSize{};
    wrongSize.structSize = sizeof wrongSize - 4;
    EXPECT_EQ(ROVA_Interface_RadarPlayback_GetState(&wrongSize), 0);
    EXPECT_EQ(ROVA_Interface_RadarPlayback_GetState(nullptr), 0);
    for (double bad : {-1.0, 0.1, 16.5, 1e300}) EXPECT_EQ(ROVA_Interface_RadarPlayback_SetSpeed(bad), 0) << bad;
    EXPECT_EQ(State().speed, 1.0) << "a refused speed changes nothing";
    ROVA_Interface_RadarCtrl_CloseDevice();
    EXPECT_EQ(ROVA_Interface_RadarPlayback_GetState(&wrongSize), 0);
    EXPECT_EQ(ROVA_Interface_RadarPlayback_Seek(0, nullptr), 0) << "no playback";
    EXPECT_EQ(ROVA_Interface_RadarPlayback_Step(), 0);
}

// Paused: each seek and step shows exactly the first frame at or after the target, whichever
// file it lies in, with or without the index.
TEST_F(Playback, SeekThenStepShowsTheFirstFrameAtOrAfterTheTarget) {
    Record(200, 80);  // 1000 ms .. 10950 ms in three files
    Start(1);
    PauseAndSettle();
    struct Case {
        const char* what;
        uint64_t tMs;
    } cases[] = {
        {"before the first frame", 0},
        {"exactly a frame", 1500},
        {"between frames", 1520},
        {"in the second file", 5030},
        {"just after a frame", 8001},
        {"the last frame", 10950},
        {"past the last frame", 99'999'999},
        {"back to the start", 1000},
        {"a frame of the third file", 9000},
    };
    uint32_t lastGeneration = State().generation;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint32_t generation = 0;
        ASSERT_TRUE(ROVA_Interface_RadarPlayback_Seek(c.tMs, &generation));
        EXPECT_NE(generation, lastGeneration) << "every seek changes the generation";
        lastGeneration = generation;
        EXPECT_EQ(State().generation, generation);
        // Until the frame comes the position is the target, within the recording (its end is
        // known once indexed: the case past the end comes after the index is complete).
        EXPECT_EQ(State().currentMs, std::clamp<uint64_t>(c.tMs, 1000, 10950));
        EXPECT_EQ(listener_.Count(), 0u) << "paused: the seek alone delivers nothing";
        ASSERT_TRUE(ROVA_Interface_RadarPlayback_Step());
        ASSERT_TRUE(listener_.WaitFor(1));
        Sleep(50);
        const std::vector<Seen> seen = listener_.All();
        ASSERT_EQ(seen.size(), 1u) << "one step, one frame";
        EXPECT_EQ(seen[0].id, FrameAtOrAfter(c.tMs));
        EXPECT_EQ(seen[0].streamMs, StampMs(FrameAtOrAfter(c.tMs)));
        EXPECT_EQ(seen[0].generation, generation);
        EXPECT_EQ(State().currentMs, seen[0].streamMs);
        listener_.Clear();
        // The first rounds run while the index may still be built; the rest with it complete.
        if (&c == &cases[2]) WaitForIndex();
    }
    EXPECT_EQ(listener_.currentMismatches(), 0) << "inside the callback the position is the frame's";
}

// Two recordings in one folder, the second starting its time stamps over: the playback's time
// goes on after the first, and a seek finds frames of the second by that time.
TEST_F(Playback, ASecondRecordingContinuesThePlaybackTime) {
    ROVA_Interface_RadarParameter_Init(&gRadarParameter);
    const uint32_t gates = static_cast<uint32_t>(gRadarParameter.gateCount);
    std::vector<uint64_t> first, second;
    for (uint64_t i = 0; i < 20; ++i) {
        first.push_back(kFirstUs + kSpacingUs * i);  // 1000 .. 1950 ms
        second.push_back(kSpacingUs * i);            // 0 .. 950 ms, played as 2050 .. 3000 ms
    }
    WriteRecording(rec_ + "\\ROVA_Raw_1.rvraw", gates, 0, first);
    WriteRecording(rec_ + "\\ROVA_Raw_2.rvraw", gates, 20, second);
    Start(1);
    WaitForIndex();
    EXPECT_EQ(State().firstMs, 1000u);
    EXPECT_EQ(State().lastMs, 3000u);
    PauseAndSettle();
    struct Case {
        uint64_t tMs;
        int64_t frame;
        uint64_t positionMs;
    } cases[] = {{2100, 21, 2100}, {2000, 20, 2050}, {1900, 18, 1900}, {2999, 39, 3000}, {5000, 39, 3000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tMs);
        ASSERT_TRUE(ROVA_Interface_RadarPlayback_Seek(c.tMs, nullptr));
        ASSERT_TRUE(ROVA_Interface_RadarPlayback_Step());
        ASSERT_TRUE(listener_.WaitFor(1));
        EXPECT_EQ(listener_.All()[0].id, c.frame);
        EXPECT_EQ(State().currentMs, c.positionMs);
        listener_.Clear();
    }
}

TEST_F(Playback, StepDeliversExactlyOneFrameEach) {
    Record(60, 100);
    Start(1);
    EXPECT_EQ(ROVA_Interface_RadarPlayback_Step(), 0) << "not paused";
    PauseAndSettle();
    const uint64_t before = State().currentMs;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(ROVA_Interface_RadarPlayback_Step());
    ASSERT_TRUE(listener_.WaitFor(3));
    Sleep(200);
    std::vector<Seen> seen = listener_.All();
    ASSERT_EQ(seen.size(), 3u) << "three steps, three frames, however long the pause";
    for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i].streamMs, before + kSpacingUs / 1000 * (i + 1)) << i;
    EXPECT_EQ(State().paused, 1);
    // Stepping to the end: the last frame comes, then the step is refused.
    ASSERT_TRUE(ROVA_Interface_RadarPlayback_Seek(StampMs(58), nullptr));
    listener_.Clear();
    ASSERT_TRUE(ROVA_Interface_RadarPlayback_Step());
    ASSERT_TRUE(ROVA_Interface_RadarPlayback_Step());
    ASSERT_TRUE(listener_.WaitFor(2));
    for (int i = 0; i < 2000 && !State().atEnd; ++i) {
        ROVA_Interface_RadarPlayback_Step();
        Sleep(1);
    }
    EXPECT_EQ(State().atEnd, 1);
    EXPECT_EQ(ROVA_Interface_RadarPlayback_Step(), 0) << "at the end";
    seen = listener_.All();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].id, 58);
    EXPECT_EQ(seen[1].id, 59);
    // A seek from the end goes on.
    ASSERT_TRUE(ROVA_Interface_RadarPlayback_Seek(StampMs(10), nullptr));
    EXPECT_EQ(State().atEnd, 0);
    ASSERT_TRUE(ROVA_Interface_RadarPlayback_Step());
    ASSERT_TRUE(listener_.WaitFor(3));
    EXPECT_EQ(listener_.All()[2].id, 10);
}

// Looping switched on and off while the playback runs: every pass starts at the first frame.
TEST_F(Playback, LoopSwitchedAtRunTimeRestartsAtTheFirstFrame) {
    Record(20, 8);
    Start(1);  // a second for the pass: time enough to switch the loop on before its end
    ROVA_Interface_RadarDevice_File_SetLoopReadFile(1);
    ASSERT_TRUE(ROVA_Interface_RadarPlayback_SetSpeed(0));
    ASSERT_TRUE(listener_.WaitFor(75));
    EXPECT_EQ(State().loop, 1);
    ROVA_Interface_RadarDevice_File_SetLoopReadFile(0);
    for (int i = 0; i < 10000 && events_.ends == 0; ++i) Sleep(1);
    ASSERT_EQ(events_.ends, 1) << "the pass under way is the last";
    while (ROVA_Interface_RadarCtrl_HasIncompleteData()) Sleep(1);
    const std::vector<Seen> seen = listener_.All();
    ASSERT_GE(seen.size(), 80u);
    EXPECT_EQ(seen.size() % 20, 0u) << "whole passes";
    for (size_t i = 0; i < seen.size(); ++i) {
        ASSERT_EQ(seen[i].id, static_cast<int64_t>(i % 20)) << i;
        ASSERT_EQ(seen[i].pass, 1 + i / 20) << i;
    }
    EXPECT_EQ(events_.passes, static_cast<int>(seen.size() / 20));
}

// Against a fake clock: the frames go out at their recorded spacing divided by the speed.
TEST_F(Playback, DeliverySpacingIsTheRecordedSpacingOverTheSpeed) {
    Record(25, 10);
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    FakeClock::frequency = f.QuadPart;
    FakeClock::ticks = 1'000'000'000;
    ROVA_SimSensor_SetPlaybackClock(&FakeClock::Now, &FakeClock::Wait, nullptr);
    for (double speed : {0.25, 0.5, 1.0, 2.0, 4.0, 8.0, 16.0}) {
        SCOPED_TRACE(speed);
        listener_.Clear();
        events_.ends = 0;
        Start(speed);
        ASSERT_TRUE(listener_.WaitFor(25));
        ROVA_Interface_RadarCtrl_Stop();
        ROVA_Interface_RadarCtrl_CloseDevice();
        const std::vector<Seen> seen = listener_.All();
        ASSERT_EQ(seen.size(), 25u);
        const double expected = kSpacingUs / speed * static_cast<double>(FakeClock::frequency) / 1e6;
        for (size_t i = 1; i < seen.size(); ++i) {
            const double spacing = static_cast<double>(seen[i].ticks - seen[i - 1].ticks);
            ASSERT_NEAR(spacing, expected, 2e-6 * FakeClock::frequency) << "frame " << i;
        }
    }
}

// Seeks, speed and loop changes and state reads from other threads while the library reads at
// full speed: the first frame of every seek is the one it asked for, frames of one seek come in
// order, and nothing from before a seek arrives once it has returned.
TEST_F(Playback, SeekingWhileReadingFromOtherThreadsIsSafe) {
    Record(400, 90);
    ROVA_Interface_RadarDevice_File_SetLoopReadFile(1);
    Start(0);
    std::mutex targetsMutex;
    std::map<uint32_t, uint64_t> targets;  // generation -> target ms
    std::atomic<bool> done{false};
    std::atomic<int> staleAfterReturn{0};
    std::thread seeker([&] {
        std::mt19937 random(5);
        for (int i = 0; i < 300; ++i) {
            const uint64_t t = 500 + random() % 22000;
            uint32_t generation = 0;
            if (!ROVA_Interface_RadarPlayback_Seek(t, &generation)) continue;
            {
                std::lock_guard lock(targetsMutex);
                targets[generation] = t;
            }
            const size_t mark = listener_.Count();
            Sleep(random() % 4);
            // What came after the seek returned belongs to it or to a later one.
            const std::vector<Seen> seen = listener_.All();
            for (size_t k = mark; k < seen.size(); ++k)
                if (static_cast<int32_t>(seen[k].generation - generation) < 0) staleAfterReturn += 1;
        }
        done = true;
    });
    std::thread fiddler([&] {
        const double speeds[] = {0, 16, 0, 8};
        for (int i = 0; !done; ++i) {
            ROVA_Interface_RadarPlayback_SetSpeed(speeds[i % 4]);
            ROVA_Interface_RadarDevice_File_SetLoopReadFile(i % 5 != 0);
            const tagRADARPLAYBACKSTATE s = State();
            EXPECT_LE(s.firstMs, s.lastMs);
            Sleep(1);
        }
    });
    seeker.join();
    fiddler.join();
    ROVA_Interface_RadarDevice_File_SetLoopReadFile(1);
    ROVA_Interface_RadarPlayback_SetSpeed(0);
    uint32_t last = 0;
    ASSERT_TRUE(ROVA_Interface_RadarPlayback_Seek(3333, &last));
    targets[last] = 3333;
    ASSERT_TRUE(listener_.WaitFor(listener_.Count() + 5));
    // Frames discarded by the seeks count as discarded on purpose, not as errors of the link
    // (read before the Stop, which drops what is still queued).
    tagRADARLINKHEALTH health{};
    health.structSize = sizeof health;
    ROVA_Interface_RadarCtrl_GetLinkHealth(&health);
    EXPECT_EQ(health.framesDropped, 0u);
    EXPECT_EQ(health.badChecksumFrames, 0u);
    ROVA_Interface_RadarCtrl_Stop();
    EXPECT_EQ(staleAfterReturn, 0);
    const std::vector<Seen> seen = listener_.All();
    std::map<uint32_t, int64_t> firstOf;
    size_t checkedGenerations = 0;
    for (size_t i = 0; i < seen.size(); ++i) {
        const Seen& s = seen[i];
        ASSERT_GE(s.id, 0);
        ASSERT_LT(s.id, 400);
        ASSERT_EQ(s.streamMs, StampMs(s.id)) << "a frame's time is its own";
        if (i > 0 && seen[i - 1].generation == s.generation && seen[i - 1].pass == s.pass) {
            ASSERT_EQ(s.id, seen[i - 1].id + 1) << "in order within one seek and pass, at " << i;
        }
        if (firstOf.count(s.generation)) continue;
        firstOf[s.generation] = s.id;
        const auto target = targets.find(s.generation);
        if (target == targets.end()) continue;  // the start, before any seek
        ASSERT_EQ(s.id, FrameAtOrAfter(target->second)) << "generation " << s.generation << " target " << target->second;
        ++checkedGenerations;
    }
    EXPECT_TRUE(firstOf.count(last)) << "the last seek was delivered";
    EXPECT_GT(checkedGenerations, 20u);
}

}  // namespace
