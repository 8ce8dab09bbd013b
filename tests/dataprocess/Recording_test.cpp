#include <windows.h>

#include <algorithm>
#include <map>
#include <set>

#include "DataProcessTestSupport.h"
#include "ROVA_LinkHealth.h"
#include "RawDataReader.h"
#include "RawFrameCodec.h"

namespace {

// Records the file-source events in order.
class EventLog : public IFileRadarDataSource {
public:
    std::mutex mutex;
    std::vector<std::string> events;
    std::vector<double> totals;
    std::atomic<bool> ended{false};
    std::atomic<int> loops{0};
    void Add(const std::string& e) {
        std::lock_guard lock(mutex);
        events.push_back(e);
    }
    void OnFileRadarReadStart(uint64_t) override { Add("start"); }
    void OnFileRadarReadLoopStart(uint64_t) override {
        loops += 1;
        Add("loop");
    }
    void OnFileRadarReadEnd(uint64_t) override {
        Add("end");
        ended = true;
    }
    void OnFileRadarGetFileList(CPtrCtrl* files) override { Add("list:" + std::to_string(files->GetCount())); }
    int OnFileRadarReadFileStart(char* const, int*, uint64_t) override {
        Add("file");
        return 1;
    }
    void OnFileRadarReadFileEnd(char*, uint64_t) override { Add("fileend"); }
    void OnFileRadarReadProcess(double, double total) override {
        std::lock_guard lock(mutex);
        totals.push_back(total);
    }
};

class Recording : public RadarLibraryTest {
protected:
    // A live run with tracking on the (simulated) module, recording into folder_.
    std::vector<Delivery> RecordLiveRun(size_t deliveries) {
        SelectSimulatedSensor(5);
        gRadarParameter.algorithmOnMcu = 10;
        gRadarParameter.saveRawData = 1;
        strcpy(gRadarParameter.dataPath, (folder_ + "\\rec").c_str());
        CollectingListener listener;
        ROVA_Interface_RadarDataFilter_Add_ResultMTT_ObjectDetectListener(&listener, 0);
        EXPECT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
        EXPECT_TRUE(ROVA_Interface_RadarCtrl_Start());
        EXPECT_TRUE(listener.WaitFor(deliveries));
        ROVA_Interface_RadarCtrl_Stop();
        ROVA_Interface_RadarCtrl_CloseDevice();
        ROVA_Interface_RadarDataFilter_Del_ResultMTT_ObjectDetectListener(&listener);
        return listener.Take();
    }

    // Plays folder back at full speed until the library has read and processed everything.
    std::vector<Delivery> PlayBack(const std::string& folder, EventLog& log) {
        ROVA_Interface_RadarParameter_Init(&gRadarParameter);
        EXPECT_TRUE(ROVA_Interface_RadarParameter_LoadFromFile((folder + "\\FILE_Radar_Config.ini").c_str(), &gRadarParameter) ||
                    true);
        gRadarParameter.isFileSource = 1;
        strcpy(gRadarParameter.dataPath, folder.c_str());
        ROVA_SimSensor_SetPlaybackSpeed(0);
        ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(&log, 0);
        CollectingListener listener;
        ROVA_Interface_RadarDataFilter_Add_ResultMTT_ObjectDetectListener(&listener, 0);
        EXPECT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
        EXPECT_TRUE(ROVA_Interface_RadarCtrl_Start());
        for (int i = 0; i < 20000 && !log.ended; ++i) Sleep(1);
        EXPECT_TRUE(log.ended);
        while (ROVA_Interface_RadarCtrl_HasIncompleteData()) Sleep(1);
        ROVA_Interface_RadarCtrl_Stop();
        ROVA_Interface_RadarCtrl_CloseDevice();
        ROVA_Interface_RadarDataFilter_Del_ResultMTT_ObjectDetectListener(&listener);
        ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(nullptr, 0);
        return listener.Take();
    }
};

void ExpectSameObjects(const Delivery& a, const Delivery& b) {
    ASSERT_EQ(a.objects.size(), b.objects.size());
    for (size_t i = 0; i < a.objects.size(); ++i) {
        const DetectedObject &x = a.objects[i], &y = b.objects[i];
        EXPECT_EQ(x.objectId, y.objectId);
        EXPECT_EQ(x.gate, y.gate);
        EXPECT_EQ(x.distance, y.distance);
        EXPECT_EQ(x.velocity, y.velocity);
        EXPECT_EQ(x.rawAngle, y.rawAngle);
        EXPECT_EQ(x.frameSequence, y.frameSequence);
    }
}

// What is played back is what was delivered live, frame by frame, in the documented event order.
TEST_F(Recording, PlaybackReproducesTheLiveRunFrameByFrame) {
    RadarSimCounters before{};
    ROVA_SimSensor_GetCounters(&before);
    const std::vector<Delivery> live = RecordLiveRun(80);
    RadarSimCounters after{};
    ROVA_SimSensor_GetCounters(&after);
    const uint64_t recorded = after.framesRecorded - before.framesRecorded;
    ASSERT_GE(recorded, live.size());
    const std::string rec = folder_ + "\\rec";
    ASSERT_EQ(RawFiles(rec).size(), 1u);
    auto config = std::make_unique<tagRADARPARAMETER>();
    ROVA_Interface_RadarParameter_Init(config.get());
    ASSERT_TRUE(ROVA_Interface_RadarParameter_LoadFromFile((rec + "\\FILE_Radar_Config.ini").c_str(), config.get()));
    EXPECT_EQ(config->algorithmOnMcu, 10) << "the run's parameters";

    EventLog log;
    const std::vector<Delivery> played = PlayBack(rec, log);
    ASSERT_EQ(played.size(), recorded);
    for (size_t i = 0; i < live.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectSameObjects(live[i], played[i]);
    }
    std::vector<std::string> expected = {"start", "list:1", "loop", "file", "fileend", "end"};
    EXPECT_EQ(log.events, expected);
    ASSERT_FALSE(log.totals.empty());
    EXPECT_TRUE(std::is_sorted(log.totals.begin(), log.totals.end()));
    EXPECT_EQ(log.totals.back(), 100.0);
}

TEST_F(Recording, LoopedPlaybackStartsOverUntilStopped) {
    RecordLiveRun(20);
    EventLog log;
    ROVA_Interface_RadarParameter_Init(&gRadarParameter);
    gRadarParameter.isFileSource = 1;
    strcpy(gRadarParameter.dataPath, (folder_ + "\\rec").c_str());
    ROVA_SimSensor_SetPlaybackSpeed(0);
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(&log, 0);
    ROVA_Interface_RadarDevice_File_SetLoopReadFile(1);
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
    while (log.loops < 3) Sleep(1);
    ROVA_Interface_RadarCtrl_Stop();
    EXPECT_FALSE(log.ended) << "a looping playback never ends by itself";
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(nullptr, 0);
}

// A loop over files in which no frame checks out has nothing to repeat: it ends like a single
// pass, and Stop comes back at once.
TEST_F(Recording, LoopOverFilesWithoutAnIntactFrameEnds) {
    const std::string rec = folder_ + "\\broken";
    CreateDirectoryA(rec.c_str(), nullptr);
    const std::vector<uint8_t> header = CRawFrameCodec::EncodeFileHeader(64, 0);
    WriteText(rec + "\\ROVA_Raw_0_header_only.rvraw", std::string(header.begin(), header.end()));
    WriteText(rec + "\\ROVA_Raw_1_foreign.rvraw", "this is not a recording at all");
    WriteText(rec + "\\ROVA_Raw_2_junk.rvraw", std::string(header.begin(), header.end()) + "RVFM junk RVFM");
    EventLog log;
    ROVA_Interface_RadarParameter_Init(&gRadarParameter);
    gRadarParameter.isFileSource = 1;
    strcpy(gRadarParameter.dataPath, rec.c_str());
    ROVA_SimSensor_SetPlaybackSpeed(0);
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(&log, 0);
    ROVA_Interface_RadarDevice_File_SetLoopReadFile(1);
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
    for (int i = 0; i < 5000 && !log.ended; ++i) Sleep(1);
    EXPECT_TRUE(log.ended) << "the loop must end when a whole pass found no frame";
    EXPECT_EQ(log.loops, 1);
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarCtrl_CloseDevice();
    ROVA_Interface_RadarDevice_File_SetLoopReadFile(0);
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(nullptr, 0);
}

// Damage in the middle, garbage between frames and a cut-off end: every intact frame still
// arrives, the damaged ones are skipped, files that are not recordings are passed over.
TEST_F(Recording, DamagedRecordingsAreReadUpToTheDamage) {
    RecordLiveRun(40);
    const std::string rec = folder_ + "\\rec";
    const std::vector<std::string> files = RawFiles(rec);
    ASSERT_EQ(files.size(), 1u);
    std::string bytes = ReadText(files[0]);
    // Frame boundaries.
    std::vector<size_t> starts;
    std::vector<uint32_t> sequences;
    for (size_t p = CRawFrameCodec::kFileHeaderSize; p < bytes.size();) {
        RadarFrame f;
        size_t used = 0;
        ASSERT_EQ(CRawFrameCodec::DecodeFrame(reinterpret_cast<const uint8_t*>(bytes.data()) + p, bytes.size() - p, f, &used),
                  CRawFrameCodec::DecodeResult::Ok);
        starts.push_back(p);
        sequences.push_back(f.sequence);
        p += used;
    }
    ASSERT_GE(starts.size(), 30u);
    const size_t total = starts.size();
    bytes[starts[10] + 30] ^= 0x55;                          // payload of frame 10: CRC mismatch
    bytes[starts[20] + 4] = '\x7F';                           // size field of frame 20: impossible
    bytes.insert(starts[25], "garbage RVFM between frames");  // junk between frames 24 and 25
    bytes.resize(bytes.size() - 9);                           // the last frame cut short
    WriteText(files[0], bytes);
    WriteText(rec + "\\ROVA_Raw_0_empty.rvraw", "");
    WriteText(rec + "\\ROVA_Raw_1_foreign.rvraw", "this is not a recording at all");

    RadarSimCounters before{};
    ROVA_SimSensor_GetCounters(&before);
    EventLog log;
    const std::vector<Delivery> played = PlayBack(rec, log);
    RadarSimCounters after{};
    ROVA_SimSensor_GetCounters(&after);
    EXPECT_EQ(played.size(), total - 3);
    std::set<uint32_t> seen;
    for (const Delivery& d : played) {
        for (const DetectedObject& o : d.objects) seen.insert(o.frameSequence);
    }
    EXPECT_FALSE(seen.count(sequences[10]));
    EXPECT_FALSE(seen.count(sequences[20]));
    EXPECT_FALSE(seen.count(sequences[total - 1]));
    EXPECT_EQ(after.damagedFrames - before.damagedFrames, 4u) << "two bad frames, the junk, the cut end";
    // The file source reports the same in its link health.
    tagRADARLINKHEALTH health{};
    health.structSize = sizeof health;
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_GetLinkHealth(&health));
    EXPECT_EQ(health.source, RADAR_LINK_SOURCE_FILE);
    EXPECT_EQ(health.badChecksumFrames, 4u);
    EXPECT_EQ(health.framesReceived, total - 3);
    EXPECT_EQ(health.framesDelivered, total - 3);
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "file"), 3);
    EXPECT_EQ(log.events.back(), "end");
}

// A file whose header names another gate count than the folder's configuration is not played
// against the wrong gates: it is skipped and counted as damaged, and the files that agree play.
TEST_F(Recording, FilesOfAnotherGateCountThanTheFolderAreRefused) {
    RecordLiveRun(20);
    const std::string rec = folder_ + "\\rec";
    const std::vector<std::string> files = RawFiles(rec);
    ASSERT_EQ(files.size(), 1u);
    tagRADARPARAMETER record;
    ROVA_Interface_RadarParameter_Init(&record);
    ASSERT_TRUE(ROVA_Interface_RadarParameter_LoadFromFile((rec + "\\FILE_Radar_Config.ini").c_str(), &record));
    const uint32_t recorded = static_cast<uint32_t>(record.gateCount);
    EventLog plain;
    const size_t alone = PlayBack(rec, plain).size();
    ASSERT_GE(alone, 20u);
    // The same frames once more in a file whose header says another gate count.
    std::string bytes = ReadText(files[0]);
    const std::vector<uint8_t> other = CRawFrameCodec::EncodeFileHeader(recorded + 16, 0);
    bytes.replace(0, other.size(), reinterpret_cast<const char*>(other.data()), other.size());
    WriteText(rec + "\\ROVA_Raw_99999999_other.rvraw", bytes);

    RadarSimCounters before{};
    ROVA_SimSensor_GetCounters(&before);
    EventLog log;
    const std::vector<Delivery> played = PlayBack(rec, log);
    RadarSimCounters after{};
    ROVA_SimSensor_GetCounters(&after);
    EXPECT_EQ(played.size(), alone) << "the other file's frames were played";
    EXPECT_EQ(after.damagedFrames - before.damagedFrames, 1u);
    tagRADARLINKHEALTH health{};
    health.structSize = sizeof health;
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_GetLinkHealth(&health));
    EXPECT_EQ(health.badChecksumFrames, 1u);
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "file"), 2) << "both files are offered";
}

TEST_F(Recording, RecordingThatCannotWriteDoesNotStopTheRun) {
    WriteText(folder_ + "\\blocker", "a file where the folder should be");
    SelectSimulatedSensor(5);
    gRadarParameter.saveRawData = 1;
    strcpy(gRadarParameter.dataPath, (folder_ + "\\blocker\\rec").c_str());
    RadarSimCounters before{};
    ROVA_SimSensor_GetCounters(&before);
    CollectingListener listener;
    ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(&listener, 0);
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
    EXPECT_TRUE(listener.WaitFor(10));
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&listener);
    RadarSimCounters after{};
    ROVA_SimSensor_GetCounters(&after);
    EXPECT_EQ(after.framesRecorded, before.framesRecorded);
    EXPECT_GT(after.recordingFailures, before.recordingFailures);
}

tagRADARRECORDINGHEALTH RecordingNow() {
    tagRADARRECORDINGHEALTH h{};
    h.structSize = sizeof h;
    ROVA_Interface_RadarCtrl_GetRecordingHealth(&h);
    return h;
}

// Polls the recording health until check holds (false after a generous deadline).
template <typename Check>
bool WaitForRecording(Check check) {
    for (int i = 0; i < 4000; ++i) {
        if (check(RecordingNow())) return true;
        Sleep(5);
    }
    return false;
}

uint64_t BytesOf(const std::vector<std::string>& files) {
    uint64_t total = 0;
    for (const std::string& f : files) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (GetFileAttributesExA(f.c_str(), GetFileExInfoStandard, &data)) total += data.nFileSizeLow;
    }
    return total;
}

uint64_t FramesIn(const std::vector<std::string>& files) {
    uint64_t frames = 0;
    for (const std::string& f : files) {
        CRawDataReader reader;
        EXPECT_TRUE(reader.Open(f)) << f;
        for (RadarFrame frame; reader.Next(frame);) ++frames;
        EXPECT_EQ(reader.DamagedFrames(), 0) << f;
    }
    return frames;
}

// The pause outlives runs: whatever a test leaves, the next one records.
struct RecordingPauseGuard {
    ~RecordingPauseGuard() { ROVA_Interface_RadarCtrl_SetRecordingPaused(FALSE); }
};

// Short of disk space the console pauses the raw recording alone: frames keep being delivered,
// none is written or counted lost, and on resume the recording goes on in a new file.
TEST_F(Recording, APausedRecordingWritesNoFramesAndGoesOnInANewFile) {
    RecordingPauseGuard guard;
    SelectSimulatedSensor(5);
    gRadarParameter.saveRawData = 1;
    const std::string rec = folder_ + "\\rec";
    strcpy(gRadarParameter.dataPath, rec.c_str());
    CollectingListener listener;
    ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(&listener, 0);
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
    ASSERT_TRUE(WaitForRecording([](const tagRADARRECORDINGHEALTH& h) { return h.framesRecorded >= 10; }));

    ROVA_Interface_RadarCtrl_SetRecordingPaused(TRUE);
    ASSERT_TRUE(WaitForRecording([](const tagRADARRECORDINGHEALTH& h) { return h.state == RADAR_RECORDING_PAUSED; }));
    const tagRADARRECORDINGHEALTH atPause = RecordingNow();
    const uint64_t bytesAtPause = BytesOf(RawFiles(rec));
    const size_t delivered = listener.Count();
    EXPECT_TRUE(listener.WaitFor(delivered + 30)) << "delivery stopped with the recording";
    const tagRADARRECORDINGHEALTH paused = RecordingNow();
    EXPECT_EQ(paused.state, RADAR_RECORDING_PAUSED);
    EXPECT_EQ(paused.framesRecorded, atPause.framesRecorded) << "frames written while paused";
    EXPECT_EQ(paused.framesLost, 0u) << "a pause is not a loss";
    EXPECT_EQ(BytesOf(RawFiles(rec)), bytesAtPause) << "the files grew while paused";
    EXPECT_EQ(RawFiles(rec).size(), 1u);

    ROVA_Interface_RadarCtrl_SetRecordingPaused(FALSE);
    const uint64_t resumedFrom = paused.framesRecorded;
    EXPECT_TRUE(WaitForRecording([&](const tagRADARRECORDINGHEALTH& h) { return h.framesRecorded >= resumedFrom + 10; }))
        << "the recording did not resume";
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarCtrl_CloseDevice();
    ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&listener);

    const tagRADARRECORDINGHEALTH end = RecordingNow();
    EXPECT_EQ(end.state, RADAR_RECORDING_WRITING);
    EXPECT_EQ(end.failures, 0u);
    EXPECT_EQ(end.framesLost, 0u);
    const std::vector<std::string> files = RawFiles(rec);
    EXPECT_EQ(files.size(), 2u) << "a new file on resume";
    EXPECT_EQ(FramesIn(files), end.framesRecorded);
}

// A run started while paused makes its folder and configuration, and no raw file until resumed.
TEST_F(Recording, ARunStartedWhilePausedRecordsOnlyAfterTheResume) {
    RecordingPauseGuard guard;
    ROVA_Interface_RadarCtrl_SetRecordingPaused(TRUE);
    SelectSimulatedSensor(5);
    gRadarParameter.saveRawData = 1;
    const std::string rec = folder_ + "\\rec";
    strcpy(gRadarParameter.dataPath, rec.c_str());
    CollectingListener listener;
    ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(&listener, 0);
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_OpenDevice(nullptr));
    ASSERT_TRUE(ROVA_Interface_RadarCtrl_Start());
    EXPECT_TRUE(listener.WaitFor(30));
    tagRADARRECORDINGHEALTH h = RecordingNow();
    EXPECT_EQ(h.state, RADAR_RECORDING_PAUSED);
    EXPECT_EQ(h.framesRecorded, 0u);
    EXPECT_EQ(h.framesLost, 0u);
    EXPECT_TRUE(RawFiles(rec).empty());
    EXPECT_NE(GetFileAttributesA((rec + "\\FILE_Radar_Config.ini").c_str()), INVALID_FILE_ATTRIBUTES);

    ROVA_Interface_RadarCtrl_SetRecordingPaused(FALSE);
    EXPECT_TRUE(WaitForRecording([](const tagRADARRECORDINGHEALTH& r) { return r.framesRecorded >= 10; }));
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarCtrl_CloseDevice();
    ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(&listener);
    h = RecordingNow();
    EXPECT_EQ(RawFiles(rec).size(), 1u);
    EXPECT_EQ(FramesIn(RawFiles(rec)), h.framesRecorded);
}

}  // namespace
