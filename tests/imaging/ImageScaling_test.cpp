// New images: creation, stretching, resizing, fitting, tiling and cropping.
#include "ImageTestSupport.h"

using namespace imaging_test;
using namespace Gdiplus;

namespace {

constexpr ARGB kRed = 0xFFFF0000;
constexpr ARGB kGreen = 0xFF00FF00;
constexpr ARGB kBlue = 0xFF0000FF;

// 200 x 100: red left quarter, green centre half, blue right quarter.
ImagePtr ThreeBands() {
    ImagePtr image = Solid(200, 100, kGreen);
    FillArea(image.get(), 0, 0, 50, 100, kRed);
    FillArea(image.get(), 150, 0, 200, 100, kBlue);
    return image;
}

struct SizeCase {
    int mode;
    int width;
    int height;
};

class ResizeBitmap200x100 : public testing::TestWithParam<SizeCase> {};

TEST_P(ResizeBitmap200x100, To100x100GivesTheSizeOfTheMode) {
    ImagePtr image = Solid(200, 100, kRed);
    ImagePtr resized(Gdiplus_ResizeBitmap(image.get(), 100, 100, GetParam().mode, kBlue));
    ASSERT_TRUE(resized);
    EXPECT_EQ(SizeOf(resized.get()).cx, GetParam().width);
    EXPECT_EQ(SizeOf(resized.get()).cy, GetParam().height);
    EXPECT_EQ(resized->Format(), kPixelFormat32Argb);
    // The whole image covers the output: no background shows in the middle.
    EXPECT_EQ(PixelAt(resized.get(), GetParam().width / 2, GetParam().height / 2), kRed);
}

INSTANTIATE_TEST_SUITE_P(AllModes, ResizeBitmap200x100,
                         testing::Values(SizeCase{0, 100, 100}, SizeCase{1, 100, 50}, SizeCase{2, 200, 100},
                                         SizeCase{3, 100, 50}, SizeCase{4, 200, 100}));

TEST(ResizeBitmap, RefusesNullImageEmptySizeAndUnknownMode) {
    ImagePtr image = Solid(20, 10, kRed);
    EXPECT_EQ(Gdiplus_ResizeBitmap(nullptr, 10, 10, 0, 0), nullptr);
    EXPECT_EQ(Gdiplus_ResizeBitmap(image.get(), 0, 10, 0, 0), nullptr);
    EXPECT_EQ(Gdiplus_ResizeBitmap(image.get(), 10, -1, 1, 0), nullptr);
    EXPECT_EQ(Gdiplus_ResizeBitmap(image.get(), 10, 10, 5, 0), nullptr);
}

TEST(ResizeBitmap, StretchModeKeepsTheLayoutOfTheImage) {
    ImagePtr image = ThreeBands();
    ImagePtr resized(Gdiplus_ResizeBitmap(image.get(), 40, 40, 0, 0));
    ASSERT_TRUE(resized);
    EXPECT_EQ(PixelAt(resized.get(), 2, 20), kRed);
    EXPECT_EQ(PixelAt(resized.get(), 20, 20), kGreen);
    EXPECT_EQ(PixelAt(resized.get(), 37, 20), kBlue);
    // Edge pixels keep full colour and alpha.
    EXPECT_EQ(PixelAt(resized.get(), 0, 0), kRed);
    EXPECT_EQ(PixelAt(resized.get(), 39, 39), kBlue);
}

TEST(DisposeBitmapByMode, CentreCropKeepsTheMiddleAtTheRequestedSize) {
    ImagePtr image = ThreeBands();
    ImagePtr cropped(Gdiplus_DisposeBitmapByMode(image.get(), 50, 50, 0, 0));
    ASSERT_TRUE(cropped);
    EXPECT_EQ(SizeOf(cropped.get()).cx, 50);
    EXPECT_EQ(SizeOf(cropped.get()).cy, 50);
    EXPECT_EQ(PixelAt(cropped.get(), 0, 0), kGreen);
    EXPECT_EQ(PixelAt(cropped.get(), 49, 49), kGreen);
}

TEST(DisposeBitmapByMode, FitAndStretchModes) {
    ImagePtr image = Solid(200, 100, kRed);
    ImagePtr fit(Gdiplus_DisposeBitmapByMode(image.get(), 100, 100, 1, kBlue));
    ASSERT_TRUE(fit);
    EXPECT_EQ(SizeOf(fit.get()).cx, 100);
    EXPECT_EQ(SizeOf(fit.get()).cy, 50);
    ImagePtr stretched(Gdiplus_DisposeBitmapByMode(image.get(), 30, 70, 4, kBlue));
    ASSERT_TRUE(stretched);
    EXPECT_EQ(SizeOf(stretched.get()).cx, 30);
    EXPECT_EQ(SizeOf(stretched.get()).cy, 70);
    EXPECT_EQ(Gdiplus_DisposeBitmapByMode(image.get(), 30, 70, 5, 0), nullptr);
    EXPECT_EQ(Gdiplus_DisposeBitmapByMode(nullptr, 30, 70, 4, 0), nullptr);
    EXPECT_EQ(Gdiplus_DisposeBitmapByMode(image.get(), 0, 70, 0, 0), nullptr);
}

TEST(DisposeBitmapByMode, TilesAreLaidUnscaledAndCutAtTheEdges) {
    // 30 x 20 tile: blue with a red top-left pixel marking each tile's origin.
    ImagePtr tile = Solid(30, 20, kBlue);
    SetPixelAt(tile.get(), 0, 0, kRed);
    ImagePtr tiled(Gdiplus_DisposeBitmapByMode(tile.get(), 70, 50, 2, kGreen));
    ASSERT_TRUE(tiled);
    EXPECT_EQ(SizeOf(tiled.get()).cx, 70);
    EXPECT_EQ(SizeOf(tiled.get()).cy, 50);
    for (const POINT origin : {POINT{0, 0}, POINT{30, 0}, POINT{60, 0}, POINT{0, 20}, POINT{60, 40}})
        EXPECT_EQ(PixelAt(tiled.get(), origin.x, origin.y), kRed) << origin.x << "," << origin.y;
    EXPECT_EQ(PixelAt(tiled.get(), 31, 21), kBlue);
    EXPECT_EQ(PixelAt(tiled.get(), 69, 49), kBlue);
    EXPECT_EQ(PixelAt(tiled.get(), 61, 41), kBlue);
}

TEST(DisposeBitmapByMode, CentreWithoutScalingOverBackground) {
    ImagePtr small = Solid(20, 10, kRed);
    ImagePtr centred(Gdiplus_DisposeBitmapByMode(small.get(), 40, 30, 3, kGreen));
    ASSERT_TRUE(centred);
    EXPECT_EQ(PixelAt(centred.get(), 9, 9), kGreen);
    EXPECT_EQ(PixelAt(centred.get(), 10, 10), kRed);
    EXPECT_EQ(PixelAt(centred.get(), 29, 19), kRed);
    EXPECT_EQ(PixelAt(centred.get(), 30, 20), kGreen);

    ImagePtr large = ThreeBands();
    ImagePtr cut(Gdiplus_DisposeBitmapByMode(large.get(), 100, 40, 3, kBlue));
    ASSERT_TRUE(cut);
    EXPECT_EQ(PixelAt(cut.get(), 0, 0), kGreen);
    EXPECT_EQ(PixelAt(cut.get(), 99, 39), kGreen);
}

TEST(GetBitmapFromBitmap, CropsToTheRectangleOrTheGivenSize) {
    ImagePtr image = ThreeBands();
    ImagePtr plain(Gdiplus_GetBitmapFromBitmap(image.get(), 40, 10, 20, 30, nullptr));
    ASSERT_TRUE(plain);
    EXPECT_EQ(SizeOf(plain.get()).cx, 20);
    EXPECT_EQ(SizeOf(plain.get()).cy, 30);
    EXPECT_EQ(PixelAt(plain.get(), 0, 0), kRed);
    EXPECT_EQ(PixelAt(plain.get(), 19, 29), kGreen);

    const SIZE output{7, 9};
    const RECT centre{50, 0, 150, 100};
    ImagePtr scaled(Gdiplus_GetBitmapFromBitmapByRect(image.get(), &centre, &output));
    ASSERT_TRUE(scaled);
    EXPECT_EQ(SizeOf(scaled.get()).cx, 7);
    EXPECT_EQ(SizeOf(scaled.get()).cy, 9);
    EXPECT_EQ(PixelAt(scaled.get(), 0, 0), kGreen);
    EXPECT_EQ(PixelAt(scaled.get(), 6, 8), kGreen);

    EXPECT_EQ(Gdiplus_GetBitmapFromBitmap(nullptr, 0, 0, 5, 5, nullptr), nullptr);
    EXPECT_EQ(Gdiplus_GetBitmapFromBitmap(image.get(), 0, 0, 0, 5, nullptr), nullptr);
    EXPECT_EQ(Gdiplus_GetBitmapFromBitmapByRect(image.get(), nullptr, nullptr), nullptr);
}

TEST(GetBitmapFromBitmap, AreaOutsideTheImageStaysTransparent) {
    ImagePtr image = Solid(10, 10, kRed);
    ImagePtr crop(Gdiplus_GetBitmapFromBitmap(image.get(), 5, 0, 10, 10, nullptr));
    ASSERT_TRUE(crop);
    EXPECT_EQ(PixelAt(crop.get(), 2, 5), kRed);
    EXPECT_EQ(PixelAt(crop.get(), 8, 5) >> 24, 0u);
}

TEST(CreateBitmap, EmptyFilledAndStretchedImages) {
    ImagePtr rgb(Gdiplus_CreateBitmap(3, 4, kPixelFormat24Rgb));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(rgb->Format(), kPixelFormat24Rgb);
    EXPECT_EQ(Gdiplus_CreateBitmap(0, 4, kPixelFormat24Rgb), nullptr);
    ImagePtr filled(Gdiplus_CreateColorBmp(3, 4, 0x40123456));
    ASSERT_TRUE(filled);
    EXPECT_EQ(filled->Format(), kPixelFormat32Argb);
    EXPECT_EQ(PixelAt(filled.get(), 0, 0), 0x40123456u);
    EXPECT_EQ(PixelAt(filled.get(), 2, 3), 0x40123456u);
    ImagePtr stretched(Gdiplus_StretchBitmap(filled.get(), 9, 2));
    ASSERT_TRUE(stretched);
    EXPECT_EQ(SizeOf(stretched.get()).cx, 9);
    EXPECT_EQ(SizeOf(stretched.get()).cy, 2);
    EXPECT_EQ(Gdiplus_StretchBitmap(filled.get(), 0, 2), nullptr);
    EXPECT_EQ(Gdiplus_StretchBitmap(nullptr, 2, 2), nullptr);
}

TEST(LoadBitmapFromImageBits, ImageShowsTheCallersMemoryWithoutCopying) {
    std::vector<ARGB> pixels(4 * 2, kRed);
    EXPECT_EQ(Gdiplus_LoadBitmapFromImageBits(nullptr, 4, 2, 16, kPixelFormat32Argb), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromImageBits(pixels.data(), 0, 2, 16, kPixelFormat32Argb), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromImageBits(pixels.data(), 4, 0, 16, kPixelFormat32Argb), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromImageBits(pixels.data(), 4, 2, 0, kPixelFormat32Argb), nullptr);
    ImagePtr image(Gdiplus_LoadBitmapFromImageBits(pixels.data(), 4, 2, 16, kPixelFormat32Argb));
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelAt(image.get(), 3, 1), kRed);
    pixels[7] = kBlue;
    EXPECT_EQ(PixelAt(image.get(), 3, 1), kBlue);
}

}  // namespace
