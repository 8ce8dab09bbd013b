#include "controls/KeyedRegion.h"

#include <gtest/gtest.h>

#include "contracts/ROVA_Common.h"
#include "framework/Raii.h"

namespace {

constexpr uint32_t K = 0xFFFF0000;  // the key: pure red
constexpr uint32_t W = 0xFFFFFFFF;

TEST(KeyedRegionTest, KeyColourToleratesSixteenInGreenAndBlue) {
    const std::pair<uint32_t, bool> cases[] = {
        {0xFFFF0000, true},  {0x00FF1010, true},  {0xFFFF1000, true},  {0xFFFF0010, true},
        {0xFFFF1100, false}, {0xFFFF0011, false}, {0xFFFE0000, false}, {0xFFFFFFFF, false},
        {0xFF000000, false},
    };
    for (const auto& [pixel, key] : cases) EXPECT_EQ(IsKeyPixel(pixel), key) << std::hex << pixel;
}

TEST(KeyedRegionTest, RunsPerRowFromTheTop) {
    const uint32_t pixels[] = {
        K, W, W, K, W,  //
        K, K, K, K, K,  //
        W, W, W, W, W,  //
    };
    std::vector<RECT> runs;
    AppendShapeRuns(pixels, 5, 3, runs);
    ASSERT_EQ(runs.size(), 3u);
    const RECT expected[] = {{1, 0, 3, 1}, {4, 0, 5, 1}, {0, 2, 5, 3}};
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_TRUE(EqualRect(&runs[i], &expected[i])) << i;
    }
}

TEST(KeyedRegionTest, RegionFromA24BitPictureSpanningSeveralBatches) {
    // 3000 rows with two runs each: 6000 rectangles, more than one batch.
    const int width = 16, height = 3000;
    void* bits = nullptr;
    rova::UniqueBitmap bitmap(CreateHBitmap(&bits, width, height, 24));
    ASSERT_TRUE(bitmap);
    rova::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    {
        rova::SelectScope select(dc.get(), bitmap.get());
        rova::UniqueBrush key(CreateSolidBrush(RGB(255, 0, 0)));
        rova::UniqueBrush white(CreateSolidBrush(RGB(255, 255, 255)));
        const RECT all{0, 0, width, height};
        FillRect(dc.get(), &all, key.get());
        const RECT left{2, 0, 5, height}, right{9, 0, 12, height};
        FillRect(dc.get(), &left, white.get());
        FillRect(dc.get(), &right, white.get());
    }
    rova::UniqueRgn region(RegionFromKeyedBitmap(bitmap.get()));
    ASSERT_TRUE(region);
    for (int y : {0, 1999, 2000, 2999}) {
        EXPECT_TRUE(PtInRegion(region.get(), 2, y)) << y;
        EXPECT_TRUE(PtInRegion(region.get(), 11, y)) << y;
        EXPECT_FALSE(PtInRegion(region.get(), 1, y)) << y;
        EXPECT_FALSE(PtInRegion(region.get(), 5, y)) << y;
        EXPECT_FALSE(PtInRegion(region.get(), 12, y)) << y;
    }
    RECT box{};
    GetRgnBox(region.get(), &box);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.right, 12);
    EXPECT_EQ(box.bottom, height);
    EXPECT_EQ(RegionFromKeyedBitmap(nullptr), nullptr);
}

}  // namespace
