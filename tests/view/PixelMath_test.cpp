#include <gtest/gtest.h>

#include <vector>

#include "view/MarkerImage.h"
#include "view/PixelMath.h"

namespace {

using namespace pixelmath;

TEST(PixelMath, FadeAlphaOverAge) {
    struct Case {
        uint32_t age, display;
        int alpha;
    } cases[] = {
        {0, 2000, 223},    {500, 2000, 167}, {1991, 2000, 1},     {1992, 2000, 0},  {1999, 2000, 0},
        {2000, 2000, 223}, {9000, 2000, 223}, {0, 0, 223},        {5, 0, 223},
        // long display times must not wrap in the multiplication
        {0, 100000000u, 223}, {50000000u, 100000000u, 111},
    };
    for (const Case& c : cases) EXPECT_EQ(FadeAlpha(c.age, c.display), c.alpha) << c.age << "/" << c.display;
}

TEST(PixelMath, AreaBlendWithOpacity128) {
    struct Case {
        uint32_t d, c, want;
    } cases[] = {
        {0xFF2A323C, 0x8BC583, 0xFF5A7B5F},  // over the plot background
        {0x00123456, 0x8BC583, 0x808BC583},  // over nothing: the colour at alpha 0x80
        {0xFFFFFFFF, 0x000000, 0xFF7F7F7F},  // 255 - 255 * 128 / 255 = 127
        {0x64000000, 0xFF0000, 0xB2B70000},  // alpha 100: t = 50, A = 178, red 255 * 128 / 178
    };
    for (const Case& c : cases) EXPECT_EQ(BlendArea(c.d, c.c), c.want) << std::hex << c.d << " " << c.c;
}

TEST(PixelMath, ShadeBlend) {
    EXPECT_EQ(ShadePixel(0xFF2A323C, 0xFF71ABCC, 0), 0xFF2A323Cu);
    EXPECT_EQ(ShadePixel(0xFF2A323C, 0xFF71ABCC, 255), 0xFF71ABCCu);
    EXPECT_EQ(ShadePixel(0x00000000, 0xFFE55778, 127), 0x7FE55778u);
    // Opaque: linear blend with weight E / 255; red 0x2A + 127 * (0x71 - 0x2A) / 255 = 42 + 35.
    EXPECT_EQ(ShadePixel(0xFF2A323C, 0xFF71ABCC, 127), 0xFF4D6E83u);
}

TEST(PixelMath, OverBlend) {
    EXPECT_EQ(BlendOver(0xFF102030, 0xFFFFFFFF, 1.0), 0xFFFFFFFFu);
    EXPECT_EQ(BlendOver(0xFF102030, 0xFFFFFFFF, 0.0), 0xFF102030u);
    EXPECT_EQ(BlendOver(0x00000000, 0xFF40C080, 0.5), 0x7F40C080u);  // e = 0.5, channels S
    EXPECT_EQ(BlendOver(0x00000000, 0xFF40C080, 0.0), 0x00000000u);  // nothing over nothing
    // Opaque white over opaque black at half coverage: 127.5 truncated.
    EXPECT_EQ(BlendOver(0xFF000000, 0xFFFFFFFF, 0.5), 0xFF7F7F7Fu);
    // Half-transparent red under blue at half coverage: e = 1 - (1 - 128/255) / 2.
    EXPECT_EQ(BlendOver(0x80FF0000, 0xFF0000FF, 0.5), 0xBF5500A9u);
}

// The integer blends must give the pixels of the plain formulas for every input: all channel
// pairs and coverages, over opaque and over partly transparent pixels.
TEST(PixelMath, OverBlendByCoverageIsTheDoubleBlendForEveryInput) {
    int mismatches = 0;
    for (uint32_t k = 0; k < 256; ++k) {
        for (uint32_t a = 0; a < 256; ++a) {
            for (uint32_t b = 0; b < 256; ++b) {
                const uint32_t s = ((a * 13) & 0xFF) << 24 | b << 16 | ((a * 5 + k) & 0xFF) << 8 | (a ^ b);
                const uint32_t opaque = 0xFF000000u | a << 16 | ((a * 7 + b) & 0xFF) << 8 | (255 - a);
                const uint32_t translucent = a << 24 | b << 8 | k;
                for (uint32_t d : {opaque, translucent}) {
                    if (BlendOverCoverage(d, s, static_cast<int>(k)) != BlendOver(d, s, k / 255.0) && ++mismatches < 5) {
                        ADD_FAILURE() << std::hex << d << " " << s << " " << k;
                    }
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(PixelMath, AreaChainIsBlendAreaSlotBySlot) {
    int mismatches = 0;
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t b = 0; b < 256; ++b) {
            const uint32_t colours[3] = {b << 16 | a << 8 | ((b * 3) & 0xFF), ((b * 7) & 0xFF) << 16 | ((a * 5) & 0xFF) << 8 | b,
                                         0x12345678};
            const uint32_t opaque = 0xFF000000u | a << 16 | (b ^ 0x5A) << 8 | (255 - a);
            const uint32_t translucent = a << 24 | b << 8 | 7;
            for (uint32_t d : {opaque, translucent}) {
                for (uint32_t bits = 1; bits < 8; ++bits) {
                    uint32_t want = d;
                    for (int k = 0; k < 3; ++k)
                        if ((bits >> k) & 1) want = BlendArea(want, colours[k]);
                    if (BlendAreas(d, bits, colours) != want && ++mismatches < 5) ADD_FAILURE() << std::hex << d << " " << bits;
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(PixelMath, SwapRedBlue) {
    EXPECT_EQ(SwapRedBlue(0x000000FF), 0x00FF0000u);
    EXPECT_EQ(SwapRedBlue(0x00FFFF00), 0x0000FFFFu);
    EXPECT_EQ(SwapRedBlue(0x12345678), 0x12785634u);
}

TEST(MarkerImage, DiscOfSide21) {
    std::vector<uint32_t> px(21 * 21, 0xDEADBEEF);
    RenderMarkerDisc(px.data(), 21, 21, 0x00112233);
    auto at = [&](int c, int q) { return px[q * 21 + c]; };
    EXPECT_EQ(at(10, 10), 0xFF112233u);
    EXPECT_EQ(at(0, 10), 0xFF112233u);   // distance 10 < 10.2
    EXPECT_EQ(at(10, 20), 0xFF112233u);
    EXPECT_EQ(at(0, 0), 0u);             // corners are cleared
    EXPECT_EQ(at(3, 3), 0xFF112233u);    // 7 * sqrt(2) = 9.9
    EXPECT_EQ(at(2, 3), 0u);             // sqrt(64 + 49) = 10.6
}

}  // namespace
