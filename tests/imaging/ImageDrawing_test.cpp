// Drawing onto a target made over an image.
#include "ImageTestSupport.h"

using namespace imaging_test;
using namespace Gdiplus;

namespace {

constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kRed = 0xFFFF0000;
constexpr ARGB kBlue = 0xFF0000FF;

// A white canvas with a drawing target on it.
class Canvas : public testing::Test {
protected:
    ImagePtr canvas_ = Solid(100, 100, kWhite);
    CGdipGraphics graphics_{*canvas_};

    ARGB At(int x, int y) { return PixelAt(canvas_.get(), x, y); }
};

struct LanguageCase {
    int id;
    int rightToLeft;
};

class StringFormatByLanguage : public testing::TestWithParam<LanguageCase> {};

TEST_P(StringFormatByLanguage, RightToLeftOnlyForArabicAndHebrew) {
    EXPECT_EQ(Gdiplus_GetStringFormat(GetParam().id), GetParam().rightToLeft);
}

INSTANTIATE_TEST_SUITE_P(Languages, StringFormatByLanguage,
                         testing::Values(LanguageCase{0x401, 1}, LanguageCase{0x40D, 1}, LanguageCase{0x50401, 1},
                                         LanguageCase{0x409, 0}, LanguageCase{0x804, 0}, LanguageCase{0x801, 0}));

TEST_F(Canvas, DrawBitmapFitCentresTheImage) {
    ImagePtr bar = Solid(50, 20, kRed);
    const RECT all{0, 0, 100, 100};
    Gdiplus_DrawBitmap(&graphics_, &all, bar.get(), nullptr, 1);
    EXPECT_EQ(At(50, 28), kWhite);
    EXPECT_EQ(At(50, 31), kRed);
    EXPECT_EQ(At(50, 68), kRed);
    EXPECT_EQ(At(50, 71), kWhite);
    EXPECT_EQ(graphics_.TakeLastStatus(), Ok);
}

TEST_F(Canvas, DrawBitmapTilesSqueezeTheEdgeTiles) {
    // Left half red, right half blue: a cut edge tile would show only red.
    ImagePtr tile = Solid(40, 40, kBlue);
    FillArea(tile.get(), 0, 0, 20, 40, kRed);
    const RECT all{30, 30, 130, 130};
    Gdiplus_DrawBitmap(&graphics_, &all, tile.get(), nullptr, 2);
    EXPECT_EQ(At(5, 5), kRed);
    EXPECT_EQ(At(35, 5), kBlue);
    EXPECT_EQ(At(84, 5), kRed);
    EXPECT_EQ(At(95, 5), kBlue);
    EXPECT_EQ(At(95, 95), kBlue);
}

TEST_F(Canvas, DrawBitmapCentreWithoutScalingAndSourcePart) {
    ImagePtr image = Solid(40, 40, kBlue);
    FillArea(image.get(), 10, 10, 30, 20, kRed);
    const RECT all{0, 0, 100, 100};
    const RECT part{10, 10, 30, 20};
    Gdiplus_DrawBitmap(&graphics_, &all, image.get(), &part, 3);
    EXPECT_EQ(At(39, 50), kWhite);
    EXPECT_EQ(At(40, 45), kRed);
    EXPECT_EQ(At(59, 54), kRed);
    EXPECT_EQ(At(60, 54), kWhite);
    EXPECT_EQ(At(50, 55), kWhite);
}

TEST_F(Canvas, DrawBitmapIgnoresNullInputs) {
    ImagePtr image = Solid(4, 4, kRed);
    const RECT all{0, 0, 100, 100};
    Gdiplus_DrawBitmap(nullptr, &all, image.get(), nullptr, 0);
    Gdiplus_DrawBitmap(&graphics_, &all, nullptr, nullptr, 0);
    Gdiplus_DrawAlphaBitmap(&graphics_, &all, nullptr, nullptr, 1, 255);
    EXPECT_EQ(At(50, 50), kWhite);
}

struct AlphaCase {
    int alpha;
    int lowGreen;
    int highGreen;
};

class DrawAlphaBitmapLevels : public testing::TestWithParam<AlphaCase> {};

TEST_P(DrawAlphaBitmapLevels, ScalesAlphaByTheLowByteOver256) {
    ImagePtr canvas = Solid(20, 20, kWhite);
    CGdipGraphics graphics(*canvas);
    ImagePtr red = Solid(20, 20, kRed);
    const RECT all{0, 0, 20, 20};
    Gdiplus_DrawAlphaBitmap(&graphics, &all, red.get(), nullptr, 1, GetParam().alpha);
    const ARGB pixel = PixelAt(canvas.get(), 10, 10);
    const int green = static_cast<int>((pixel >> 8) & 0xFF);
    EXPECT_GE(green, GetParam().lowGreen);
    EXPECT_LE(green, GetParam().highGreen);
    EXPECT_EQ((pixel >> 16) & 0xFF, 0xFFu);
}

INSTANTIATE_TEST_SUITE_P(Levels, DrawAlphaBitmapLevels,
                         testing::Values(AlphaCase{0x100, 255, 255}, AlphaCase{128, 125, 130},
                                         AlphaCase{0x1FF, 0, 2}, AlphaCase{64, 189, 194}));

TEST_F(Canvas, DrawAlphaBitmapUnstretchedCentresTheCornerPart) {
    ImagePtr image = Solid(20, 60, kRed);
    const RECT box{10, 10, 90, 50};
    Gdiplus_DrawAlphaBitmap(&graphics_, &box, image.get(), nullptr, 0, 0xFF);
    EXPECT_NE(At(45, 15), kWhite);
    EXPECT_NE(At(45, 48), kWhite);
    EXPECT_EQ(At(38, 30), kWhite);
    EXPECT_EQ(At(61, 30), kWhite);
    EXPECT_EQ(At(45, 52), kWhite);
}

TEST_F(Canvas, FillRectAndStatusOfTheTarget) {
    GpSolidFill* brush = nullptr;
    ASSERT_EQ(DllExports::GdipCreateSolidFill(kBlue, &brush), Ok);
    const RECT box{10, 20, 30, 40};
    Gdiplus_FillRect(&graphics_, &box, brush);
    DllExports::GdipDeleteBrush(brush);
    EXPECT_EQ(At(10, 20), kBlue);
    EXPECT_EQ(At(29, 39), kBlue);
    EXPECT_EQ(At(30, 39), kWhite);
    EXPECT_EQ(graphics_.TakeLastStatus(), Ok);
    Gdiplus_FillRect(&graphics_, &box, nullptr);
    EXPECT_NE(graphics_.TakeLastStatus(), Ok);
    EXPECT_EQ(graphics_.TakeLastStatus(), Ok);
}

TEST_F(Canvas, FillPolygonUsesAlternateFill) {
    // Two overlapping squares as one outline: the overlap is filled twice, so left empty.
    const POINT outline[] = {{10, 10}, {60, 10}, {60, 60}, {10, 60}, {10, 10},
                             {40, 40}, {90, 40}, {90, 90}, {40, 90}, {40, 40}};
    GpSolidFill* brush = nullptr;
    ASSERT_EQ(DllExports::GdipCreateSolidFill(kRed, &brush), Ok);
    Gdiplus_FillPolygon(&graphics_, outline, 10, brush);
    DllExports::GdipDeleteBrush(brush);
    EXPECT_EQ(At(20, 20), kRed);
    EXPECT_EQ(At(80, 80), kRed);
    EXPECT_EQ(At(50, 50), kWhite);
    EXPECT_EQ(At(5, 5), kWhite);
}

TEST_F(Canvas, DrawRectIsSmallerByThePenWidth) {
    const RECT box{10, 10, 50, 50};
    Gdiplus_DrawRect(&graphics_, &box, kBlue, 1.0f);
    EXPECT_EQ(At(10, 30), kBlue);
    EXPECT_EQ(At(49, 30), kBlue);
    EXPECT_EQ(At(50, 30), kWhite);
    EXPECT_EQ(At(30, 49), kBlue);
    EXPECT_EQ(At(30, 50), kWhite);
    EXPECT_EQ(At(30, 30), kWhite);
}

TEST_F(Canvas, DrawTextDrawsOnlyRealText) {
    GpFontFamily* family = nullptr;
    for (const wchar_t* name : {L"Tahoma", L"Arial", L"DejaVu Sans", L"WenQuanYi Zen Hei"})
        if (DllExports::GdipCreateFontFamilyFromName(name, nullptr, &family) == Ok) break;
    ASSERT_NE(family, nullptr);
    GpFont* font = nullptr;
    ASSERT_EQ(DllExports::GdipCreateFont(family, 40.0f, FontStyleBold, UnitPixel, &font), Ok);
    const RectF layout(0, 0, 100, 100);
    auto countDark = [&] {
        int dark = 0;
        for (int y = 0; y < 100; y += 2)
            for (int x = 0; x < 100; x += 2)
                if (((At(x, y) >> 8) & 0xFF) < 128) ++dark;
        return dark;
    };
    Gdiplus_DrawText(&graphics_, L"", &layout, 0xFF000000, nullptr, font);
    Gdiplus_DrawText(&graphics_, nullptr, &layout, 0xFF000000, nullptr, font);
    Gdiplus_DrawText(nullptr, L"W", &layout, 0xFF000000, nullptr, font);
    EXPECT_EQ(countDark(), 0);
    Gdiplus_DrawText(&graphics_, L"WM", &layout, 0xFF000000, nullptr, font);
    EXPECT_GT(countDark(), 20);
    EXPECT_EQ(graphics_.TakeLastStatus(), Ok);
    DllExports::GdipDeleteFont(font);
    DllExports::GdipDeleteFontFamily(family);
}

}  // namespace
