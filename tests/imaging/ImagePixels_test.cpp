// Pixels out of and into images: regions, alpha replacement, raw buffers and GDI bitmaps.
#include <cstring>

#include "ImageTestSupport.h"

using namespace imaging_test;
using namespace Gdiplus;

namespace {

struct RegionDeleter {
    void operator()(HRGN region) const { ::DeleteObject(region); }
};
using RegionPtr = std::unique_ptr<std::remove_pointer_t<HRGN>, RegionDeleter>;

// Region membership must equal alpha >= threshold for every pixel.
void ExpectRegionMatchesAlpha(CGdipBitmap* image, HRGN region, BYTE threshold) {
    const SIZE size = SizeOf(image);
    int mismatches = 0;
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            if (((PixelAt(image, x, y) >> 24) >= threshold) != (::PtInRegion(region, x, y) != FALSE)) ++mismatches;
    EXPECT_EQ(mismatches, 0);
}

TEST(CreateRgnFromBitmap, RegionOfAShapedImage) {
    // A transparent 12 x 10 image with an opaque ring and a half-transparent dot in its hole.
    ImagePtr image = Solid(12, 10, 0x00FFFFFF);
    FillArea(image.get(), 2, 1, 10, 9, 0xFF00FF00);
    FillArea(image.get(), 4, 3, 8, 7, 0x00000000);
    SetPixelAt(image.get(), 5, 5, 0x64FF0000);
    RegionPtr region(Gdiplus_CreateRgnFromBitmap(image.get(), 0x64));
    ASSERT_TRUE(region);
    ExpectRegionMatchesAlpha(image.get(), region.get(), 0x64);
    RECT box{};
    EXPECT_EQ(::GetRgnBox(region.get(), &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.top, 1);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.bottom, 9);
    EXPECT_TRUE(::PtInRegion(region.get(), 5, 5));

    // Only the low 8 bits of the threshold count: 0x165 is 0x65, above the dot.
    RegionPtr stricter(Gdiplus_CreateRgnFromBitmap(image.get(), 0x165));
    ASSERT_TRUE(stricter);
    EXPECT_FALSE(::PtInRegion(stricter.get(), 5, 5));
    EXPECT_TRUE(::PtInRegion(stricter.get(), 2, 1));
}

TEST(CreateRgnFromBitmap, ManyRunsAcrossSeveralBatchesAreAllKept) {
    // Every other pixel opaque: 60 runs per row, 6300 runs in 105 rows, three full batches and
    // a part batch.
    ImagePtr image = Solid(120, 105, 0);
    for (int y = 0; y < 105; ++y)
        for (int x = 0; x < 120; ++x)
            if (((x + y) & 1) == 0) SetPixelAt(image.get(), x, y, 0xFF000000);
    RegionPtr region(Gdiplus_CreateRgnFromBitmap(image.get(), 1));
    ASSERT_TRUE(region);
    ExpectRegionMatchesAlpha(image.get(), region.get(), 1);
}

TEST(CreateRgnFromBitmap, EmptyShapeAndNullImage) {
    ImagePtr image = Solid(5, 5, 0x10FFFFFF);
    RegionPtr region(Gdiplus_CreateRgnFromBitmap(image.get(), 0x11));
    ASSERT_TRUE(region);
    RECT box{};
    EXPECT_EQ(::GetRgnBox(region.get(), &box), NULLREGION);
    EXPECT_EQ(Gdiplus_CreateRgnFromBitmap(nullptr, 1), nullptr);
}

TEST(SetBitmapAlpha, ReplacesAlphaInsideTheRangeAndKeepsColours) {
    const ARGB colours[5] = {0x00112233, 0x32445566, 0x64778899, 0xC8AABBCC, 0xFFDDEEFF};
    ImagePtr image = Solid(5, 2, 0);
    for (int x = 0; x < 5; ++x) {
        SetPixelAt(image.get(), x, 0, colours[x]);
        SetPixelAt(image.get(), x, 1, colours[x]);
    }
    // Only the top row, and only the low 8 bits of the new alpha.
    const RECT top{0, 0, 5, 1};
    Gdiplus_SetBitmapAlpha(image.get(), &top, 0x1F0, 50, 200);
    const ARGB expected[5] = {0x00112233, 0xF0445566, 0xF0778899, 0xF0AABBCC, 0xFFDDEEFF};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(PixelAt(image.get(), x, 0), expected[x]) << x;
        EXPECT_EQ(PixelAt(image.get(), x, 1), colours[x]) << x;
    }
    Gdiplus_SetBitmapAlpha(image.get(), nullptr, 0, 0, 255);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(image.get(), x, 1) >> 24, 0u) << x;
    EXPECT_TRUE(Gdiplus_BitmapOK(image.get()));
    Gdiplus_SetBitmapAlpha(nullptr, nullptr, 0, 0, 255);
}

TEST(SetBitmapAlpha, RectangleReachingOutsideIsClipped) {
    ImagePtr image = Solid(4, 4, 0xFF000000);
    const RECT corner{2, 2, 40, 40};
    Gdiplus_SetBitmapAlpha(image.get(), &corner, 0x80, 0, 255);
    EXPECT_EQ(PixelAt(image.get(), 3, 3), 0x80000000u);
    EXPECT_EQ(PixelAt(image.get(), 1, 1), 0xFF000000u);
    EXPECT_TRUE(Gdiplus_BitmapOK(image.get()));
}

TEST(GetBitmapBuffer, CopiesTheClippedRowsIntoTheCallersStride) {
    ImagePtr image = Solid(5, 4, 0xFF010203);
    SetPixelAt(image.get(), 3, 2, 0xFF0A0B0C);
    // Clipped to (3, 2)-(5, 4): 2 x 2 pixels of 24 bits, rows of 8 bytes into a 10-byte stride.
    const RECT rect{3, 2, 9, 9};
    std::vector<BYTE> buffer(20, 0xEE);
    ASSERT_EQ(Gdiplus_GetBitmapBuffer(image.get(), &rect, kPixelFormat24Rgb, buffer.data(), 10), 1);
    EXPECT_EQ(buffer[0], 0x0C);
    EXPECT_EQ(buffer[1], 0x0B);
    EXPECT_EQ(buffer[2], 0x0A);
    EXPECT_EQ(buffer[3], 0x03);
    EXPECT_EQ(buffer[10], 0x03);
    EXPECT_EQ(buffer[8], 0xEE);
    EXPECT_EQ(buffer[9], 0xEE);
    EXPECT_EQ(buffer[18], 0xEE);

    std::vector<ARGB> argb(4, 0);
    const RECT all{0, 0, 2, 2};
    ASSERT_EQ(Gdiplus_GetBitmapBuffer(image.get(), &all, kPixelFormat32Argb, argb.data(), 8), 1);
    EXPECT_EQ(argb[3], 0xFF010203u);
}

TEST(GetBitmapBuffer, FailedLockIsRecorded) {
    ImagePtr image = Solid(5, 4, 0xFF010203);
    const RECT outside{10, 10, 20, 20};
    BYTE buffer[64] = {};
    EXPECT_EQ(Gdiplus_GetBitmapBuffer(image.get(), &outside, kPixelFormat32Argb, buffer, 16), 0);
    EXPECT_EQ(Gdiplus_BitmapOK(image.get()), 0);
    EXPECT_EQ(Gdiplus_GetBitmapBuffer(nullptr, &outside, kPixelFormat32Argb, buffer, 16), 0);
}

// Pixels of a DIB section, read with the row order it was asked for.
struct DibView {
    DIBSECTION section{};
    bool topDown = false;
    COLORREF At(int x, int y) const {
        const BITMAP& bm = section.dsBm;
        const int row = topDown ? y : bm.bmHeight - 1 - y;
        const BYTE* p = static_cast<const BYTE*>(bm.bmBits) + row * bm.bmWidthBytes + x * (bm.bmBitsPixel / 8);
        return RGB(p[2], p[1], p[0]);
    }
};

TEST(GetHBitmap, FillsTheBackgroundAndDrawsTheImage) {
    // Transparent left half, red right half, a blue top row: the blue row shows where rows start.
    ImagePtr image = Solid(4, 4, 0);
    FillArea(image.get(), 2, 0, 4, 4, 0xFFFF0000);
    FillArea(image.get(), 0, 0, 4, 1, 0xFF0000FF);
    for (int topDown : {0, 1}) {
        HBITMAP bitmap = Gdiplus_GetHBitmap(image.get(), 0x8000FF00, topDown);
        ASSERT_NE(bitmap, nullptr);
        DibView dib;
        dib.topDown = topDown != 0;
        ASSERT_EQ(::GetObjectW(bitmap, sizeof(dib.section), &dib.section), static_cast<int>(sizeof(dib.section)));
        EXPECT_EQ(dib.section.dsBm.bmBitsPixel, 32);
        EXPECT_EQ(dib.At(0, 2), RGB(0, 255, 0));
        EXPECT_EQ(dib.At(3, 2), RGB(255, 0, 0));
        EXPECT_EQ(dib.At(1, 0), RGB(0, 0, 255));
        ::DeleteObject(bitmap);
    }
    ImagePtr rgb(Gdiplus_ModifyBitmapFormat(image.get(), kPixelFormat24Rgb));
    HBITMAP bitmap = Gdiplus_GetHBitmap(rgb.get(), 0, 1);
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    ::GetObjectW(bitmap, sizeof(info), &info);
    EXPECT_EQ(info.bmBitsPixel, 24);
    ::DeleteObject(bitmap);
    EXPECT_EQ(Gdiplus_GetHBitmap(nullptr, 0, 0), nullptr);
}

}  // namespace
