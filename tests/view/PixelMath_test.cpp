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
