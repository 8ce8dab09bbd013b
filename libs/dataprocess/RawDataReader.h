// Reads the frames of one raw data file, skipping damage (see RawDataFormat.md). The file is read
// piece by piece as the frames are asked for, and each call does a bounded amount of work, so a
// caller that must stay responsive (a playback being stopped) is never held up by a large or
// hostile file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RadarFrame.h"
#include "RawFrameScanner.h"

class CRawDataReader {
public:
    CRawDataReader() = default;
    ~CRawDataReader();
    CRawDataReader(const CRawDataReader&) = delete;
    CRawDataReader& operator=(const CRawDataReader&) = delete;

    // Opens the file. False when it cannot be read or is not a raw data file of a known version,
    // or (gateCount not 0) when its header names another gate count than the playback's
    // configuration: its points would be read against the wrong gates. startOffset (past the file
    // header): reading begins there, at a frame record a playback index found.
    bool Open(const std::string& path, uint32_t gateCount = 0, uint64_t startOffset = 0);
    // Open refused the file for its gate count alone (the file itself is intact).
    bool GateCountRefused() const { return gateRefused_; }
    void Close();

    enum class Result { Frame, End, Busy };
    // Next intact frame within about `work` bytes examined; Busy when that ran out first.
    Result Step(RadarFrame& frame, size_t work);
    // Next intact frame; false at the end of the file.
    bool Next(RadarFrame& frame);

    size_t Position() const { return scanner_.Position(); }
    size_t Size() const { return static_cast<size_t>(fileSize_); }
    // Damaged stretches skipped so far (each counts once however many bytes it spans).
    int DamagedFrames() const { return scanner_.DamagedFrames(); }

    // Bytes of the file held in memory: the unread rest of the last piece read, and what a record
    // starting at the position may still need. Bounded whatever the size of the file.
    size_t HeldBytes() const { return data_.capacity(); }

    static constexpr uint64_t kMaxFileBytes = 1ull << 30;

private:
    bool ReadMore(size_t chunk);

    void* file_ = nullptr;  // HANDLE; null when closed
    uint64_t fileSize_ = 0;
    bool complete_ = false;
    std::vector<uint8_t> data_;  // the file's bytes from offset base_ on
    size_t base_ = 0;
    bool gateRefused_ = false;
    CRawFrameScanner scanner_;
};
