// Reads the frames of one raw data file, skipping damage (see RawDataFormat.md).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RadarFrame.h"

class CRawDataReader {
public:
    // Loads the file. False when it cannot be read or is not a raw data file of a known version.
    bool Open(const std::string& path);
    // Next intact frame; false at the end of the file.
    bool Next(RadarFrame& frame);

    size_t Position() const { return position_; }
    size_t Size() const { return data_.size(); }
    // Damaged stretches skipped so far (each counts once however many bytes it spans).
    int DamagedFrames() const { return damaged_; }

private:
    std::vector<uint8_t> data_;
    size_t position_ = 0;
    int damaged_ = 0;
};
