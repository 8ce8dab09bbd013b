// Raw data files: the frame scanner over any bytes, fed whole and in pieces with small work
// allowances, must find exactly the frames a plain decode at every offset finds, and never
// return a frame with more points than a record holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "RawFrameCodec.h"
#include "RawFrameScanner.h"

namespace {

// The simple reading of the format: try a record at each offset, step one byte on failure.
std::vector<uint32_t> Reference(const uint8_t* data, size_t size) {
    std::vector<uint32_t> sequences;
    size_t position = CRawFrameCodec::kFileHeaderSize;
    while (position < size) {
        RadarFrame frame;
        size_t consumed = 0;
        if (CRawFrameCodec::DecodeFrame(data + position, size - position, frame, &consumed) ==
            CRawFrameCodec::DecodeResult::Ok) {
            sequences.push_back(frame.sequence);
            position += consumed;
        } else {
            ++position;
        }
    }
    return sequences;
}

std::vector<uint32_t> Scan(const uint8_t* data, size_t size, size_t piece, size_t allowancePerCall) {
    CRawFrameScanner scanner;
    scanner.Reset(CRawFrameCodec::kFileHeaderSize);
    std::vector<uint32_t> sequences;
    size_t given = size < CRawFrameCodec::kFileHeaderSize + piece ? size : CRawFrameCodec::kFileHeaderSize + piece;
    size_t totalWork = 0;
    for (;;) {
        size_t allowance = allowancePerCall;
        RadarFrame frame;
        const CRawFrameScanner::Step step = scanner.Next(data, given, given == size, frame, &allowance);
        totalWork += allowancePerCall - allowance;
        if (step == CRawFrameScanner::Step::Frame) {
            if (frame.points.size() > size_t(CRawFrameCodec::kMaxPoints)) abort();
            sequences.push_back(frame.sequence);
        }
        if (step == CRawFrameScanner::Step::End) break;
        if (step == CRawFrameScanner::Step::NeedMore) given = size - given < piece ? size : given + piece;
    }
    // Bounded work: a few units per byte whatever the bytes are.
    if (totalWork > 8 * size + 64) abort();
    return sequences;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte picks how the bytes are handed over; the rest is the file after its header.
    const size_t piece = 1 + data[0] * 7u;
    std::vector<uint8_t> file = CRawFrameCodec::EncodeFileHeader(64, 0);
    file.insert(file.end(), data + 1, data + size);
    const std::vector<uint32_t> expected = Reference(file.data(), file.size());
    if (Scan(file.data(), file.size(), file.size(), size_t(1) << 30) != expected) abort();
    if (Scan(file.data(), file.size(), piece, 1 + data[0] % 97) != expected) abort();
    return 0;
}
