#include "RawFrameScanner.h"

#include <cstring>

#include "RawFrameCodec.h"

namespace {

constexpr uint32_t kPolynomial = 0xEDB88320u;

struct CrcTables {
    uint32_t byteStep[256];
    // The register operator of 48 x count zero bytes, as a polynomial (x^(384 count) mod P).
    uint32_t pointsShift[CRawFrameCodec::kMaxPoints + 1];
    CrcTables() {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? kPolynomial ^ (c >> 1) : c >> 1;
            byteStep[i] = c;
        }
        uint32_t power = 0x80000000u;  // the polynomial 1
        pointsShift[0] = power;
        for (int count = 1; count <= CRawFrameCodec::kMaxPoints; ++count) {
            for (size_t k = 0; k < CRawFrameCodec::kPointSize; ++k) power = byteStep[power & 0xFF] ^ (power >> 8);
            pointsShift[count] = power;
        }
    }
};

const CrcTables& Tables() {
    static const CrcTables tables;
    return tables;
}

// a x b mod P, bit-reflected as the register holds them.
uint32_t MultiplyModP(uint32_t a, uint32_t b) {
    uint32_t product = 0;
    for (uint32_t m = 0x80000000u; m; m >>= 1) {
        if (a & m) product ^= b;
        b = (b & 1) ? (b >> 1) ^ kPolynomial : b >> 1;
    }
    return product;
}

uint32_t Read32(const uint8_t* p) {
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}

}  // namespace

CRawFrameScanner::CRawFrameScanner() : registers_(kWindow) {
    Tables();
}

void CRawFrameScanner::Reset(size_t start) {
    position_ = start;
    registersEnd_ = start;
    registers_[start % kWindow] = 0;
    damaged_ = 0;
    inDamage_ = false;
}

void CRawFrameScanner::Skip() {
    if (!inDamage_) {
        inDamage_ = true;
        ++damaged_;
    }
    ++position_;
}

bool CRawFrameScanner::CandidateChecksOut(const uint8_t* data, size_t base, size_t at, uint32_t payload, size_t* allowance) {
    const CrcTables& t = Tables();
    const size_t first = at + CRawFrameCodec::kFrameHeaderSize, last = first + payload;
    if (registersEnd_ < first) {
        // Nothing before first matters: start the running register afresh there.
        registersEnd_ = first;
        registers_[first % kWindow] = 0;
    }
    while (registersEnd_ < last) {
        const uint32_t r = registers_[registersEnd_ % kWindow];
        registers_[(registersEnd_ + 1) % kWindow] = t.byteStep[(r ^ data[registersEnd_ - base]) & 0xFF] ^ (r >> 8);
        ++registersEnd_;
        if (*allowance) --*allowance;
    }
    uint32_t header = 0xFFFFFFFFu;
    for (size_t i = at; i < at + 24; ++i) header = t.byteStep[(header ^ data[i - base]) & 0xFF] ^ (header >> 8);
    // Register after the payload when started from `header` at first: the shifted difference of
    // the start registers, plus the register the running computation reached.
    const uint32_t shift = t.pointsShift[payload / CRawFrameCodec::kPointSize];
    const uint32_t end = MultiplyModP(shift, header ^ registers_[first % kWindow]) ^ registers_[last % kWindow];
    return ~end == Read32(data + (at - base) + 24);
}

CRawFrameScanner::Step CRawFrameScanner::Next(const uint8_t* data, size_t base, size_t size, bool complete,
                                              RadarFrame& frame, size_t* allowance) {
    constexpr size_t kHeader = CRawFrameCodec::kFrameHeaderSize;
    for (;;) {
        if (*allowance == 0) return Step::Busy;
        --*allowance;
        if (position_ >= size) return complete ? Step::End : Step::NeedMore;
        const size_t remaining = size - position_;
        const uint8_t* p = data + (position_ - base);
        if (remaining < 4 || Read32(p) != CRawFrameCodec::kFrameMagic) {
            if (remaining < 4 && !complete) return Step::NeedMore;
            Skip();
            continue;
        }
        if (remaining < kHeader) {
            if (!complete) return Step::NeedMore;
            Skip();
            continue;
        }
        uint32_t payload;
        uint16_t count;
        memcpy(&payload, p + 4, 4);
        memcpy(&count, p + 14, 2);
        const uint8_t kind = p[12];
        if (count > CRawFrameCodec::kMaxPoints || payload != count * CRawFrameCodec::kPointSize ||
            (kind != 1 && kind != 2)) {
            Skip();
            continue;
        }
        if (remaining < kHeader + payload) {
            if (!complete) return Step::NeedMore;
            Skip();
            continue;
        }
        size_t consumed = 0;
        if (CandidateChecksOut(data, base, position_, payload, allowance) &&
            CRawFrameCodec::DecodeFrame(p, remaining, frame, &consumed) == CRawFrameCodec::DecodeResult::Ok) {
            position_ += consumed;
            inDamage_ = false;
            return Step::Frame;
        }
        Skip();
    }
}
