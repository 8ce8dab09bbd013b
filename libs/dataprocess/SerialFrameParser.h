// Cuts a serial byte stream into frames of the sensor protocol (A5 5A, length, type, payload,
// CRC-16). Bytes that belong to no valid frame (line noise, a frame cut short, a damaged frame)
// are skipped: the parser resynchronises on the next sync pair that starts a valid frame. A
// header whose frame is not complete yet is given up as soon as a complete valid frame follows
// it in the buffer, so a false sync in the noise never holds back the real frames behind it.
// Plain C++: shared with the native sensor emulator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CSerialFrameParser {
public:
    struct Frame {
        uint8_t type = 0;
        std::vector<uint8_t> payload;
        std::vector<uint8_t> bytes;  // the whole frame as received
    };

    explicit CSerialFrameParser(uint16_t maxPayload);

    // Takes the next bytes of the stream; appends every frame they complete to frames.
    void Feed(const uint8_t* data, size_t length, std::vector<Frame>& frames);
    void Reset();

    uint64_t FramesParsed() const { return framesParsed_; }
    // Candidate frames (sync pair and plausible length) that failed the CRC or were cut short.
    uint64_t CrcErrors() const { return crcErrors_; }
    // Bytes that belonged to no valid frame.
    uint64_t SkippedBytes() const { return skippedBytes_; }

private:
    enum class Check { Valid, Invalid, Incomplete };
    Check CheckAt(size_t position) const;
    bool ValidFrameAfter(size_t position, size_t& found) const;
    void Skip(size_t count);

    uint16_t maxPayload_;
    std::vector<uint8_t> buffer_;
    size_t head_ = 0;  // first byte not yet consumed
    uint64_t framesParsed_ = 0;
    uint64_t crcErrors_ = 0;
    uint64_t skippedBytes_ = 0;
};
