#pragma once
// Per-pixel arithmetic of the target view. Pixels are 0xAARRGGBB.
#include <algorithm>
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

// S over D with coverage c (0..1): the blend of target discs and track lines.
inline uint32_t BlendOver(uint32_t d, uint32_t s, double c) {
    if (Alpha(d) == 255) {
        // Opaque below: d = 1 and e = 1 exactly, so the general formula reduces to this without
        // a change in any result (multiplying and dividing by 1.0 is exact).
        auto channel = [&](int shift) {
            double v = Channel(d, shift) * (1 - c) + Channel(s, shift) * c;
            return static_cast<int>(std::clamp(v, -1.0, 256.0));
        };
        return Pack(255, channel(16), channel(8), channel(0));
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
