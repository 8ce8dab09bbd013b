#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "view/SectorGeometry.h"

namespace {

SectorGeometry MakeGeometry(int w, int h, int topView = 0) {
    SectorGeometry g;
    g.topViewMode = topView;
    g.SetGateRange(0, 31, 32);
    g.Layout(w, h);
    return g;
}

TEST(SectorGeometry, Layout800x400) {
    SectorGeometry g = MakeGeometry(800, 400);
    EXPECT_DOUBLE_EQ(g.radius, 400.0);
    EXPECT_EQ(g.fan.left, 0);
    EXPECT_EQ(g.fan.top, 0);
    EXPECT_EQ(g.fan.right, 800);
    EXPECT_EQ(g.fan.bottom, 400);
    EXPECT_EQ(g.Cx(), 399);
    EXPECT_EQ(g.Oy(), 399);
    EXPECT_EQ(g.dotRadius, 10);
    g.topViewMode = 1;
    EXPECT_EQ(g.Oy(), 0);
}

TEST(SectorGeometry, Layout800x500KeepsFanAtTheBottomAndCentresTheFanRectangle) {
    SectorGeometry g = MakeGeometry(800, 500);
    EXPECT_DOUBLE_EQ(g.radius, 400.0);
    EXPECT_EQ(g.fan.top, 50);
    EXPECT_EQ(g.fan.bottom - g.fan.top, 400);
    EXPECT_EQ(g.fan.right - g.fan.left, 800);
    EXPECT_EQ(g.Oy(), 499);
    int x, y;
    g.RangeAngleToPixel(31.9, -90, &x, &y);
    EXPECT_EQ(y, 499 - 399);  // the fan's top is row 100, not the fan rectangle's top row 50
}

TEST(SectorGeometry, SectorCountZeroUsesGateCountForTheDotRadius) {
    SectorGeometry g;
    g.sectorCount = 0;
    g.SetGateRange(0, 31, 32);
    g.Layout(800, 400);
    EXPECT_EQ(g.dotRadius, 6);  // 400 / 64 = 6.25
}

TEST(SectorGeometry, OddSizesRoundTheFanRectangleHalfAwayFromZero) {
    SectorGeometry g = MakeGeometry(801, 1000);
    EXPECT_DOUBLE_EQ(g.radius, 400.5);
    EXPECT_EQ(g.fan.right - g.fan.left, 801);
    EXPECT_EQ(g.fan.bottom - g.fan.top, 401);
    EXPECT_EQ(g.fan.top, (1000 - 401) / 2);
}

TEST(SectorGeometry, RangeAngleToPixel) {
    struct Case {
        double range, angle;
        int topView, x, y;
    } cases[] = {
        {16.0, -90, 0, 399, 199}, {16.0, -90, 1, 399, 200}, {8.0, -180, 0, 299, 399},
        {8.0, 0, 0, 499, 399},    {0.0, -45, 0, 399, 399},  {8.0, -180, 1, 299, 0},
    };
    for (const Case& c : cases) {
        SectorGeometry g = MakeGeometry(800, 400, c.topView);
        int x = -1, y = -1;
        EXPECT_TRUE(g.RangeAngleToPixel(c.range, c.angle, &x, &y));
        EXPECT_EQ(x, c.x) << c.range << " " << c.angle << " top " << c.topView;
        EXPECT_EQ(y, c.y) << c.range << " " << c.angle << " top " << c.topView;
    }
    SectorGeometry g = MakeGeometry(800, 400);
    int x, y;
    EXPECT_FALSE(g.RangeAngleToPixel(40.0, -90, &x, &y));  // beyond the top edge
}

TEST(SectorGeometry, RoundToIntGoesHalfAwayFromZeroAndSaturates) {
    struct Case {
        double v;
        int want;
    } cases[] = {
        {2.5, 3},
        {-2.5, -3},
        {0.49999999999999994, 0},  // just below one half: not up
        {-0.49999999999999994, 0},
        {-0.5, -1},
        {-0.3, 0},
        {1234.5000000001, 1235},
        {-999999999.4, -999999999},
        {-999999999.6, -1000000000},
        {999999999.5, 1000000000},
        {1e9 + 0.4, 1000000000},
        {5e15, 1000000000},
        {-5e15, -1000000000},
        {std::nan(""), -1000000000},
    };
    for (const Case& c : cases) EXPECT_EQ(SectorGeometry::RoundToInt(c.v), c.want) << c.v;
}

TEST(SectorGeometry, SetGateRangeClamps) {
    struct Case {
        double min, max;
        int n;
        double wantMin, wantMax;
    } cases[] = {
        {-5, 0, 32, 0, 31}, {40, 0.5, 32, 30, 1}, {3, 20, 32, 3, 20}, {0, 50, 32, 0, 31}, {10, -1, 16, 10, 15},
    };
    for (const Case& c : cases) {
        SectorGeometry g;
        g.SetGateRange(c.min, c.max, c.n);
        EXPECT_DOUBLE_EQ(g.gateMin, c.wantMin) << c.min << "," << c.max;
        EXPECT_DOUBLE_EQ(g.gateMax, c.wantMax) << c.min << "," << c.max;
        EXPECT_EQ(g.gateCount, c.n);
    }
}

TEST(SectorGeometry, SettingClamps) {
    EXPECT_EQ(SectorGeometry::ClampSmoothCount(0), 1);
    EXPECT_EQ(SectorGeometry::ClampSmoothCount(300), 255);
    EXPECT_EQ(SectorGeometry::ClampSmoothCount(7), 7);
    EXPECT_DOUBLE_EQ(SectorGeometry::ClampAngleStep(200), 180);
    EXPECT_DOUBLE_EQ(SectorGeometry::ClampAngleStep(-5), 0);
    EXPECT_DOUBLE_EQ(SectorGeometry::ClampAngle(-200), -180);
    EXPECT_DOUBLE_EQ(SectorGeometry::ClampAngle(10), 0);
}

std::vector<uint8_t> Mask(const SectorGeometry& g) {
    std::vector<uint8_t> m(static_cast<size_t>(g.width) * g.height);
    g.BuildFanMask(m.data());
    return m;
}

TEST(SectorGeometry, FanMaskCoversTheOpenAnnulusOfTheGateRange) {
    SectorGeometry g = MakeGeometry(800, 400);
    auto m = Mask(g);
    auto at = [&](int x, int y) { return m[static_cast<size_t>(y) * 800 + x]; };
    EXPECT_EQ(at(399, 399), 0);  // origin
    EXPECT_EQ(at(400, 399), 1);  // base line, right of the origin (angle 0)
    EXPECT_EQ(at(398, 399), 1);  // base line, left (angle -180)
    EXPECT_EQ(at(399, 0), 1);    // d = 399
    EXPECT_EQ(at(799, 399), 0);  // d = 400 is not inside
    EXPECT_EQ(at(0, 399), 1);    // d = 399 to the left
    EXPECT_EQ(at(0, 0), 0);      // corner, beyond R
    // Exactly the pixels with 0 < d < 400 (every angle of the half disc is in the span).
    size_t expected = 0, got = 0;
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 800; ++x) {
            double d = std::sqrt(double((x - 399) * (x - 399) + (y - 399) * (y - 399)));
            expected += (d > 0 && d < 400);
            got += at(x, y);
        }
    }
    EXPECT_EQ(got, expected);
}

TEST(SectorGeometry, FanMaskFollowsAngleSpanGateRangeAndTopView) {
    SectorGeometry g = MakeGeometry(800, 400);
    g.angleStart = -150;
    g.angleStop = -30;
    auto m = Mask(g);
    EXPECT_EQ(m[399 * 800 + 450], 0);  // base line right
    EXPECT_EQ(m[399 * 800 + 350], 0);  // base line left
    EXPECT_EQ(m[200 * 800 + 399], 1);  // boresight

    g.angleStart = -180;
    g.angleStop = 0;
    g.SetGateRange(10, 20, 32);  // inner 125, outer 262.5
    m = Mask(g);
    EXPECT_EQ(m[(399 - 125) * 800 + 399], 0);
    EXPECT_EQ(m[(399 - 126) * 800 + 399], 1);
    EXPECT_EQ(m[(399 - 262) * 800 + 399], 1);
    EXPECT_EQ(m[(399 - 263) * 800 + 399], 0);

    g.SetGateRange(25, 3, 32);  // min above max: empty
    m = Mask(g);
    for (uint8_t v : m) ASSERT_EQ(v, 0);

    SectorGeometry top = MakeGeometry(800, 400, 1);
    m = Mask(top);
    EXPECT_EQ(m[0 * 800 + 399], 0);
    EXPECT_EQ(m[200 * 800 + 399], 1);  // the fan opens downward
    EXPECT_EQ(m[399 * 800 + 399], 1);
}

TEST(SectorGeometry, EmptyClientAreaGivesNothing) {
    SectorGeometry g = MakeGeometry(0, 300);
    EXPECT_EQ(g.width, 0);
    EXPECT_DOUBLE_EQ(g.radius, 0.0);
    int x, y;
    EXPECT_FALSE(g.RangeAngleToPixel(1, -90, &x, &y));
}

}  // namespace
