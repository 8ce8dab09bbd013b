#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "view/RectUnion.h"

namespace {

TEST(RectUnion, CoversTheSamePixelsOnceInBands) {
    constexpr int kSide = 48;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 rng(seed);
        auto integer = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
        std::vector<RECT> in(static_cast<size_t>(integer(0, 25)));
        for (RECT& r : in) {
            const int x = integer(0, kSide - 1), y = integer(0, kSide - 1);
            // Some empty or inverted ones among them, which cover nothing.
            r = RECT{x, y, x + integer(-2, 20), y + integer(-2, 20)};
        }
        std::vector<RECT> out;
        UnionOfRects(in, &out);
        std::vector<int> want(kSide * 2 * kSide * 2, 0), got(want.size(), 0);
        auto paint = [](std::vector<int>& grid, const RECT& r) {
            for (LONG y = r.top; y < r.bottom; ++y) {
                for (LONG x = r.left; x < r.right; ++x) ++grid[static_cast<size_t>(y) * kSide * 2 + x];
            }
        };
        for (const RECT& r : in) {
            if (r.left < r.right && r.top < r.bottom) paint(want, r);
        }
        for (int& v : want) v = v > 0;
        for (const RECT& r : out) {
            ASSERT_TRUE(r.left < r.right && r.top < r.bottom) << "seed " << seed;
            paint(got, r);
        }
        ASSERT_EQ(got, want) << "seed " << seed << ": not the union, or a pixel covered twice";
        for (size_t i = 1; i < out.size(); ++i) {
            const RECT &a = out[i - 1], &b = out[i];
            // Region order: a band's rectangles share top and bottom, left to right with a gap
            // between them; a later band starts at or below the bottom of the one before.
            const bool sameBand = a.top == b.top && a.bottom == b.bottom;
            EXPECT_TRUE(sameBand ? a.right < b.left : b.top >= a.bottom) << "seed " << seed << " at " << i;
        }
    }
}

TEST(RectUnion, MergesWhatFormsOneRectangle) {
    struct Case {
        const char* what;
        std::vector<RECT> in;
        std::vector<RECT> want;
    };
    const Case cases[] = {
        {"nothing", {}, {}},
        {"only empty ones", {{5, 5, 5, 9}, {3, 4, 2, 8}}, {}},
        {"one", {{1, 2, 3, 4}}, {{1, 2, 3, 4}}},
        {"the same twice", {{1, 2, 3, 4}, {1, 2, 3, 4}}, {{1, 2, 3, 4}}},
        {"stacked", {{0, 0, 10, 5}, {0, 5, 10, 9}}, {{0, 0, 10, 9}}},
        {"side by side", {{0, 0, 4, 5}, {4, 0, 10, 5}}, {{0, 0, 10, 5}}},
        {"one inside another", {{0, 0, 10, 10}, {2, 2, 4, 4}}, {{0, 0, 10, 10}}},
        {"apart", {{0, 0, 2, 2}, {5, 0, 7, 2}}, {{0, 0, 2, 2}, {5, 0, 7, 2}}},
        {"crossing", {{0, 2, 10, 4}, {4, 0, 6, 6}}, {{4, 0, 6, 2}, {0, 2, 10, 4}, {4, 4, 6, 6}}},
    };
    for (const Case& c : cases) {
        std::vector<RECT> out;
        UnionOfRects(c.in, &out);
        ASSERT_EQ(out.size(), c.want.size()) << c.what;
        for (size_t i = 0; i < out.size(); ++i) EXPECT_TRUE(EqualRect(&out[i], &c.want[i])) << c.what << " at " << i;
    }
}

TEST(RectUnion, TileCoverHoldsExactlyTheTouchedTiles) {
    constexpr int kTile = 8, kWidth = 61, kHeight = 45;  // edge tiles cut short
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 rng(seed);
        auto integer = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
        std::vector<RECT> in(static_cast<size_t>(integer(0, 12)));
        for (RECT& r : in) {
            const int x = integer(-10, kWidth + 5), y = integer(-10, kHeight + 5);
            r = RECT{x, y, x + integer(-1, 25), y + integer(-1, 25)};
        }
        std::vector<RECT> out;
        TileCover(in, kTile, kWidth, kHeight, &out);
        std::vector<int> touched(kWidth * kHeight, 0), got(touched.size(), 0);
        for (const RECT& r : in) {
            for (LONG y = std::max<LONG>(0, r.top); y < std::min<LONG>(kHeight, r.bottom); ++y) {
                for (LONG x = std::max<LONG>(0, r.left); x < std::min<LONG>(kWidth, r.right); ++x) {
                    // The whole tile of a covered pixel, clipped to the plot.
                    for (int ty = y / kTile * kTile; ty < std::min(kHeight, (static_cast<int>(y) / kTile + 1) * kTile); ++ty) {
                        for (int tx = x / kTile * kTile; tx < std::min(kWidth, (static_cast<int>(x) / kTile + 1) * kTile); ++tx) {
                            touched[static_cast<size_t>(ty) * kWidth + tx] = 1;
                        }
                    }
                }
            }
        }
        for (const RECT& r : out) {
            ASSERT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= kWidth && r.bottom <= kHeight) << "seed " << seed;
            for (LONG y = r.top; y < r.bottom; ++y) {
                for (LONG x = r.left; x < r.right; ++x) ++got[static_cast<size_t>(y) * kWidth + x];
            }
        }
        ASSERT_EQ(got, touched) << "seed " << seed;
    }
}

}  // namespace
