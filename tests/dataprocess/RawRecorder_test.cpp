// The raw recorder when the disk refuses writes: whole frames only, a new file once writing works
// again, every frame either in a file or counted as lost.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DataProcessTestSupport.h"
#include "RawDataReader.h"
#include "RawDataRecorder.h"
#include "RawFrameCodec.h"

namespace {

RadarFrame Frame(uint32_t sequence) {
    RadarFrame f;
    f.kind = RadarFrameKind::Detections;
    f.sequence = sequence;
    f.timestampUs = 50000ull * sequence;
    for (int i = 0; i < 3; ++i) {
        RadarPoint p;
        p.id = i;
        p.distance = 2 + i;
        f.points.push_back(p);
    }
    return f;
}

TEST(RawRecorder, AFullDiskLosesFramesNotTheRecording) {
    const std::string folder = MakeScratchFolder("recfull");
    uint64_t now = 1000;
    bool diskFull = false;
    CRawDataRecorder::Hooks hooks;
    hooks.clock = [&] { return now; };
    hooks.write = [&](HANDLE file, const void* data, DWORD size, DWORD* error) {
        DWORD written = 0;
        // A full disk takes part of a frame, then refuses the rest.
        const DWORD part = diskFull ? size / 2 : size;
        WriteFile(file, data, part, &written, nullptr);
        if (diskFull) {
            *error = ERROR_DISK_FULL;
            return false;
        }
        return written == size;
    };
    CRawDataRecorder recorder(hooks);
    tagRADARPARAMETER record;
    ROVA_Interface_RadarParameter_Init(&record);
    ASSERT_TRUE(recorder.Start(folder + "\\rec", record));
    std::vector<uint32_t> written;
    uint32_t sequence = 0;
    const auto write = [&](int frames) {
        for (int i = 0; i < frames; ++i, ++sequence, now += 50) {
            if (recorder.Write(Frame(sequence))) written.push_back(sequence);
        }
    };
    write(10);
    EXPECT_EQ(recorder.Health()->state.load(), RADAR_RECORDING_WRITING);
    diskFull = true;
    write(60);  // three seconds: the retry after two fails as well
    EXPECT_EQ(recorder.Health()->state.load(), RADAR_RECORDING_FAILING);
    EXPECT_EQ(recorder.Health()->lastError.load(), static_cast<uint32_t>(ERROR_DISK_FULL));
    diskFull = false;
    write(60);
    EXPECT_EQ(recorder.Health()->state.load(), RADAR_RECORDING_WRITING) << "writing did not resume";
    recorder.Stop();

    const tagRADARRECORDINGHEALTH health = recorder.Health()->Read();
    EXPECT_EQ(health.failures, 1u);
    EXPECT_EQ(health.resumes, 1u);
    EXPECT_EQ(health.framesRecorded, written.size());
    EXPECT_EQ(health.framesRecorded + health.framesLost, sequence);
    // Writing resumes within one retry interval of the disk having room again.
    EXPECT_GE(written.size(), 10u + 60u - CRawDataRecorder::kRetryMs / 50) << "writing resumed late";
    // Every file holds whole frames only; together they hold exactly the frames written.
    const std::vector<std::string> files = RawFiles(folder + "\\rec");
    EXPECT_EQ(files.size(), 2u) << "a new file once the disk has room again";
    std::vector<uint32_t> read;
    for (const std::string& f : files) {
        CRawDataReader reader;
        ASSERT_TRUE(reader.Open(f));
        for (RadarFrame frame; reader.Next(frame);) read.push_back(frame.sequence);
        EXPECT_EQ(reader.DamagedFrames(), 0) << f << " holds part of a frame";
    }
    std::sort(read.begin(), read.end());
    EXPECT_EQ(read, written);
}

// A folder that cannot be made at the start is tried again too.
TEST(RawRecorder, AFolderThatCannotBeMadeIsTriedAgain) {
    const std::string folder = MakeScratchFolder("recblocked");
    WriteText(folder + "\\blocker", "a file where the folder should be");
    uint64_t now = 0;
    CRawDataRecorder::Hooks hooks;
    hooks.clock = [&] { return now; };
    CRawDataRecorder recorder(hooks);
    tagRADARPARAMETER record;
    ROVA_Interface_RadarParameter_Init(&record);
    EXPECT_FALSE(recorder.Start(folder + "\\blocker\\rec", record));
    EXPECT_TRUE(recorder.IsActive());
    EXPECT_FALSE(recorder.Write(Frame(1)));
    EXPECT_EQ(recorder.Health()->state.load(), RADAR_RECORDING_FAILING);
    DeleteFileA((folder + "\\blocker").c_str());
    now += CRawDataRecorder::kRetryMs;
    EXPECT_TRUE(recorder.Write(Frame(2)));
    EXPECT_EQ(recorder.Health()->state.load(), RADAR_RECORDING_WRITING);
    EXPECT_NE(GetFileAttributesA((folder + "\\blocker\\rec\\FILE_Radar_Config.ini").c_str()), INVALID_FILE_ATTRIBUTES);
    recorder.Stop();
}

}  // namespace
