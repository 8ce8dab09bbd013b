// Pixel buffers, rectangles, the polygon test and the polyline rasteriser.
#include "ROVA_Common.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

void* Packed(int32_t x, int32_t y) {
    uint64_t v = (static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32) | static_cast<uint32_t>(x);
    return reinterpret_cast<void*>(static_cast<uintptr_t>(v));
}

TEST(CreateHBitmap, ThirtyTwoBitIsTopDown) {
    void* pixels = nullptr;
    HBITMAP bitmap = CreateHBitmap(&pixels, 8, 4, 32, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(pixels, nullptr);
    // Write pixel (x=2, y=1) through the buffer and read it back through GDI.
    static_cast<uint32_t*>(pixels)[1 * 8 + 2] = 0xFF123456;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF seen = GetPixel(dc, 2, 1);
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(seen, RGB(0x12, 0x34, 0x56));
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 8);
    EXPECT_EQ(info.bmHeight, 4);
    EXPECT_EQ(info.bmBitsPixel, 32);
    DeleteObject(bitmap);
}

TEST(CreateHBitmap, OtherDepthsAndBadSizes) {
    void* pixels = nullptr;
    HBITMAP bitmap = CreateHBitmap(&pixels, 10, -3, 24, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION section{};
    GetObjectW(bitmap, sizeof(section), &section);
    EXPECT_EQ(section.dsBm.bmWidthBytes, 32);  // 30 bytes padded to 4
    EXPECT_EQ(section.dsBmih.biBitCount, 24);
    DeleteObject(bitmap);
    EXPECT_EQ(CreateHBitmap(&pixels, 0, 3, 32, nullptr, 0), nullptr);
    EXPECT_EQ(pixels, nullptr);
    EXPECT_EQ(CreateHBitmap(&pixels, 3, 3, 7, nullptr, 0), nullptr);
}

TEST(PixelBuffers, FillAndCopyRectangles) {
    const int w = 6, h = 5;
    std::vector<uint32_t> a(w * h, 0), b(w * h, 0);
    RECT inner{1, 1, 4, 3};
    EXPECT_NE(DrawColorOnBuffer(0xFF2A323C, a.data(), &inner, w * 4), 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            bool in = x >= 1 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(a[y * w + x], in ? 0xFF2A323Cu : 0u) << x << "," << y;
        }
    }
    RECT empty{2, 2, 2, 4};
    EXPECT_EQ(DrawColorOnBuffer(1, a.data(), &empty, w * 4), 0);

    // Copy a 3x2 block to (2, 3) of b.
    EXPECT_NE(DrawBufferOnBuffer(b.data(), 2, 3, w * 4, a.data(), &inner, w * 4, 4), 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            bool in = x >= 2 && x < 5 && y >= 3 && y < 5;
            EXPECT_EQ(b[y * w + x], in ? 0xFF2A323Cu : 0u) << x << "," << y;
        }
    }
    // One byte per pixel with different strides.
    uint8_t src[4 * 3] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    uint8_t dst[2 * 2] = {};
    RECT part{2, 1, 4, 3};
    EXPECT_NE(DrawBufferOnBuffer(dst, 0, 0, 2, src, &part, 4, 1), 0);
    EXPECT_EQ(dst[0], 7);
    EXPECT_EQ(dst[1], 8);
    EXPECT_EQ(dst[2], 11);
    EXPECT_EQ(dst[3], 12);
}

TEST(Rects, SetAndBound) {
    RECT r;
    SetRectXY(&r, 5, 6, 10, 20);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 6);
    EXPECT_EQ(r.right, 15);
    EXPECT_EQ(r.bottom, 26);
    struct Case {
        RECT in;
        RECT bounds;
        int nonEmpty;
        RECT expected;
    };
    const Case cases[] = {
        {{-5, -5, 10, 10}, {0, 0, 8, 6}, 1, {0, 0, 8, 6}},
        {{2, 3, 4, 5}, {0, 0, 8, 6}, 1, {2, 3, 4, 5}},
        {{10, 10, 20, 20}, {0, 0, 8, 6}, 0, {0, 0, 0, 0}},
        {{8, 0, 9, 6}, {0, 0, 8, 6}, 0, {0, 0, 0, 0}},  // touching edge is empty
    };
    for (const Case& c : cases) {
        RECT out{99, 99, 99, 99};
        EXPECT_EQ(BoundRect(&out, &c.in, &c.bounds), c.nonEmpty);
        EXPECT_TRUE(EqualRect(&out, &c.expected)) << out.left << "," << out.top << "," << out.right << ","
                                                  << out.bottom;
    }
    RECT same{-1, -1, 3, 3};
    RECT bounds{0, 0, 2, 2};
    BoundRect(&same, &same, &bounds);  // in place
    EXPECT_TRUE(EqualRect(&same, &bounds));
}

TEST(PolygonSides, InsideBoundaryOutside) {
    // Rows 10..20, columns 10..30, plus a notch: an L-shaped (concave) polygon.
    const int32_t lShape[] = {10, 10, 10, 30, 15, 30, 15, 20, 20, 20, 20, 10};
    struct Case {
        int row, column, expected;
    };
    const Case cases[] = {
        {12, 12, 1},  {12, 28, 1},  {18, 15, 1},
        {18, 25, -1},  // inside the notch
        {5, 15, -1},  {25, 15, -1}, {12, 35, -1}, {12, 5, -1},
        {10, 20, 0},   // top edge
        {15, 25, 0},   // inner edge
        {20, 10, 0},   // corner
        {17, 20, 0},   // vertical inner edge
        {10, 35, -1},  // on the top edge's line, beyond it
        {15, 5, -1},   // level with a vertex, outside
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsPointInPolygonSides(c.row, c.column, lShape, 6), c.expected) << c.row << "," << c.column;
    }
    const int32_t triangle[] = {0, 0, 10, 10, 10, 0};
    EXPECT_EQ(IsPointInPolygonSides(5, 5, triangle, 3), 0);  // on the diagonal
    EXPECT_EQ(IsPointInPolygonSides(6, 5, triangle, 3), 1);
    EXPECT_EQ(IsPointInPolygonSides(4, 5, triangle, 3), -1);
    EXPECT_LT(IsPointInPolygonSides(1, 1, triangle, 2), 0);
    EXPECT_LT(IsPointInPolygonSides(1, 1, nullptr, 3), 0);
}

class GradualLine : public ::testing::Test {
protected:
    static constexpr int kW = 64, kH = 32;
    std::vector<uint8_t> coverage = std::vector<uint8_t>(kW * kH, 0);
    uint8_t At(int x, int y) const { return coverage[y * kW + x]; }
};

TEST_F(GradualLine, ThinsAndFadesFromFirstToLastPoint) {
    CPtrListCtrl line;
    line.AddData(Packed(10, 16), -1);
    line.AddData(Packed(50, 16), -1);
    ASSERT_NE(DrawGradualMultiLine(kW, kH, &line, 6.0, 0.0, 1.0, 0.0, coverage.data()), 0);
    EXPECT_EQ(At(10, 16), 255);
    // Opacity halves at the middle.
    EXPECT_NEAR(At(30, 16), 128, 2);
    // Along the centre line the value never rises toward the end.
    for (int x = 11; x <= 50; ++x) EXPECT_LE(At(x, 16), At(x - 1, 16)) << x;
    EXPECT_LE(At(50, 16), 8);
    // Thickness shrinks: 3 rows off the centre is covered at the start only.
    EXPECT_GT(At(11, 19), 0);
    EXPECT_EQ(At(40, 19), 0);
    // Nothing far from the line, nothing before the first point.
    EXPECT_EQ(At(30, 2), 0);
    EXPECT_EQ(At(5, 16), 0);
}

TEST_F(GradualLine, EdgesAreAntiAliased) {
    CPtrListCtrl line;
    line.AddData(Packed(5, 5), -1);
    line.AddData(Packed(40, 25), -1);
    DrawGradualMultiLine(kW, kH, &line, 3.0, 3.0, 1.0, 1.0, coverage.data());
    int full = 0, partial = 0;
    for (uint8_t v : coverage) {
        if (v == 255) ++full;
        else if (v > 0) ++partial;
    }
    EXPECT_GT(full, 30);
    EXPECT_GT(partial, 20);
}

TEST_F(GradualLine, KeepsTheLargestValueAndClipsToTheBuffer) {
    CPtrArrayCtrl line;
    line.AddData(Packed(-20, 10), -1);  // starts outside the buffer
    line.AddData(Packed(20, 10), -1);
    line.AddData(Packed(20, 40), -1);  // ends below it
    ASSERT_NE(DrawGradualMultiLine(kW, kH, &line, 4.0, 4.0, 0.5, 0.5, coverage.data()), 0);
    EXPECT_NEAR(At(0, 10), 128, 1);
    EXPECT_NEAR(At(20, 10), 128, 1);  // the shared corner is not summed
    EXPECT_NEAR(At(20, 31), 128, 1);
    std::vector<uint8_t> before = coverage;
    DrawGradualMultiLine(kW, kH, &line, 4.0, 4.0, 0.5, 0.5, coverage.data());
    EXPECT_EQ(coverage, before);  // drawing again changes nothing
}

TEST_F(GradualLine, SinglePointAndEmptyLine) {
    CPtrListCtrl line;
    EXPECT_EQ(DrawGradualMultiLine(kW, kH, &line, 4.0, 0.0, 1.0, 0.0, coverage.data()), 0);
    line.AddData(Packed(8, 8), -1);
    EXPECT_NE(DrawGradualMultiLine(kW, kH, &line, 4.0, 0.0, 1.0, 0.0, coverage.data()), 0);
    EXPECT_EQ(At(8, 8), 255);
    EXPECT_EQ(At(8, 12), 0);
    CPtrListCtrl outside;
    outside.AddData(Packed(-100, -100), -1);
    outside.AddData(Packed(-90, -100), -1);
    EXPECT_EQ(DrawGradualMultiLine(kW, kH, &outside, 4.0, 0.0, 1.0, 0.0, coverage.data()), 0);
}

}  // namespace
