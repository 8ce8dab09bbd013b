// Encoding and decoding of raw data files (format: RawDataFormat.md beside this file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "RadarFrame.h"

class CRawFrameCodec {
public:
    static constexpr size_t kFileHeaderSize = 32;
    static constexpr size_t kFrameHeaderSize = 28;
    static constexpr size_t kPointSize = 48;
    static constexpr uint16_t kVersion = 1;
    static constexpr uint32_t kFrameMagic = 0x4D465652;
    static constexpr int kMaxPoints = 1024;

    static uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc = 0);
    static std::vector<uint8_t> EncodeFileHeader(uint32_t gateCount, int64_t startFileTime);
    // Nonzero version when data starts with a valid header, 0 otherwise.
    static bool DecodeFileHeader(const uint8_t* data, size_t size, uint32_t* gateCount);
    static std::vector<uint8_t> EncodeFrame(const RadarFrame& frame);

    enum class DecodeResult { Ok, Truncated, Bad };
    // Decodes the record at data; consumed = its full size when Ok.
    static DecodeResult DecodeFrame(const uint8_t* data, size_t size, RadarFrame& frame, size_t* consumed);
};
