#include "RawFrameCodec.h"

#include <cstring>

namespace {

const char kMagic[8] = {'R', 'V', 'R', 'A', 'W', 'D', 'A', 'T'};

template <typename T>
void Put(std::vector<uint8_t>& out, T value) {
    uint8_t bytes[sizeof(T)];
    memcpy(bytes, &value, sizeof(T));  // the library is built for little-endian Windows only
    out.insert(out.end(), bytes, bytes + sizeof(T));
}

template <typename T>
T Get(const uint8_t* p) {
    T value;
    memcpy(&value, p, sizeof(T));
    return value;
}

}  // namespace

uint32_t CRawFrameCodec::Crc32(const uint8_t* data, size_t length, uint32_t crc) {
    static uint32_t table[256];
    static const bool ready = [] {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        return true;
    }();
    (void)ready;
    crc = ~crc;
    for (size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::vector<uint8_t> CRawFrameCodec::EncodeFileHeader(uint32_t gateCount, int64_t startFileTime) {
    std::vector<uint8_t> out(kMagic, kMagic + 8);
    Put<uint16_t>(out, kVersion);
    Put<uint16_t>(out, static_cast<uint16_t>(kFileHeaderSize));
    Put<uint32_t>(out, gateCount);
    Put<int64_t>(out, startFileTime);
    Put<uint32_t>(out, 0);
    Put<uint32_t>(out, Crc32(out.data(), out.size()));
    return out;
}

bool CRawFrameCodec::DecodeFileHeader(const uint8_t* data, size_t size, uint32_t* gateCount) {
    if (size < kFileHeaderSize || memcmp(data, kMagic, 8) != 0) return false;
    if (Get<uint16_t>(data + 8) != kVersion || Get<uint16_t>(data + 10) != kFileHeaderSize) return false;
    if (Get<uint32_t>(data + 28) != Crc32(data, 28)) return false;
    if (gateCount) *gateCount = Get<uint32_t>(data + 12);
    return true;
}

std::vector<uint8_t> CRawFrameCodec::EncodeFrame(const RadarFrame& frame) {
    const size_t count = frame.points.size() > size_t(kMaxPoints) ? size_t(kMaxPoints) : frame.points.size();
    std::vector<uint8_t> out;
    out.reserve(kFrameHeaderSize + count * kPointSize);
    Put<uint32_t>(out, kFrameMagic);
    Put<uint32_t>(out, static_cast<uint32_t>(count * kPointSize));
    Put<uint32_t>(out, frame.sequence);
    Put<uint8_t>(out, static_cast<uint8_t>(frame.kind));
    Put<uint8_t>(out, 0);
    Put<uint16_t>(out, static_cast<uint16_t>(count));
    Put<uint64_t>(out, frame.timestampUs);
    Put<uint32_t>(out, 0);  // CRC, filled below
    for (size_t i = 0; i < count; ++i) {
        const RadarPoint& p = frame.points[i];
        Put<int64_t>(out, p.id);
        Put<double>(out, p.gate);
        Put<double>(out, p.distance);
        Put<double>(out, p.velocity);
        Put<double>(out, p.angle);
        Put<double>(out, p.snr);
    }
    uint32_t crc = Crc32(out.data(), 24);
    crc = Crc32(out.data() + kFrameHeaderSize, out.size() - kFrameHeaderSize, crc);
    memcpy(out.data() + 24, &crc, 4);
    return out;
}

CRawFrameCodec::DecodeResult CRawFrameCodec::DecodeFrame(const uint8_t* data, size_t size, RadarFrame& frame,
                                                         size_t* consumed) {
    if (size < 4) return DecodeResult::Truncated;
    if (Get<uint32_t>(data) != kFrameMagic) return DecodeResult::Bad;
    if (size < kFrameHeaderSize) return DecodeResult::Truncated;
    const uint32_t payload = Get<uint32_t>(data + 4);
    const uint8_t kind = data[12];
    const uint16_t count = Get<uint16_t>(data + 14);
    if (count > kMaxPoints || payload != count * kPointSize || (kind != 1 && kind != 2)) return DecodeResult::Bad;
    if (size < kFrameHeaderSize + payload) return DecodeResult::Truncated;
    uint32_t crc = Crc32(data, 24);
    crc = Crc32(data + kFrameHeaderSize, payload, crc);
    if (crc != Get<uint32_t>(data + 24)) return DecodeResult::Bad;
    frame.sequence = Get<uint32_t>(data + 8);
    frame.kind = static_cast<RadarFrameKind>(kind);
    frame.timestampUs = Get<uint64_t>(data + 16);
    frame.points.resize(count);
    const uint8_t* p = data + kFrameHeaderSize;
    for (RadarPoint& point : frame.points) {
        point.id = Get<int64_t>(p);
        point.gate = Get<double>(p + 8);
        point.distance = Get<double>(p + 16);
        point.velocity = Get<double>(p + 24);
        point.angle = Get<double>(p + 32);
        point.snr = Get<double>(p + 40);
        p += kPointSize;
    }
    *consumed = kFrameHeaderSize + payload;
    return DecodeResult::Ok;
}
