// The colour label in real windows: line placement measured in pixels, image and colour faces.
#include <gtest/gtest.h>

#include <memory>

#include "WindowTestSupport.h"
#include "controls/ColorStatic.h"
#include "framework/GdiplusRaii.h"
#include "imaging/ImageHelpers.h"
#include "res/resource.h"

using namespace mwtest;
using namespace Gdiplus::DllExports;

namespace {

class ColorStaticTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(parent.Create(400, 300)); }

    CColorStatic& Make(int width, int height, DWORD extraStyle = 0) {
        HWND hwnd = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | extraStyle, 20, 20, width, height,
                                      parent, reinterpret_cast<HMENU>(1), nullptr, nullptr);
        label = std::make_unique<CColorStatic>();
        EXPECT_TRUE(label->SubclassWindow(hwnd));
        return *label;
    }

    // Height GDI+ gives one line of the font in a label-sized layout.
    static float LineHeight(HFONT font) {
        HDC dc = ::GetDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, font);
        rova::GdipFontPtr gdipFont;
        GdipCreateFontFromDC(dc, gdipFont.out());
        rova::GdipGraphicsPtr graphics;
        GdipCreateFromHDC(dc, graphics.out());
        Gdiplus::RectF layout(0, 0, 200, 100), bound;
        GdipMeasureString(graphics.get(), L"\x2588", 1, gdipFont.get(), &layout, nullptr, &bound, nullptr, nullptr);
        graphics.reset();
        ::SelectObject(dc, old);
        ::ReleaseDC(nullptr, dc);
        return bound.Height;
    }

    // Top rows of the bright bands (text) in column x.
    static std::vector<int> BandTops(HWND hwnd, int x, int height) {
        std::vector<int> tops;
        bool inBand = false;
        for (int y = 0; y < height; ++y) {
            const COLORREF p = ClientPixel(hwnd, x, y);
            const bool bright = GetRValue(p) > 160 && GetGValue(p) > 160 && GetBValue(p) > 160;
            if (bright && !inBand) tops.push_back(y);
            inBand = bright;
        }
        return tops;
    }

    std::unique_ptr<CColorStatic> label;
    TestParent parent;
};

TEST_F(ColorStaticTest, ThreeLinesOfTwentyPixelsSpreadInAHundredPixelsStartAt10_40_70) {
    CColorStatic& text = Make(200, 100);
    text.SetLabelStyle(nullptr, 12, 0, 0);
    // A font whose lines measure 20 pixels.
    rova::UniqueFont font;
    for (int cell = 14; cell <= 30 && !font; ++cell) {
        rova::UniqueFont candidate(
            ::CreateFontW(cell, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"黑体"));
        if (std::abs(LineHeight(candidate.get()) - 20.0f) < 0.5f) font = std::move(candidate);
    }
    ASSERT_TRUE(font) << "no font size gives 20-pixel lines";
    const float h = LineHeight(font.get());
    ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);

    // The ink of a glyph starts a fixed distance below its line's top; find it from one line
    // placed at a known top: with a 1-pixel gap a single line sits at 1 + (100 - h - 2) / 2.
    ::SetWindowTextW(text, L"\x2588\x2588\x2588");
    const COLORREF dark = ClientPixel(text, 5, 5);
    EXPECT_EQ(dark, RGB(0x2A, 0x32, 0x3C));
    const float singleTop = 1.0f + (100.0f - h - 2.0f) / 2.0f;
    ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    text.SetLabelStyle(nullptr, 12, 1, 1);
    ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    ::SetWindowTextW(text, L"\x2588\x2588\x2588");
    Pump();
    const std::vector<int> single = BandTops(text, 100, 100);
    ASSERT_EQ(single.size(), 1u);
    const int inkOffset = single[0] - static_cast<int>(singleTop + 0.5f);

    text.SetLabelStyle(nullptr, 12, 0, 1);
    ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    ::SetWindowTextW(text, L"\x2588\x2588\x2588\n\x2588\x2588\x2588\n\x2588\x2588\x2588");
    Pump();
    const std::vector<int> tops = BandTops(text, 100, 100);
    ASSERT_EQ(tops.size(), 3u);
    const int expected[] = {10, 40, 70};
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(tops[i] - inkOffset, expected[i], 1) << "line " << i;
    ::SendMessageW(text, WM_SETFONT, 0, FALSE);
}

TEST_F(ColorStaticTest, BackgroundImageAndColourFaces) {
    CColorStatic& swatch = Make(60, 30, SS_NOTIFY);
    const LONG style = ::GetWindowLongW(swatch, GWL_STYLE);
    EXPECT_EQ(style & SS_TYPEMASK, SS_OWNERDRAW);
    EXPECT_TRUE(style & SS_NOTIFY) << "a notifying static stays notifying";
    Pump();
    EXPECT_EQ(ClientPixel(swatch, 30, 15), ::GetSysColor(COLOR_BTNFACE));
    swatch.SetBackgroundColor(0x0000FF);
    Pump();
    EXPECT_EQ(ClientPixel(swatch, 30, 15), RGB(255, 0, 0));

    swatch.SetLabelStyleFromResource(59999, 10, -1, 1);  // no such PNG
    Pump();
    EXPECT_FALSE(swatch.HasImage());
    EXPECT_EQ(ClientPixel(swatch, 30, 15), RGB(0x2A, 0x32, 0x3C));
    EXPECT_EQ(swatch.GetTextColor(), RGB(255, 255, 255));

    OwnedBitmap green(Gdiplus_CreateColorBmp(4, 4, 0xFF00C000));
    swatch.SetImage(green.get());
    green.reset();  // the label keeps its own copy
    Pump();
    EXPECT_EQ(ClientPixel(swatch, 1, 1), RGB(0, 0xC0, 0));
    EXPECT_EQ(ClientPixel(swatch, 58, 28), RGB(0, 0xC0, 0)) << "stretched over the whole label";

    swatch.SetLabelStyleFromResource(IDB_TITLE_SINGLE, 10, -1, 1);
    EXPECT_TRUE(swatch.HasImage());
    EXPECT_EQ(::GetWindowTextLengthW(swatch), 0);
}

}  // namespace
