#include "areas/AreaOverlayController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeOverlayTarget.h"

namespace {

using Vertices = std::vector<AreaVertex>;
const Vertices kTriangle = {{10, 20}, {10, 80}, {60, 50}};

struct ControllerFixture : ::testing::Test {
    XMLParser doc;
    int saves = 0;
    AreaConfigStore store{doc, [this] { ++saves; return true; }};
    FakeOverlayTarget view;
    AreaOverlayController areas{store, view};

    void SetUp() override {
        const std::string xml = "<AppConfig><AlgorithmArea Points=\"1,1; 1,9; 9,9; \"/></AppConfig>";
        doc.LoadFromMemory(xml.data(), xml.size());
        view.detect = Vertices{{1, 1}, {1, 9}, {9, 9}};
    }
    int Count(const char* name) {
        int n = 0;
        doc.AppConfig().ForEachChild(name, [&](const XMLNode&) { ++n; });
        return n;
    }
};

TEST_F(ControllerFixture, FinishedLightAreaIsStoredThenShownInTheDialogsColours) {
    areas.FinishPolygon(CaptureLightArea, kTriangle.data(), 3, 255, 0xFF00);
    ASSERT_EQ(view.areas.size(), 1u);
    EXPECT_EQ(view.areas[0].vertices, kTriangle);
    EXPECT_EQ(view.areas[0].inactive, 255u);
    EXPECT_EQ(view.areas[0].active, 0xFF00u);
    const XMLNode stored = doc.AppConfig().FindChild("MonitorArea");
    EXPECT_STREQ(stored.GetAttributeText("InactiveColor"), "255");
    EXPECT_STREQ(stored.GetAttributeText("ActiveColor"), "65280");
    EXPECT_STREQ(stored.GetAttributeText("BoundSize"), "800,600");
    EXPECT_STREQ(stored.GetAttributeText("Points"), "10,20; 10,80; 60,50; ");
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(view.detect, (Vertices{{1, 1}, {1, 9}, {9, 9}}));
}

TEST_F(ControllerFixture, ThirtySecondLightAreaIsStoredButNotShown) {
    for (int i = 0; i < 32; ++i) areas.FinishPolygon(CaptureLightArea, kTriangle.data(), 3, 1, 2);
    EXPECT_EQ(view.areas.size(), 31u);
    EXPECT_EQ(Count("MonitorArea"), 32);
}

TEST_F(ControllerFixture, SetDetectAreaThenRightClickAfterTwoClicksLeavesNoDetectArea) {
    areas.DeleteDetectArea();  // Set Detect Area's first step
    const Vertices two = {{1, 1}, {2, 2}};
    areas.FinishPolygon(CaptureDetectArea, two.data(), 2, 1, 2);
    EXPECT_FALSE(view.detect.has_value());
    EXPECT_EQ(Count("AlgorithmArea"), 0);
    EXPECT_EQ(saves, 1);
}

TEST_F(ControllerFixture, FinishedDetectAreaIsStoredWithTheFanSizeAndSet) {
    view.fan = {640, 480, 50, 0};
    areas.FinishPolygon(CaptureDetectArea, kTriangle.data(), 3, 1, 2);
    EXPECT_EQ(view.detect, kTriangle);
    const XMLNode stored = doc.AppConfig().FindChild("AlgorithmArea");
    EXPECT_STREQ(stored.GetAttributeText("BoundSize"), "640,480");
    EXPECT_STREQ(stored.GetAttributeText("Points"), "10,20; 10,80; 60,50; ");
    EXPECT_EQ(Count("AlgorithmArea"), 1);
    EXPECT_TRUE(view.areas.empty());
}

TEST_F(ControllerFixture, NoCaptureOrTooFewVerticesStoreNothing) {
    areas.FinishPolygon(CaptureNone, kTriangle.data(), 3, 1, 2);
    areas.FinishPolygon(CaptureLightArea, kTriangle.data(), 2, 1, 2);
    areas.FinishPolygon(CaptureLightArea, nullptr, 3, 1, 2);
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(view.areas.empty());
    EXPECT_EQ(Count("MonitorArea"), 0);
}

TEST_F(ControllerFixture, ClearAndDeleteEmptyViewAndFile) {
    areas.FinishPolygon(CaptureLightArea, kTriangle.data(), 3, 1, 2);
    saves = 0;
    areas.ClearLightAreas();
    EXPECT_TRUE(view.areas.empty());
    EXPECT_EQ(Count("MonitorArea"), 0);
    areas.DeleteDetectArea();
    EXPECT_FALSE(view.detect.has_value());
    EXPECT_EQ(Count("AlgorithmArea"), 0);
    EXPECT_EQ(saves, 2);
}

TEST_F(ControllerFixture, GateRangeGoesToTheViewAndIsStoredAsPassed) {
    areas.ApplyGateRange(20.0, 3.5, 64);
    EXPECT_EQ(view.log.back(), "SetGateRange 20.000000 3.500000 64");
    EXPECT_STREQ(doc.AppConfig().GetAttributeText("ObjectWnd_GateMin"), "20.0");
    EXPECT_STREQ(doc.AppConfig().GetAttributeText("ObjectWnd_GateMax"), "3.5");
    EXPECT_EQ(saves, 1);
}

std::vector<std::vector<int32_t>> gSent;
int Record(const int32_t* pairs, int count) {
    gSent.emplace_back(pairs, pairs + 2 * count);
    return 1;
}
const DetectBound::SetBoundFn kRecorders[3] = {Record, Record, Record};

TEST_F(ControllerFixture, DetectBoundIsMeasuredFromTheFanCornerWhereverTheFanSits) {
    const DetectBoundParams params{32, 32, 1.0, 1};
    view.detect = Vertices{{0, 0}, {300, 400}, {600, 800}};
    for (FanLayout fan : {FanLayout{800, 600, 0, 0}, FanLayout{800, 600, 50, 12}}) {
        view.fan = fan;
        gSent.clear();
        areas.SendDetectBound(params, kRecorders);
        ASSERT_EQ(gSent.size(), 3u);
        for (const auto& pairs : gSent) EXPECT_EQ(pairs, (std::vector<int32_t>{0, -32, 16, 0, 31, 31}));
    }
    view.detect.reset();
    gSent.clear();
    areas.SendDetectBound(params, kRecorders);
    EXPECT_EQ(gSent, (std::vector<std::vector<int32_t>>(3)));
}

}  // namespace
