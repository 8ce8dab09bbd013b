// Records raw frames of a live run into a folder (format: RawDataFormat.md beside this file).
// Every frame is flushed before the next one. A write error ends the file, not the recording: the
// recorder tries again every kRetryMs, in a new file, and counts the frames it could not write.
// A pause (the console's disk is short of space) writes nothing and loses nothing; it ends the
// file, and the recording goes on in a new one on resume.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "RadarFrame.h"
#include "ROVA_LinkHealth.h"
#include "RadarParameter.h"

// Shared with whoever reports on the recording; written by the recording thread only.
struct RecordingHealth {
    std::atomic<int32_t> state{RADAR_RECORDING_OFF};
    std::atomic<uint32_t> lastError{0};
    std::atomic<uint32_t> failures{0};
    std::atomic<uint32_t> resumes{0};
    std::atomic<uint64_t> framesRecorded{0};
    std::atomic<uint64_t> framesLost{0};
    tagRADARRECORDINGHEALTH Read() const;
};

class CRawDataRecorder {
public:
    static constexpr uint64_t kMaxFileBytes = 64ull << 20;
    static constexpr uint64_t kRetryMs = 2000;

    // What a test replaces: the write of a frame's bytes (false with the error in *error) and the
    // millisecond clock.
    struct Hooks {
        std::function<bool(HANDLE, const void*, DWORD, DWORD* error)> write;
        std::function<uint64_t()> clock;
    };

    CRawDataRecorder();
    explicit CRawDataRecorder(Hooks hooks);
    ~CRawDataRecorder();
    CRawDataRecorder(const CRawDataRecorder&) = delete;
    CRawDataRecorder& operator=(const CRawDataRecorder&) = delete;

    // Creates folder, writes "FILE_Radar_Config.ini" from record and opens the first file. False
    // when that failed now; the recorder then tries again as frames come.
    bool Start(const std::string& folder, const tagRADARPARAMETER& record);
    // Writes one frame; false when it could not be written (the recording goes on trying).
    bool Write(const RadarFrame& frame);
    void Stop();
    // Any thread; takes effect at the next frame (or at Start).
    void SetPaused(bool paused) { paused_ = paused; }
    // A recording was started and not stopped (whether its writes work or not).
    bool IsActive() const { return active_; }
    bool IsRecording() const { return file_ != INVALID_HANDLE_VALUE; }
    bool Failed() const { return health_->state.load() == RADAR_RECORDING_FAILING; }
    const std::shared_ptr<RecordingHealth>& Health() const { return health_; }

private:
    bool Prepare();
    // The recording thread's side of a pause: true while frames are to be skipped.
    bool HoldWhilePaused();
    bool OpenNextFile();
    void Fail(DWORD error);
    bool WriteBytes(const void* data, DWORD size, DWORD* error);

    Hooks hooks_;
    std::shared_ptr<RecordingHealth> health_ = std::make_shared<RecordingHealth>();
    std::string folder_;
    tagRADARPARAMETER record_{};
    bool prepared_ = false;  // folder and configuration written
    bool active_ = false;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    uint64_t fileBytes_ = 0;
    uint32_t gateCount_ = 0;
    uint64_t lastAttempt_ = 0;
    std::atomic<bool> paused_{false};
    bool holding_ = false;  // the recording thread has seen the pause and closed its file
    bool failing_ = false;  // the last write or open failed (whatever the pause shows meanwhile)
};
