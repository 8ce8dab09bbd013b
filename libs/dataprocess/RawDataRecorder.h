// Records raw frames of a live run into a folder (format: RawDataFormat.md beside this file).
// Every frame is flushed before the next one; a write error ends the recording, not the run.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "RadarFrame.h"

struct tagRADARPARAMETER;

class CRawDataRecorder {
public:
    static constexpr uint64_t kMaxFileBytes = 64ull << 20;

    ~CRawDataRecorder();

    // Creates folder, writes "FILE_Radar_Config.ini" from record and opens the first file.
    bool Start(const std::string& folder, const tagRADARPARAMETER& record);
    // Writes one frame; false when the recording has ended (now or earlier).
    bool Write(const RadarFrame& frame);
    void Stop();
    bool IsRecording() const { return file_ != INVALID_HANDLE_VALUE; }
    bool Failed() const { return failed_; }

private:
    bool OpenNextFile();

    std::string folder_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    uint64_t fileBytes_ = 0;
    uint32_t gateCount_ = 0;
    bool failed_ = false;
};
