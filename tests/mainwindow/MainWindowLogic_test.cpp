// The window-free parts of the main window: polygon capture, label line placement, button kinds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AreaVertexCompare.h"
#include "app/PolygonCapture.h"
#include "controls/InterfaceFont.h"
#include "controls/LabelLineLayout.h"
#include "controls/SkinButtonRules.h"

namespace {

TEST(PolygonCaptureTest, PacksRowHighAndColumnLowIntoOneListValue) {
    const struct {
        int32_t row, column;
        uint64_t packed;
    } cases[] = {
        {0, 0, 0},
        {10, 20, (10ull << 32) | 20},
        {1, -1, (1ull << 32) | 0xFFFFFFFFull},
        {-2, 7, (0xFFFFFFFEull << 32) | 7},
        {0x7FFFFFFF, int32_t(0x80000000), (0x7FFFFFFFull << 32) | 0x80000000ull},
    };
    for (const auto& c : cases) {
        void* value = CPolygonCapture::Pack(c.row, c.column);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(value), c.packed) << c.row << "," << c.column;
        const AreaVertex back = CPolygonCapture::Unpack(value);
        EXPECT_EQ(back.row, c.row);
        EXPECT_EQ(back.column, c.column);
    }
}

TEST(PolygonCaptureTest, KeepsClickOrderAndHandsOverOnlyPolygons) {
    CPolygonCapture capture;
    EXPECT_FALSE(capture.Add(1, 1)) << "no capture runs";
    capture.Begin(CaptureDetectArea);
    capture.previous = POINT{5, 6};
    capture.Begin(CaptureLightArea);  // a restart forgets the previous point
    EXPECT_EQ(capture.previous.x, -1);
    ASSERT_TRUE(capture.Add(10, 20));
    ASSERT_TRUE(capture.Add(10, 80));
    CaptureMode mode = CaptureNone;
    EXPECT_TRUE(capture.Finish(&mode).empty()) << "two points are no polygon";
    EXPECT_EQ(mode, CaptureLightArea);
    EXPECT_FALSE(capture.Active());
    EXPECT_EQ(capture.Count(), 0);

    capture.Begin(CaptureDetectArea);
    capture.Add(10, 20);
    capture.Add(10, 80);
    capture.Add(60, 50);
    capture.previous = POINT{100, 200};
    const std::vector<AreaVertex> vertices = capture.Finish(&mode);
    EXPECT_EQ(mode, CaptureDetectArea);
    ASSERT_EQ(vertices.size(), 3u);
    EXPECT_EQ(vertices[0], (AreaVertex{10, 20}));
    EXPECT_EQ(vertices[1], (AreaVertex{10, 80}));
    EXPECT_EQ(vertices[2], (AreaVertex{60, 50}));
    EXPECT_EQ(capture.previous.x, -1);
    EXPECT_EQ(capture.Mode(), CaptureNone);
}

TEST(PolygonCaptureTest, TheThousandthPointIsStoredAndLaterOnesAreNot) {
    CPolygonCapture capture;
    capture.Begin(CaptureLightArea);
    for (int i = 0; i < 999; ++i)
        ASSERT_TRUE(capture.Add(i, -i));
    EXPECT_FALSE(capture.Full());
    EXPECT_TRUE(capture.Add(999, -999));
    EXPECT_TRUE(capture.Full());
    EXPECT_FALSE(capture.Add(1000, 0));
    EXPECT_EQ(capture.Count(), 1000);
    EXPECT_EQ(capture.At(999), (AreaVertex{999, -999}));
    CaptureMode mode = CaptureNone;
    EXPECT_EQ(capture.Finish(&mode).size(), 1000u);
}

TEST(LabelLineLayoutTest, PlacesLinesByGapAndLineAlignment) {
    const std::vector<float> threeLines{20, 20, 20};
    const struct {
        const char* name;
        std::vector<float> heights;
        int gap;
        LabelLineLayout::Alignment alignment;
        std::vector<float> tops;
    } cases[] = {
        {"even spread, centre", threeLines, 0, LabelLineLayout::Center, {10, 40, 70}},
        {"even spread, near", threeLines, 0, LabelLineLayout::Near, {10, 40, 70}},
        {"even spread, far", threeLines, 0, LabelLineLayout::Far, {10, 40, 70}},
        {"gap 5, near", threeLines, 5, LabelLineLayout::Near, {5, 30, 55}},
        {"gap 5, centre", threeLines, 5, LabelLineLayout::Center, {15, 40, 65}},
        {"gap 5, far", threeLines, 5, LabelLineLayout::Far, {25, 50, 75}},
        {"mixed heights", {10, 30}, 0, LabelLineLayout::Center, {20, 50}},
        {"no lines", {}, 0, LabelLineLayout::Center, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<float> tops = LabelLineLayout::LineTops(0.0f, 100.0f, c.heights, c.gap, c.alignment);
        ASSERT_EQ(tops.size(), c.tops.size());
        for (size_t i = 0; i < tops.size(); ++i)
            EXPECT_FLOAT_EQ(tops[i], c.tops[i]) << "line " << i;
    }
    EXPECT_FLOAT_EQ(LabelLineLayout::LineTops(30.0f, 100.0f, threeLines, 0, LabelLineLayout::Center)[0], 40.0f);
}

TEST(LabelLineLayoutTest, LinesEndWithoutTheirCarriageReturn) {
    const struct {
        const wchar_t* text;
        std::vector<std::wstring> lines;
    } cases[] = {
        {L"Object Information\r\ndistance: 1.50 m\r\nangle:-12.3 \u00b0", {L"Object Information", L"distance: 1.50 m", L"angle:-12.3 \u00b0"}},
        {L"a\nb", {L"a", L"b"}},
        {L"a\r\n\r\nb\r\n", {L"a", L"", L"b", L""}},
        {L"x\ry", {L"x\ry"}},  // only a CR that ends a line goes
        {L"", {L""}},
    };
    for (const auto& c : cases) EXPECT_EQ(LabelLineLayout::SplitLines(c.text), c.lines) << static_cast<int>(c.lines.size());
}

TEST(InterfaceFontTest, FallsBackThroughTheChineseFacesToTheSansSerifFace) {
    const struct {
        std::vector<std::wstring> installed;
        const wchar_t* chosen;
    } cases[] = {
        {{L"黑体", L"SimSun", L"Arial"}, L"黑体"},
        {{L"SimHei"}, L"SimHei"},  // the designed face under its English name
        {{L"Arial", L"宋体", L"Microsoft YaHei"}, L"Microsoft YaHei"},
        {{L"WenQuanYi Zen Hei", L"Noto Sans CJK SC"}, L"WenQuanYi Zen Hei"},
        {{L"Arial", L"Tahoma"}, L"Sans Fallback"},
        {{}, L"Sans Fallback"},
    };
    for (const auto& c : cases) {
        auto installed = [&](const wchar_t* face) {
            return std::find(c.installed.begin(), c.installed.end(), face) != c.installed.end();
        };
        EXPECT_EQ(ChooseInterfaceFace(installed, L"Sans Fallback"), c.chosen);
    }
}

TEST(SkinButtonRulesTest, KindComesFromStyleBitsNotTheButtonType) {
    const struct {
        uint32_t style;
        SkinButtonKind kind;
    } cases[] = {
        {BS_PUSHBUTTON, SkinButtonPush},
        {BS_DEFPUSHBUTTON, SkinButtonPush},
        {BS_CHECKBOX, SkinButtonPush},
        {BS_AUTOCHECKBOX, SkinButtonCheck},
        {BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP, SkinButtonCheck},
        {BS_RADIOBUTTON, SkinButtonPush},
        {BS_AUTORADIOBUTTON, SkinButtonRadio},
        {BS_AUTORADIOBUTTON | WS_GROUP, SkinButtonRadio},
        {BS_AUTO3STATE, SkinButtonPush},
        {0x00010000u | BS_CHECKBOX, SkinButtonPush},  // only the low word counts
    };
    for (const auto& c : cases)
        EXPECT_EQ(SkinButtonRules::KindFromStyle(c.style), c.kind) << std::hex << c.style;
}

}  // namespace
