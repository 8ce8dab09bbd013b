#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "ReferenceFrame.h"
#include "contracts/ROVA_Common.h"
#include "view/TrackLineRaster.h"

namespace {

// The rasteriser visits only part of each segment's box and skips pixels it cannot raise; its
// coverage must still be byte for byte the library's, and the row extents it reports must hold
// every pixel it raised.
TEST(TrackLineRaster, CoverageIsTheLibrarysOnRandomLines) {
    std::mt19937 rng(99);
    auto integer = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    auto real = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
    struct Kind {
        const char* name;
        int maxPoints, spread;  // points per line; how far points may lie outside the buffer
        double maxWidth;
    } kinds[] = {
        {"short lines", 8, 20, 30},
        {"long lines folding on themselves", 40, 5, 16},
        {"points far outside", 4, 5000000, 12},  // beyond the range the rows are narrowed in
        {"huge widths", 3, 40, 300000},
    };
    for (const Kind& kind : kinds) {
        for (int round = 0; round < 400; ++round) {
            const int w = integer(1, 90), h = integer(1, 70);
            std::vector<std::pair<int, int>> line(static_cast<size_t>(integer(1, kind.maxPoints)));
            for (auto& [x, y] : line) x = integer(-kind.spread, w + kind.spread), y = integer(-kind.spread, h + kind.spread);
            if (round % 9 == 0 && line.size() > 1) line[1] = line[0];  // a repeated point
            double width = round % 7 == 0 ? integer(0, 20) : real(0, kind.maxWidth);
            const double opacity = real(0, 1.2);

            std::vector<uint8_t> got(static_cast<size_t>(w) * h, 0), want(got.size(), 0);
            std::vector<int> first(static_cast<size_t>(h), w), last(static_cast<size_t>(h), -1);
            TrackLineRaster::Draw(line, width, opacity, w, h, got.data(), first.data(), last.data());
            CPtrListCtrl points;
            for (const auto& [x, y] : line) points.AddData(reference::Pack(x, y), -1);
            DrawGradualMultiLine(w, h, &points, width, 0.0, opacity, 0.0, want.data());
            ASSERT_EQ(got, want) << kind.name << ", round " << round;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    if (got[static_cast<size_t>(y) * w + x]) {
                        ASSERT_TRUE(first[y] <= x && x <= last[y]) << kind.name << ", round " << round << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

}  // namespace
