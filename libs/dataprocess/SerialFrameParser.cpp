#include "SerialFrameParser.h"

#include "RadarProtocol.h"

namespace {
constexpr size_t kOverhead = 7;  // sync pair, length, type, CRC
}

CSerialFrameParser::CSerialFrameParser(uint16_t maxPayload) : maxPayload_(maxPayload) {}

void CSerialFrameParser::Reset() {
    buffer_.clear();
    head_ = 0;
}

void CSerialFrameParser::Skip(size_t count) {
    head_ += count;
    skippedBytes_ += count;
}

CSerialFrameParser::Check CSerialFrameParser::CheckAt(size_t at) const {
    const size_t available = buffer_.size() - at;
    if (available < 1 || buffer_[at] != CRadarProtocol::kSync0) return available < 1 ? Check::Incomplete : Check::Invalid;
    if (available < 2) return Check::Incomplete;
    if (buffer_[at + 1] != CRadarProtocol::kSync1) return Check::Invalid;
    if (available < 4) return Check::Incomplete;
    const size_t length = buffer_[at + 2] | (buffer_[at + 3] << 8);
    if (length > maxPayload_) return Check::Invalid;
    if (available < kOverhead + length) return Check::Incomplete;
    const uint16_t crc = static_cast<uint16_t>(buffer_[at + 5 + length] | (buffer_[at + 6 + length] << 8));
    return crc == CRadarProtocol::Crc16(buffer_.data() + at + 2, 3 + length) ? Check::Valid : Check::Invalid;
}

bool CSerialFrameParser::ValidFrameAfter(size_t at, size_t& found) const {
    for (size_t p = at + 1; p + kOverhead <= buffer_.size(); ++p) {
        if (buffer_[p] == CRadarProtocol::kSync0 && CheckAt(p) == Check::Valid) {
            found = p;
            return true;
        }
    }
    return false;
}

void CSerialFrameParser::Feed(const uint8_t* data, size_t length, std::vector<Frame>& frames) {
    if (data && length) buffer_.insert(buffer_.end(), data, data + length);
    while (head_ < buffer_.size()) {
        const Check check = CheckAt(head_);
        if (check == Check::Valid) {
            const size_t n = buffer_[head_ + 2] | (buffer_[head_ + 3] << 8);
            Frame frame;
            frame.type = buffer_[head_ + 4];
            frame.payload.assign(buffer_.begin() + static_cast<std::ptrdiff_t>(head_ + 5),
                                 buffer_.begin() + static_cast<std::ptrdiff_t>(head_ + 5 + n));
            frame.bytes.assign(buffer_.begin() + static_cast<std::ptrdiff_t>(head_),
                               buffer_.begin() + static_cast<std::ptrdiff_t>(head_ + kOverhead + n));
            frames.push_back(std::move(frame));
            head_ += kOverhead + n;
            framesParsed_ += 1;
            continue;
        }
        if (check == Check::Invalid) {
            // A sync pair with a plausible header that failed: a damaged frame.
            if (buffer_.size() - head_ >= kOverhead && buffer_[head_] == CRadarProtocol::kSync0 &&
                buffer_[head_ + 1] == CRadarProtocol::kSync1 &&
                static_cast<size_t>(buffer_[head_ + 2] | (buffer_[head_ + 3] << 8)) <= maxPayload_)
                crcErrors_ += 1;
            Skip(1);
            continue;
        }
        // Incomplete: wait for more, unless a complete valid frame behind it proves it false.
        size_t next = 0;
        if (buffer_.size() - head_ >= 4 && ValidFrameAfter(head_, next)) {
            crcErrors_ += 1;
            Skip(next - head_);
            continue;
        }
        break;
    }
    // Keep the unconsumed tail only.
    if (head_ > 0) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
}
