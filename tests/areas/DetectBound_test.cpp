#include "areas/DetectBound.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct BoundCase {
    const char* name;
    AreaVertex vertex;
    int fanWidth, fanHeight;
    DetectBoundParams params;
    int32_t a, b;
};

class DetectBoundTest : public ::testing::TestWithParam<BoundCase> {};

TEST_P(DetectBoundTest, MapsOneVertex) {
    const BoundCase& c = GetParam();
    const std::vector<int32_t> pairs = DetectBound::Compute(&c.vertex, 1, c.fanWidth, c.fanHeight, c.params);
    EXPECT_EQ(pairs, (std::vector<int32_t>{c.a, c.b}));
}

// N = gateCount, M = boundLimit, slope, top view mode.
constexpr DetectBoundParams kPlain{32, 32, 1.0, 1};
constexpr DetectBoundParams kNarrow{32, 16, 1.0, 1};
constexpr DetectBoundParams kMirrored{32, 32, -0.5, 1};
constexpr DetectBoundParams kTinyNegativeSlope{32, 32, -1e-17, 1};
constexpr DetectBoundParams kBottomView{32, 32, 1.0, 0};
constexpr DetectBoundParams kNoRoom{32, 0, 1.0, 1};

INSTANTIATE_TEST_SUITE_P(
    Cases, DetectBoundTest,
    ::testing::Values(
        BoundCase{"LeftEdgeIsMinusN", {0, 0}, 800, 600, kPlain, 0, -32},
        BoundCase{"RightEdgeNClampedToMMinusOne", {0, 800}, 800, 600, kPlain, 0, 31},
        BoundCase{"CentreColumnIsZero", {300, 400}, 800, 600, kPlain, 16, 0},
        BoundCase{"BottomRowClamped", {600, 400}, 800, 600, kPlain, 31, 0},
        BoundCase{"HalfRoundsUp", {1, 65}, 128, 64, kPlain, 1, 1},           // a = 0.5, b = 0.5
        BoundCase{"NegativeHalfRoundsDown", {-1, 1}, 128, 64, kPlain, 0, -32},  // a = -0.5 -> -1 -> 0, b = -31.5
        BoundCase{"OddHalves", {3, 3}, 128, 64, kPlain, 2, -31},              // a = 1.5, b = -30.5
        BoundCase{"NarrowLimitClampsBothEnds", {600, 0}, 800, 600, kNarrow, 15, -16},
        BoundCase{"NarrowLimitRightEdge", {0, 800}, 800, 600, kNarrow, 0, 15},
        BoundCase{"NegativeSlopeMirrors", {0, 100}, 800, 600, kMirrored, 0, 24},
        BoundCase{"NegativeSlopeMirrorsBeforeClamp", {0, 0}, 800, 600, kMirrored, 0, 31},
        BoundCase{"SlopeAboveThresholdDoesNotMirror", {0, 100}, 800, 600, kTinyNegativeSlope, 0, -24},
        BoundCase{"BottomViewCountsFromFarEnd", {150, 400}, 800, 600, kBottomView, 24, 0},
        BoundCase{"BottomViewTopRowClamped", {0, 400}, 800, 600, kBottomView, 31, 0},
        BoundCase{"BottomViewBottomRow", {600, 400}, 800, 600, kBottomView, 0, 0},
        BoundCase{"NoRoomPutsEverythingAtZero", {300, 800}, 800, 600, kNoRoom, 0, 0},
        BoundCase{"FanWithoutSizeStaysInRange", {10, 10}, 0, 0, kPlain, 31, 31},
        BoundCase{"ZeroOverZeroIsZero", {0, 0}, 0, 0, kPlain, 0, 0},
        BoundCase{"ExtremeVertex", {INT32_MIN, INT32_MAX}, 1, 1, kPlain, 0, 31}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DetectBoundListTest, KeepsVertexOrderAndIsEmptyWithoutVertices) {
    const AreaVertex v[] = {{0, 0}, {300, 400}, {0, 800}};
    EXPECT_EQ(DetectBound::Compute(v, 3, 800, 600, kPlain), (std::vector<int32_t>{0, -32, 16, 0, 0, 31}));
    EXPECT_TRUE(DetectBound::Compute(v, 0, 800, 600, kPlain).empty());
    EXPECT_TRUE(DetectBound::Compute(nullptr, 3, 800, 600, kPlain).empty());
}

std::vector<std::string> gCalls;
std::vector<int32_t> gLastPairs;
template <int Tag>
int RecordFilter(const int32_t* pairs, int count) {
    static const char* const kNames[] = {"MOD", "MTT", "MPT"};
    gCalls.push_back(std::string(kNames[Tag]) + ":" + std::to_string(count));
    gLastPairs.assign(pairs, pairs + 2 * count);
    return 1;
}

TEST(DetectBoundSendTest, CallsModThenMttThenMptAlsoWithNoArea) {
    const DetectBound::SetBoundFn filters[3] = {RecordFilter<0>, RecordFilter<1>, RecordFilter<2>};
    gCalls.clear();
    DetectBound::Send({1, 2, 3, 4, 5, 6}, filters);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"MOD:3", "MTT:3", "MPT:3"}));
    EXPECT_EQ(gLastPairs, (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
    gCalls.clear();
    DetectBound::Send({}, filters);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"MOD:0", "MTT:0", "MPT:0"}));
}

}  // namespace
