#pragma once
// Per-pixel arithmetic of the target view. Pixels are 0xAARRGGBB.
#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cstdint>

namespace pixelmath {

inline uint32_t Alpha(uint32_t p) { return p >> 24; }
inline int Channel(uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }
inline uint32_t Clamp255(int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); }
inline uint32_t Pack(int a, int r, int g, int b) {
    return (Clamp255(a) << 24) | (Clamp255(r) << 16) | (Clamp255(g) << 8) | Clamp255(b);
}

// A Windows colour value 0x00BBGGRR in pixel order, red and blue swapped (the high byte kept).
inline uint32_t SwapRedBlue(uint32_t v) { return ((v & 0xFF) << 16) | ((v >> 16) & 0xFF) | (v & 0xFF00FF00u); }

// One channel of S over an opaque D with coverage c: d = 1 and e = 1 exactly, so the general
// formula reduces to this without a change in any result (multiplying and dividing by 1.0 is
// exact).
inline int OverOpaqueChannel(int dc, int sc, double c) {
    double v = dc * (1 - c) + sc * c;
    return static_cast<int>(std::clamp(v, -1.0, 256.0));
}

// S over D with coverage c (0..1): the blend of target discs and track lines.
inline uint32_t BlendOver(uint32_t d, uint32_t s, double c) {
    if (Alpha(d) == 255) {
        return Pack(255, OverOpaqueChannel(Channel(d, 16), Channel(s, 16), c),
                    OverOpaqueChannel(Channel(d, 8), Channel(s, 8), c), OverOpaqueChannel(Channel(d, 0), Channel(s, 0), c));
    }
    const double da = Alpha(d) / 255.0;
    const double e = 1 - (1 - da) * (1 - c);
    // Nothing over nothing stays nothing (the formula would divide 0 by 0).
    if (!(e > 0)) return d;
    auto channel = [&](int shift) {
        double v = Channel(d, shift) * (1 - c) * da / e + Channel(s, shift) * c / e;
        return static_cast<int>(std::clamp(v, -1.0, 256.0));
    };
    return Pack(static_cast<int>(e * 255), channel(16), channel(8), channel(0));
}

// BlendOver(d, s, k / 255.0) for a coverage k of 0..255, the same pixel. Over an opaque D a channel
// is the truncated quotient (D (255 - k) + S k) / 255, which the doubles compute to within far
// less than 1/255; the truncation can only come out differently where the quotient is a whole
// number, and there the doubles decide. So the common case needs no floating point at all.
inline uint32_t BlendOverCoverageScalar(uint32_t d, uint32_t s, int k) {
    if (Alpha(d) != 255) return BlendOver(d, s, k / 255.0);
    auto channel = [&](int shift) {
        const int dc = Channel(d, shift), sc = Channel(s, shift);
        const int num = dc * (255 - k) + sc * k;
        const int q = num / 255;
        return num - q * 255 != 0 ? q : static_cast<int>(Clamp255(OverOpaqueChannel(dc, sc, k / 255.0)));
    };
    return 0xFF000000u | (static_cast<uint32_t>(channel(16)) << 16) | (static_cast<uint32_t>(channel(8)) << 8) |
           static_cast<uint32_t>(channel(0));
}

// The same with the three channels side by side in 16-bit lanes (every quotient is below 2^16,
// and (n + 1 + (n >> 8)) >> 8 is n / 255 for all of them); pixels with a whole quotient in a
// channel, or not opaque below, take the scalar way.
inline uint32_t BlendOverCoverage(uint32_t d, uint32_t s, int k) {
    if (Alpha(d) != 255) return BlendOver(d, s, k / 255.0);
    const __m128i zero = _mm_setzero_si128();
    const __m128i dv = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(d)), zero);
    const __m128i sv = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(s)), zero);
    const __m128i num = _mm_add_epi16(_mm_mullo_epi16(dv, _mm_set1_epi16(static_cast<short>(255 - k))),
                                      _mm_mullo_epi16(sv, _mm_set1_epi16(static_cast<short>(k))));
    const __m128i q =
        _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(num, _mm_set1_epi16(1)), _mm_srli_epi16(num, 8)), 8);
    const __m128i whole = _mm_cmpeq_epi16(_mm_mullo_epi16(q, _mm_set1_epi16(255)), num);
    if (_mm_movemask_epi8(whole) & 0x3F) return BlendOverCoverageScalar(d, s, k);  // blue, green, red lanes
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(q, zero))) | 0xFF000000u;
}

// Colour c (its own alpha unused) over D with the fixed opacity 128: monitor and detect areas.
inline uint32_t BlendArea(uint32_t d, uint32_t c) {
    const int ad = static_cast<int>(Alpha(d));
    if (ad == 0) return (c & 0x00FFFFFFu) | 0x80000000u;
    if (ad == 255) {
        // The common case, opaque below: A = 255, so the divisions are by a constant.
        auto channel = [&](int shift) {
            int dc = Channel(d, shift);
            return dc + (Channel(c, shift) - dc) * 128 / 255;
        };
        return Pack(255, channel(16), channel(8), channel(0));
    }
    const int t = ad * 128 / 255;
    const int a = ad - t + 128;
    auto channel = [&](int shift) {
        int dc = Channel(d, shift);
        return dc + (Channel(c, shift) - dc) * 128 / a;
    };
    return Pack(a, channel(16), channel(8), channel(0));
}

// The areas of the set bits of bits (slot order, lowest first) over D, colours[k] for bit k.
// An opaque D stays opaque, so the whole chain then runs with the channels side by side in 16-bit
// lanes: (C - D) * 128 fits, and its quotient by 255, truncated towards zero, is the unsigned
// quotient of its magnitude with the sign put back.
inline uint32_t BlendAreas(uint32_t d, uint32_t bits, const uint32_t* colours) {
    if (Alpha(d) != 255) {
        for (; bits; bits &= bits - 1) d = BlendArea(d, colours[std::countr_zero(bits)]);
        return d;
    }
    const __m128i zero = _mm_setzero_si128();
    __m128i p = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(d)), zero);
    for (; bits; bits &= bits - 1) {
        const __m128i c = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(colours[std::countr_zero(bits)])), zero);
        const __m128i n = _mm_slli_epi16(_mm_sub_epi16(c, p), 7);
        const __m128i sign = _mm_srai_epi16(n, 15);
        const __m128i m = _mm_max_epi16(n, _mm_sub_epi16(zero, n));
        const __m128i q = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(m, _mm_set1_epi16(1)), _mm_srli_epi16(m, 8)), 8);
        p = _mm_add_epi16(p, _mm_sub_epi16(_mm_xor_si128(q, sign), sign));
    }
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(p, zero))) | 0xFF000000u;
}

// Shading colour c with strength e (0..255) over D: the fan shading of the background.
inline uint32_t ShadePixel(uint32_t d, uint32_t c, int e) {
    const int ad = static_cast<int>(Alpha(d));
    if (ad == 0) return (Clamp255(e) << 24) | (c & 0x00FFFFFFu);
    const int a = ad + e - ad * e / 255;
    auto channel = [&](int shift) {
        int dc = Channel(d, shift);
        return dc + e * (Channel(c, shift) - dc) / a;
    };
    return Pack(a, channel(16), channel(8), channel(0));
}

// Opacity (0..223) of a track whose newest point is age milliseconds old.
inline int FadeAlpha(uint32_t age, uint32_t displayTime) {
    if (age >= displayTime) return 223;
    // 64-bit so that display times above about five hours do not wrap.
    uint64_t alpha = static_cast<uint64_t>(displayTime - age) * 223u / displayTime;
    return static_cast<int>(std::min<uint64_t>(alpha, 223));
}

}  // namespace pixelmath
