#include "areas/AreaConfigStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeOverlayTarget.h"

namespace {

using Vertices = std::vector<AreaVertex>;

void Parse(XMLParser& doc, const std::string& text) { doc.LoadFromMemory(text.data(), text.size()); }

struct StoreFixture : ::testing::Test {
    XMLParser doc;
    int saves = 0;
    AreaConfigStore store{doc, [this] { ++saves; return true; }};
    FakeOverlayTarget view;

    int CountChildren(const char* name) {
        int n = 0;
        doc.AppConfig().ForEachChild(name, [&](const XMLNode&) { ++n; });
        return n;
    }
};

struct PolygonCase {
    const char* name;
    const char* points;
    const char* bound;  // null: no BoundSize attribute
    Vertices expected;
};

class ReadPolygonTest : public ::testing::TestWithParam<PolygonCase> {};

TEST_P(ReadPolygonTest, ParsesAndRescalesToAnEightHundredBySixHundredFan) {
    const PolygonCase& c = GetParam();
    XMLParser doc;
    std::string xml = std::string("<AppConfig><MonitorArea Points=\"") + c.points + "\"";
    if (c.bound) xml += std::string(" BoundSize=\"") + c.bound + "\"";
    xml += "/></AppConfig>";
    Parse(doc, xml);
    EXPECT_EQ(AreaConfigStore::ReadPolygon(doc.AppConfig().FindChild("MonitorArea"), 800, 600), c.expected);
}

const Vertices kTriangle = {{10, 20}, {10, 80}, {60, 50}};

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadPolygonTest,
    ::testing::Values(
        PolygonCase{"StoredForm", "10,20; 10,80; 60,50; ", nullptr, kTriangle},
        PolygonCase{"NoBlanksNoFinalSeparator", "10,20;10,80;60,50", nullptr, kTriangle},
        PolygonCase{"PiecesWithoutExactlyTwoNumbersSkipped", "1,2,3; 10,20; 7; 10,80; ;60,50;x,y", nullptr, kTriangle},
        PolygonCase{"TwoPairsAreNoPolygon", "10,20; 10,80; ", nullptr, {}},
        PolygonCase{"BoundDoubles", "150,200; 0,0; -10,-30", "400,300", {{300, 400}, {0, 0}, {-20, -60}}},
        PolygonCase{"SameBoundUnchanged", "150,200; 0,0; 5,5", "800,600", {{150, 200}, {0, 0}, {5, 5}}},
        PolygonCase{"QuotientTruncatedTowardZero", "1,1; -1,-1; 2,2", "1600,1200", {{0, 0}, {0, 0}, {1, 1}}},
        PolygonCase{"ZeroWidthTakesFan", "150,200; 0,0; 5,5", "0,300", {{150, 200}, {0, 0}, {5, 5}}},
        PolygonCase{"ZeroHeightTakesFan", "150,200; 0,0; 5,5", "400,0", {{150, 200}, {0, 0}, {5, 5}}},
        PolygonCase{"NegativeBoundTakesFan", "150,200; 0,0; 5,5", "-400,300", {{150, 200}, {0, 0}, {5, 5}}},
        PolygonCase{"OneNumberBoundTakesFan", "150,200; 0,0; 5,5", "400", {{150, 200}, {0, 0}, {5, 5}}},
        PolygonCase{"GarbageBoundTakesFan", "150,200; 0,0; 5,5", "wide,high", {{150, 200}, {0, 0}, {5, 5}}},
        PolygonCase{"HugeCoordinatesLimited", "2000000000,-2000000000; 0,0; 5,5", "1,1",
                    {{kMaxVertexCoordinate, -kMaxVertexCoordinate}, {0, 0}, {3000, 4000}}},
        PolygonCase{"OutOfRangeIntegersSkipped", "99999999999,1; 10,20; 10,80; 60,50", nullptr, kTriangle}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AreaConfigFormatTest, BoundAndPointsTexts) {
    EXPECT_EQ(AreaConfigStore::FormatBoundSize(812, -3), "812,-3");
    EXPECT_EQ(AreaConfigStore::FormatPoints(kTriangle.data(), 3), "10,20; 10,80; 60,50; ");
    const AreaVertex extreme[] = {{INT32_MIN, INT32_MAX}};
    EXPECT_EQ(AreaConfigStore::FormatPoints(extreme, 1), "-2147483648,2147483647; ");
    EXPECT_EQ(AreaConfigStore::FormatPoints(nullptr, 3), "");
}

TEST(AreaConfigFormatTest, ColoursAreUnsignedDecimalWithDefaults) {
    XMLParser doc;
    Parse(doc, "<AppConfig><E Red=\"255\" Inactive=\"16776960\" Empty=\"\" Bad=\"blue\" Neg=\"-1\" Big=\"4294967296\""
               " Max=\"4294967295\"/></AppConfig>");
    const XMLNode e = doc.AppConfig().FindChild("E");
    EXPECT_EQ(AreaConfigStore::ReadColor(e, "red", 7), 255u);
    EXPECT_EQ(AreaConfigStore::ReadColor(e, "Inactive", 7), 0xFFFF00u);
    EXPECT_EQ(AreaConfigStore::ReadColor(e, "Max", 7), 0xFFFFFFFFu);
    for (const char* fallbackName : {"Empty", "Bad", "Neg", "Big", "Absent"}) {
        EXPECT_EQ(AreaConfigStore::ReadColor(e, fallbackName, 7), 7u) << fallbackName;
    }
}

TEST_F(StoreFixture, LoadsDetectAreaFirstThenMonitorAreasInDocumentOrderIgnoringCase) {
    Parse(doc,
          "<AppConfig>"
          "<algorithmarea boundsize=\"400,300\" points=\"0,0; 0,100; 50,50; \"/>"
          "<AlgorithmArea Points=\"1,1; 2,2; 3,3\"/>"
          "<MONITORAREA InactiveColor=\"255\" ActiveColor=\"65280\" Points=\"10,20; 10,80; 60,50; \"/>"
          "<MonitorArea Points=\"1,1; 2,2; \"/>"
          "<MonitorArea InactiveColor=\"\" BoundSize=\"400,300\" Points=\"5,5; 5,10; 10,10\"/>"
          "</AppConfig>");
    view.detect = Vertices{{9, 9}, {9, 8}, {8, 8}};
    store.LoadAreas(view);
    ASSERT_TRUE(view.detect.has_value());
    EXPECT_EQ(*view.detect, (Vertices{{0, 0}, {0, 200}, {100, 100}}));
    ASSERT_EQ(view.areas.size(), 2u);
    EXPECT_EQ(view.areas[0].vertices, kTriangle);
    EXPECT_EQ(view.areas[0].inactive, 255u);
    EXPECT_EQ(view.areas[0].active, 0xFF00u);
    EXPECT_EQ(view.areas[1].vertices, (Vertices{{10, 10}, {10, 20}, {20, 20}}));
    EXPECT_EQ(view.areas[1].inactive, kDefaultInactiveColor);
    EXPECT_EQ(view.areas[1].active, kDefaultActiveColor);
    EXPECT_EQ(view.log, (std::vector<std::string>{"SetDetectArea", "ClearMonitorAreas", "AddMonitorArea", "AddMonitorArea"}));
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(CountChildren("MonitorArea"), 3) << "an unusable area stays in the file";
}

TEST_F(StoreFixture, DetectAreaWithTooFewVerticesLeavesTheViewsOne) {
    Parse(doc, "<AppConfig><AlgorithmArea Points=\"0,0; 0,100\"/></AppConfig>");
    view.detect = kTriangle;
    store.LoadAreas(view);
    EXPECT_EQ(view.detect, kTriangle);
}

TEST_F(StoreFixture, WithoutAppConfigLoadingClearsAreasAndPointsButKeepsTheDetectArea) {
    Parse(doc, "<Other><MonitorArea Points=\"10,20; 10,80; 60,50\"/></Other>");
    view.detect = kTriangle;
    view.areas.push_back({kTriangle, 1, 2});
    view.points.push_back({});
    store.LoadAreas(view);
    store.LoadMonitorPoints(view);
    EXPECT_EQ(view.detect, kTriangle);
    EXPECT_TRUE(view.areas.empty());
    EXPECT_TRUE(view.points.empty());
}

TEST_F(StoreFixture, OnlyThirtyOneAreasAreShownAndTheRestStayInTheFile) {
    std::string xml = "<AppConfig>";
    for (int i = 0; i < 40; ++i) xml += "<MonitorArea Points=\"" + std::to_string(i) + ",0; 0,10; 10,10\"/>";
    Parse(doc, xml + "</AppConfig>");
    store.LoadAreas(view);
    ASSERT_EQ(view.areas.size(), 31u);
    EXPECT_EQ(view.areas[30].vertices[0].row, 30);
    EXPECT_EQ(CountChildren("MonitorArea"), 40);
}

struct PointElementCase {
    const char* name;
    const char* attributes;
    size_t expectedPoints;
};

class MonitorPointEnableTest : public ::testing::TestWithParam<PointElementCase> {};

TEST_P(MonitorPointEnableTest, OnlyEnabledElementsWithPositionsYieldPoints) {
    XMLParser doc;
    Parse(doc, std::string("<AppConfig><MonitorPoint ") + GetParam().attributes + "/></AppConfig>");
    AreaConfigStore store(doc, [] { return true; });
    FakeOverlayTarget view;
    store.LoadMonitorPoints(view);
    EXPECT_EQ(view.points.size(), GetParam().expectedPoints);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MonitorPointEnableTest,
    ::testing::Values(PointElementCase{"EnableAbsent", "Position=\"3,0\"", 0},
                      PointElementCase{"EnableEmpty", "Enable=\"\" Position=\"3,0\"", 0},
                      PointElementCase{"EnableZero", "Enable=\"0\" Position=\"3,0\"", 0},
                      PointElementCase{"EnableGarbage", "Enable=\"yes\" Position=\"3,0\"", 0},
                      PointElementCase{"EnableOne", "Enable=\"1\" Position=\"3,0\"", 1},
                      PointElementCase{"EnableSeven", "enable=\"7\" position=\"3,0;4,0\"", 2},
                      PointElementCase{"NoPosition", "Enable=\"1\"", 0},
                      PointElementCase{"PositionWithoutPairs", "Enable=\"1\" Position=\"3;4;x,y\"", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StoreFixture, MonitorPointsAreNumberedPerElementWithTheirColoursAndScale) {
    Parse(doc,
          "<AppConfig>"
          "<MonitorPoint Enable=\"1\" Position=\"3,0;5,-30\"/>"
          "<MonitorPoint Enable=\"1\" InactiveColor=\"255\" ActiveColor=\"1\" TextColor=\"2\" RadiusScale=\"2.5\""
          " Position=\"7.5, -45.25; \"/>"
          "<MonitorPoint Enable=\"1\" RadiusScale=\"big\" Position=\"1,1\"/>"
          "<MonitorPoint Enable=\"1\" RadiusScale=\"100000\" Position=\"2,2\"/>"
          "<MonitorPoint Enable=\"1\" RadiusScale=\"-4\" Position=\"2,2\"/>"
          "</AppConfig>");
    store.LoadMonitorPoints(view);
    ASSERT_EQ(view.points.size(), 6u);
    EXPECT_EQ(view.points[4].radiusScale, kMaxPointRadiusScale) << "clamped: the disc would not fit in memory";
    EXPECT_EQ(view.points[5].radiusScale, kMinPointRadiusScale);
    const FakePoint& p0 = view.points[0];
    EXPECT_EQ(p0.label, L"1");
    EXPECT_EQ(p0.range, 3.0);
    EXPECT_EQ(p0.angle, 0.0);
    EXPECT_EQ(p0.radiusScale, 1.0);
    EXPECT_EQ(p0.inactive, kDefaultInactiveColor);
    EXPECT_EQ(p0.active, kDefaultActiveColor);
    EXPECT_EQ(p0.text, kDefaultTextColor);
    EXPECT_EQ(view.points[1].label, L"2");
    EXPECT_EQ(view.points[1].range, 5.0);
    EXPECT_EQ(view.points[1].angle, -30.0);
    const FakePoint& p2 = view.points[2];
    EXPECT_EQ(p2.label, L"1");
    EXPECT_EQ(p2.range, 7.5);
    EXPECT_EQ(p2.angle, -45.25);
    EXPECT_EQ(p2.radiusScale, 2.5);
    EXPECT_EQ(p2.inactive, 255u);
    EXPECT_EQ(p2.active, 1u);
    EXPECT_EQ(p2.text, 2u);
    EXPECT_EQ(view.points[3].radiusScale, 1.0);
    EXPECT_EQ(view.log.front(), "ClearMonitorPoints");
}

TEST_F(StoreFixture, SavedMonitorAreaHasTheExactStoredFormAndReloadsRescaled) {
    Parse(doc, "<AppConfig Language=\"ENG\"><Unknown keep=\"1\"/></AppConfig>");
    store.SaveMonitorArea(kTriangle.data(), 3, 16776960, 21724, 400, 300);
    EXPECT_EQ(saves, 1);
    EXPECT_NE(doc.SaveToString().find("<Unknown keep=\"1\" />\n\t<MonitorArea InactiveColor=\"16776960\" "
                                      "ActiveColor=\"21724\" BoundSize=\"400,300\" Points=\"10,20; 10,80; 60,50; \" />"),
              std::string::npos)
        << doc.SaveToString();
    store.LoadAreas(view);  // the fan is 800 x 600 now
    ASSERT_EQ(view.areas.size(), 1u);
    EXPECT_EQ(view.areas[0].vertices, (Vertices{{20, 40}, {20, 160}, {120, 100}}));
}

TEST_F(StoreFixture, SavedDetectAreaReusesTheFirstElementOrAppendsOne) {
    Parse(doc, "<AppConfig><algorithmAREA Points=\"1,1;2,2;3,3\" Note=\"x\"/><AlgorithmArea/></AppConfig>");
    store.SaveDetectArea(kTriangle.data(), 3, 640, 480);
    EXPECT_NE(doc.SaveToString().find("<algorithmAREA Points=\"10,20; 10,80; 60,50; \" Note=\"x\" BoundSize=\"640,480\" />"),
              std::string::npos)
        << doc.SaveToString();
    EXPECT_EQ(CountChildren("AlgorithmArea"), 2);

    Parse(doc, "<AppConfig/>");
    store.SaveDetectArea(kTriangle.data(), 3, 640, 480);
    EXPECT_NE(doc.SaveToString().find("<AlgorithmArea BoundSize=\"640,480\" Points=\"10,20; 10,80; 60,50; \" />"),
              std::string::npos);
    EXPECT_EQ(saves, 2);
}

TEST_F(StoreFixture, RemovalTakesAllMonitorAreasButOnlyTheFirstDetectArea) {
    Parse(doc, "<AppConfig><MonitorArea/><x/><monitorarea/><AlgorithmArea a=\"1\"/><AlgorithmArea a=\"2\"/>"
               "<MonitorPoint/></AppConfig>");
    store.RemoveMonitorAreas();
    store.RemoveDetectArea();
    EXPECT_EQ(CountChildren("MonitorArea"), 0);
    EXPECT_EQ(CountChildren("x"), 1);
    EXPECT_EQ(CountChildren("MonitorPoint"), 1);
    ASSERT_EQ(CountChildren("AlgorithmArea"), 1);
    EXPECT_STREQ(doc.AppConfig().FindChild("AlgorithmArea").GetAttributeText("a"), "2");
    EXPECT_EQ(saves, 2);
}

TEST_F(StoreFixture, WithoutAppConfigStoresAppendNothingButStillSave) {
    Parse(doc, "<Other/>");
    const std::string before = doc.SaveToString();
    store.SaveMonitorArea(kTriangle.data(), 3, 1, 2, 800, 600);
    store.SaveDetectArea(kTriangle.data(), 3, 800, 600);
    store.RemoveMonitorAreas();
    store.RemoveDetectArea();
    store.SaveGateRange(1, 2);
    EXPECT_EQ(doc.SaveToString(), before);
    EXPECT_EQ(saves, 5);
}

TEST_F(StoreFixture, GateRangeIsStoredAsPassedWithOneDecimal) {
    Parse(doc, "<AppConfig objectwnd_gatemin=\"3\"/>");
    store.SaveGateRange(12.25, 4.0);
    EXPECT_STREQ(doc.AppConfig().GetAttributeText("ObjectWnd_GateMin"), "12.2");
    EXPECT_STREQ(doc.AppConfig().GetAttributeText("ObjectWnd_GateMax"), "4.0");
    EXPECT_NE(doc.SaveToString().find("objectwnd_gatemin=\"12.2\""), std::string::npos);
    EXPECT_EQ(saves, 1);
}

// Damaged or hand-made files: many areas, long polygons, garbage and empty bounds. Loading must
// finish with what is usable and saving must keep every element.
TEST_F(StoreFixture, HostileContentLoadsWhatIsUsableAndSavingKeepsEverything) {
    std::string xml = "<AppConfig>";
    std::string longPolygon;
    for (int i = 0; i < 10000; ++i) longPolygon += std::to_string(i % 600) + "," + std::to_string(i % 800) + "; ";
    xml += "<AlgorithmArea BoundSize=\"0,0\" Points=\"" + longPolygon + "\"/>";
    std::string garbage;
    while (garbage.size() < 2 * 1024 * 1024) garbage += "1,2,3;x,;--;.e;7;,;";
    xml += "<MonitorArea BoundSize=\"-1,-1\" Points=\"" + garbage + "\"/>";
    xml += "<MonitorArea InactiveColor=\"1e99\" ActiveColor=\"-\" BoundSize=\"0,5\" Points=\"" + longPolygon + "\"/>";
    for (int i = 0; i < 5000; ++i) xml += "<MonitorArea BoundSize=\"1,0\" Points=\"1,1; 1,5; 5,5\"/>";
    for (int i = 0; i < 200; ++i) xml += "<MonitorPoint Enable=\"1\" RadiusScale=\"nan\" Position=\"1e308,-1e308;nan,1\"/>";
    Parse(doc, xml + "</AppConfig>");

    store.LoadAreas(view);
    store.LoadMonitorPoints(view);
    ASSERT_TRUE(view.detect.has_value());
    EXPECT_EQ(view.detect->size(), 10000u);
    EXPECT_EQ((*view.detect)[601], (AreaVertex{1, 601}));
    ASSERT_EQ(view.areas.size(), 31u);
    EXPECT_EQ(view.areas[0].vertices.size(), 10000u);
    EXPECT_EQ(view.areas[0].inactive, kDefaultInactiveColor);
    EXPECT_EQ(view.areas[0].active, kDefaultActiveColor);
    EXPECT_EQ(view.points.size(), 200u);

    store.SaveMonitorArea(kTriangle.data(), 3, 1, 2, 800, 600);
    EXPECT_EQ(CountChildren("MonitorArea"), 5003);
    EXPECT_EQ(CountChildren("MonitorPoint"), 200);
    EXPECT_EQ(CountChildren("AlgorithmArea"), 1);
}

}  // namespace
