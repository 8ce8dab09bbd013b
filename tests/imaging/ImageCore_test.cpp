// Load, copy, grey and status of images made in the test.
#include <cstring>

#include "ImageTestSupport.h"

using namespace imaging_test;
using namespace Gdiplus;

namespace {

struct GreyCase {
    ARGB in;
    ARGB out;
};

class GrayOf32BitPixels : public testing::TestWithParam<GreyCase> {};

TEST_P(GrayOf32BitPixels, TakesWeightedLevelAndKeepsAlpha) {
    ImagePtr image = Solid(3, 2, 0);
    SetPixelAt(image.get(), 2, 1, GetParam().in);
    ImagePtr grey(Gdiplus_Gray(image.get()));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->Format(), kPixelFormat32Argb);
    EXPECT_EQ(PixelAt(grey.get(), 2, 1), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Colours, GrayOf32BitPixels,
                         testing::Values(GreyCase{0x80FF0000, 0x804C4C4C}, GreyCase{0xFFFFFFFF, 0xFFFFFFFF},
                                         GreyCase{0xFF0000FF, 0xFF1C1C1C}, GreyCase{0x2000FF00, 0x20959595}));

TEST(Gray, Of24BitImageGreysEveryPixel) {
    ImagePtr image(Gdiplus_CreateBitmap(2, 2, kPixelFormat24Rgb));
    ASSERT_TRUE(image);
    SetPixelAt(image.get(), 0, 0, 0xFFFF0000);
    SetPixelAt(image.get(), 1, 1, 0xFF0000FF);
    ImagePtr grey(Gdiplus_Gray(image.get()));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->Format(), kPixelFormat24Rgb);
    EXPECT_EQ(PixelAt(grey.get(), 0, 0), 0xFF4C4C4Cu);
    EXPECT_EQ(PixelAt(grey.get(), 1, 1), 0xFF1C1C1Cu);
}

TEST(Gray, Of8BitIndexedImageKeepsIndicesOverAGreyPalette) {
    ImagePtr image(Gdiplus_CreateBitmap(4, 1, kPixelFormat8Indexed));
    ASSERT_TRUE(image);
    struct {
        UINT flags = 0;
        UINT count = 3;
        ARGB entries[3] = {0xFFFF0000, 0xFF0000FF, 0xFFFFFFFF};
    } palette;
    ASSERT_EQ(DllExports::GdipSetImagePalette(image->NativeImage(), reinterpret_cast<ColorPalette*>(&palette)), Ok);
    {
        BitmapData data{};
        const Rect all(0, 0, 4, 1);
        ASSERT_EQ(DllExports::GdipBitmapLockBits(image->Native(), &all, ImageLockModeWrite, kPixelFormat8Indexed, &data), Ok);
        const BYTE indices[4] = {0, 1, 2, 1};
        std::memcpy(data.Scan0, indices, 4);
        ASSERT_EQ(DllExports::GdipBitmapUnlockBits(image->Native(), &data), Ok);
    }
    ImagePtr grey(Gdiplus_Gray(image.get()));
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->Format(), kPixelFormat8Indexed);
    EXPECT_EQ(PixelAt(grey.get(), 0, 0), 0xFF4C4C4Cu);
    EXPECT_EQ(PixelAt(grey.get(), 1, 0), 0xFF1C1C1Cu);
    EXPECT_EQ(PixelAt(grey.get(), 2, 0), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(grey.get(), 3, 0), 0xFF1C1C1Cu);
}

TEST(CopyAndGray, NullImageGivesNull) {
    EXPECT_EQ(Gdiplus_CopyBitmap(nullptr), nullptr);
    EXPECT_EQ(Gdiplus_Gray(nullptr), nullptr);
    EXPECT_EQ(Gdiplus_ModifyBitmapFormat(nullptr, kPixelFormat24Rgb), nullptr);
}

TEST(CopyBitmap, KeepsSizeFormatAndTranslucentPixelsAndIsIndependent) {
    ImagePtr image = Solid(5, 3, 0x00000000);
    SetPixelAt(image.get(), 1, 1, 0x80C86432);
    SetPixelAt(image.get(), 4, 2, 0xFF102030);
    ImagePtr copy(Gdiplus_CopyBitmap(image.get()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(SizeOf(copy.get()).cx, 5);
    EXPECT_EQ(SizeOf(copy.get()).cy, 3);
    EXPECT_EQ(copy->Format(), kPixelFormat32Argb);
    EXPECT_EQ(PixelAt(copy.get(), 1, 1), 0x80C86432u);
    EXPECT_EQ(PixelAt(copy.get(), 4, 2), 0xFF102030u);
    EXPECT_EQ(PixelAt(copy.get(), 0, 0) >> 24, 0u);
    SetPixelAt(copy.get(), 4, 2, 0xFFFFFFFF);
    EXPECT_EQ(PixelAt(image.get(), 4, 2), 0xFF102030u);
    EXPECT_TRUE(Gdiplus_BitmapOK(copy.get()));
}

TEST(ModifyBitmapFormat, CopiesIntoTheRequestedFormat) {
    ImagePtr image = Solid(4, 4, 0xFF336699);
    ImagePtr rgb(Gdiplus_ModifyBitmapFormat(image.get(), kPixelFormat24Rgb));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(rgb->Format(), kPixelFormat24Rgb);
    EXPECT_EQ(PixelAt(rgb.get(), 3, 3), 0xFF336699u);
    ImagePtr indexed(Gdiplus_ModifyBitmapFormat(image.get(), kPixelFormat8Indexed));
    ASSERT_TRUE(indexed);
    EXPECT_EQ(indexed->Format(), kPixelFormat8Indexed);
    EXPECT_EQ(SizeOf(indexed.get()).cx, 4);
}

TEST(BitmapStatus, RecordedFailureIsReportedOnceThenReset) {
    ImagePtr image = Solid(2, 2, 0xFF000000);
    TempFolder folder;
    // Saving into a folder that does not exist fails inside GDI+.
    EXPECT_EQ(Gdiplus_SaveBitmapToFileW(image.get(), folder.File(L"missing\\x.png").c_str()), 0);
    EXPECT_EQ(Gdiplus_BitmapOK(image.get()), 0);
    EXPECT_EQ(Gdiplus_BitmapOK(image.get()), 1);

    EXPECT_EQ(Gdiplus_SaveBitmapToFileW(image.get(), folder.File(L"missing\\x.png").c_str()), 0);
    EXPECT_NE(Gdiplus_BitmapLastError(image.get()), Ok);
    EXPECT_EQ(Gdiplus_BitmapLastError(image.get()), Ok);
}

TEST(BitmapStatus, NullImage) {
    EXPECT_EQ(Gdiplus_BitmapOK(nullptr), 0);
    EXPECT_EQ(Gdiplus_BitmapLastError(nullptr), GenericError);
    Gdiplus_DeleteBitmap(nullptr);
}

TEST(LoadBitmapFromData, RefusesNullEmptyAndNonImageData) {
    const char text[] = "this is not an image at all, just some text";
    EXPECT_EQ(Gdiplus_LoadBitmapFromData(nullptr, 10), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromData(text, 0), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromData(text, sizeof(text)), nullptr);
}

TEST(LoadBitmapFromData, ImageOutlivesTheCallersBuffer) {
    TempFolder folder;
    ImagePtr source = Solid(6, 4, 0xFF0000FF);
    FillArea(source.get(), 0, 0, 3, 4, 0xFFFF0000);
    const std::wstring path = folder.File(L"two.png");
    ASSERT_EQ(Gdiplus_SaveBitmapToFileW(source.get(), path.c_str()), 1);
    auto* buffer = new std::vector<BYTE>(ReadAll(path));
    ASSERT_FALSE(buffer->empty());
    ImagePtr loaded(Gdiplus_LoadBitmapFromData(buffer->data(), static_cast<UINT>(buffer->size())));
    std::fill(buffer->begin(), buffer->end(), BYTE{0xCD});
    delete buffer;
    ASSERT_TRUE(loaded);
    ImagePtr copy(Gdiplus_CopyBitmap(loaded.get()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(PixelAt(copy.get(), 0, 0), 0xFFFF0000u);
    EXPECT_EQ(PixelAt(copy.get(), 5, 3), 0xFF0000FFu);
    EXPECT_EQ(SizeOf(loaded.get()).cx, 6);
}

TEST(LoadBitmapFromFile, MissingFileGivesNullAndBothVariantsLoad) {
    TempFolder folder;
    EXPECT_EQ(Gdiplus_LoadBitmapFromFileW(nullptr), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromFileA(nullptr), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromFileW(folder.File(L"none.png").c_str()), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromFileW(folder.Path().wstring().c_str()), nullptr);
    const std::wstring path = folder.File(L"green.bmp");
    ImagePtr image = Solid(3, 2, 0xFF00FF00);
    ASSERT_EQ(Gdiplus_SaveBitmapToFileW(image.get(), path.c_str()), 1);
    ImagePtr wide(Gdiplus_LoadBitmapFromFileW(path.c_str()));
    ASSERT_TRUE(wide);
    EXPECT_EQ(PixelAt(wide.get(), 2, 1), 0xFF00FF00u);
    char narrow[MAX_PATH] = {};
    ::WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow, MAX_PATH, nullptr, nullptr);
    ImagePtr ansi(Gdiplus_LoadBitmapFromFileA(narrow));
    ASSERT_TRUE(ansi);
    EXPECT_EQ(SizeOf(ansi.get()).cx, 3);
}

}  // namespace
