// Geometry of the scaling, fitting, tiling and placing modes, and the grey weights.
#include <gtest/gtest.h>

#include "imaging/ImageLayout.h"

using namespace rova::imaging;

namespace {

struct ResizeCase {
    int mode;
    int outWidth;
    int outHeight;
};

class PlanResizeModes : public testing::TestWithParam<ResizeCase> {};

TEST_P(PlanResizeModes, Image200x100To100x100GivesTheScaledSize) {
    const ResizeCase c = GetParam();
    const auto plan = PlanResize(200, 100, 100, 100, c.mode);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->outWidth, c.outWidth);
    EXPECT_EQ(plan->outHeight, c.outHeight);
    EXPECT_EQ(plan->source, (Box{0, 0, 200, 100}));
}

INSTANTIATE_TEST_SUITE_P(AllModes, PlanResizeModes,
                         testing::Values(ResizeCase{0, 100, 100}, ResizeCase{1, 100, 50}, ResizeCase{2, 200, 100},
                                         ResizeCase{3, 100, 50}, ResizeCase{4, 200, 100}));

TEST(PlanResize, RefusesUnknownModesAndEmptySizes) {
    EXPECT_FALSE(PlanResize(200, 100, 100, 100, 5));
    EXPECT_FALSE(PlanResize(200, 100, 100, 100, -1));
    EXPECT_FALSE(PlanResize(200, 100, 0, 100, 1));
    EXPECT_FALSE(PlanResize(200, 100, 100, 0, 0));
}

TEST(PlanResize, SourceStartMovesWhenTheScaledSizeIsTruncated) {
    // 7 x 7 at scale 1/3: 2 x 2 output, 7 - 6 = 1 source pixel left over, half of it dropped.
    const auto plan = PlanResize(7, 7, 3, 2, 4);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->outWidth, 2);
    EXPECT_EQ(plan->outHeight, 2);
    EXPECT_EQ(plan->source, (Box{0, 0, 7, 7}));
    const auto small = PlanResize(100, 100, 3, 3, 1);  // s = 0.03: 3 x 3, 100 - 3 / 0.03 = 0
    ASSERT_TRUE(small);
    EXPECT_EQ(small->source, (Box{0, 0, 100, 100}));
}

TEST(PlanCentreCrop, TakesTheCentreWithTheTargetAspect) {
    EXPECT_EQ(PlanCentreCrop(200, 100, 50, 50), (Box{50, 0, 100, 100}));
    EXPECT_EQ(PlanCentreCrop(100, 200, 100, 50), (Box{0, 75, 100, 50}));
    EXPECT_EQ(PlanCentreCrop(101, 100, 10, 10), (Box{0, 0, 100, 100}));
    EXPECT_FALSE(PlanCentreCrop(100, 100, 0, 10));
}

TEST(PlanTiles, CoversTheAreaWithCutOrFullTiles) {
    const auto cut = PlanTiles(30, 20, 70, 50, true);
    ASSERT_EQ(cut.size(), 9u);
    EXPECT_EQ(cut[0], (Box{0, 0, 30, 20}));
    EXPECT_EQ(cut[2], (Box{60, 0, 10, 20}));
    EXPECT_EQ(cut[8], (Box{60, 40, 10, 10}));
    const auto full = PlanTiles(30, 20, 70, 50, false);
    ASSERT_EQ(full.size(), 9u);
    EXPECT_EQ(full[8], (Box{60, 40, 30, 20}));
    EXPECT_EQ(PlanTiles(30, 20, 60, 40, true).size(), 4u);
}

struct CentreCase {
    int sw, sh, w, h;
    Box source;
    Box target;
};

class PlanCentreUnscaledCases : public testing::TestWithParam<CentreCase> {};

TEST_P(PlanCentreUnscaledCases, KeepsTheOverlapCentred) {
    const CentreCase c = GetParam();
    const Placement placement = PlanCentreUnscaled(c.sw, c.sh, c.w, c.h);
    EXPECT_EQ(placement.source, c.source);
    EXPECT_EQ(placement.target, c.target);
}

INSTANTIATE_TEST_SUITE_P(
    SmallerLargerMixed, PlanCentreUnscaledCases,
    testing::Values(CentreCase{20, 10, 40, 30, Box{0, 0, 20, 10}, Box{10, 10, 20, 10}},
                    CentreCase{60, 40, 40, 30, Box{10, 5, 40, 30}, Box{0, 0, 40, 30}},
                    CentreCase{61, 10, 40, 30, Box{10, 0, 40, 10}, Box{0, 10, 40, 10}}));

TEST(PlanDrawBitmap, FitCentresTheWholeSourceInTheTarget) {
    const auto parts = PlanDrawBitmap(Box{10, 20, 100, 100}, Box{0, 0, 200, 100}, 1);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].source, (Box{0, 0, 200, 100}));
    EXPECT_EQ(parts[0].target, (Box{10, 45, 100, 50}));
}

TEST(PlanDrawBitmap, CropModeUsesTheCentreOfTheSource) {
    const auto parts = PlanDrawBitmap(Box{0, 0, 50, 50}, Box{10, 10, 200, 100}, 0);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].source, (Box{60, 35, 100, 50}));
    EXPECT_EQ(parts[0].target, (Box{0, 0, 50, 50}));
}

TEST(PlanDrawBitmap, TilesSqueezeTheWholeSourceIntoEdgeTilesFromTheOrigin) {
    const auto parts = PlanDrawBitmap(Box{5, 5, 100, 50}, Box{0, 0, 40, 40}, 2);
    ASSERT_EQ(parts.size(), 6u);
    for (const Placement& part : parts) EXPECT_EQ(part.source, (Box{0, 0, 40, 40}));
    EXPECT_EQ(parts[2].target, (Box{80, 0, 20, 40}));
    EXPECT_EQ(parts[5].target, (Box{80, 40, 20, 10}));
}

TEST(PlanDrawBitmap, CentreModeCountsTheTargetFromTheOriginAndTheSourceFromItsCorner) {
    const auto parts = PlanDrawBitmap(Box{30, 30, 100, 60}, Box{5, 5, 200, 40}, 3);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].source, (Box{55, 5, 100, 40}));
    EXPECT_EQ(parts[0].target, (Box{0, 10, 100, 40}));
}

TEST(PlanDrawBitmap, OtherModesStretchAndEmptyBoxesDrawNothing) {
    const auto parts = PlanDrawBitmap(Box{1, 2, 30, 40}, Box{0, 0, 7, 9}, 9);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0], (Placement{Box{0, 0, 7, 9}, Box{1, 2, 30, 40}}));
    EXPECT_TRUE(PlanDrawBitmap(Box{0, 0, 0, 40}, Box{0, 0, 7, 9}, 0).empty());
    EXPECT_TRUE(PlanDrawBitmap(Box{0, 0, 10, 40}, Box{0, 0, 7, 0}, 1).empty());
}

TEST(PlanAlphaDraw, UnstretchedDrawsTheCornerPartCentred) {
    EXPECT_EQ(PlanAlphaDraw(Box{10, 10, 100, 100}, Box{3, 4, 40, 200}, false),
              (Placement{Box{3, 4, 40, 100}, Box{40, 10, 40, 100}}));
    EXPECT_EQ(PlanAlphaDraw(Box{10, 10, 100, 100}, Box{3, 4, 40, 200}, true),
              (Placement{Box{3, 4, 40, 200}, Box{10, 10, 100, 100}}));
}

TEST(GreyLevel, WeightsDropTheFraction) {
    EXPECT_EQ(GreyLevel(255, 0, 0), 76);
    EXPECT_EQ(GreyLevel(0, 255, 0), 149);
    EXPECT_EQ(GreyLevel(0, 0, 255), 28);
    EXPECT_EQ(GreyLevel(255, 255, 255), 255);
    EXPECT_EQ(GreyLevel(0, 0, 0), 0);
}

}  // namespace
