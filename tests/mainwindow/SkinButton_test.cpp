// The skin button in real windows, driven with real mouse and keyboard input where hit-testing
// and capture matter.
#include <gtest/gtest.h>

#include <memory>

#include "WindowTestSupport.h"
#include "controls/ASkinButton.h"
#include "imaging/ImageHelpers.h"
#include "res/resource.h"

using namespace mwtest;

namespace {

constexpr COLORREF kNormal = RGB(0, 0, 255);
constexpr COLORREF kPressed = RGB(0, 255, 0);
constexpr COLORREF kHover = RGB(255, 255, 0);
constexpr COLORREF kDisabled = RGB(128, 128, 128);
constexpr COLORREF kDisabledChecked = RGB(255, 0, 255);

OwnedBitmap Solid(COLORREF c) {
    return OwnedBitmap(
        Gdiplus_CreateColorBmp(8, 8, 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c)));
}

class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.Create(500, 300));
        ::SetForegroundWindow(parent);
        MouseMove(POINT{5, 5});  // start away from every test window
    }

    // A button of the given style at (x, y), subclassed and skinned with the five solid faces.
    CASkinButton& Make(int id, DWORD style, int x, int y, bool skin = true) {
        HWND hwnd = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, 120, 40,
                                      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        buttons.push_back(std::make_unique<CASkinButton>());
        CASkinButton& button = *buttons.back();
        EXPECT_TRUE(button.SubclassWindow(hwnd));
        if (skin) {
            OwnedBitmap n = Solid(kNormal), p = Solid(kPressed), h = Solid(kHover), d = Solid(kDisabled),
                        dc = Solid(kDisabledChecked);
            button.SetSkinImages(n.get(), p.get(), h.get(), d.get(), dc.get(), nullptr);
        }
        Pump();
        return button;
    }
    static COLORREF Face(CASkinButton& b) { return ClientPixel(b, 60, 20); }
    static bool Pushed(CASkinButton& b) { return (::SendMessageW(b, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; }
    static POINT Offset(POINT p, int dx, int dy) { return POINT{p.x + dx, p.y + dy}; }

    std::vector<std::unique_ptr<CASkinButton>> buttons;  // destroyed after the parent's window
    TestParent parent;
};

TEST_F(SkinButtonTest, CheckButtonTogglesOncePerClickAndTwiceForADoubleClick) {
    CASkinButton& check = Make(11, BS_AUTOCHECKBOX | BS_PUSHLIKE, 20, 20);
    EXPECT_EQ(check.GetKind(), SkinButtonCheck);
    EXPECT_EQ(::GetWindowLongW(check, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    const POINT c = CentreOf(check);

    Click(c);
    ASSERT_TRUE(PumpUntil([&] { return parent.Clicks(11) == 1; }));
    EXPECT_EQ(check.GetCheck(), 1);
    EXPECT_EQ(Face(check), kPressed) << "checked shows the pressed face";
    Click(Offset(c, 20, 0));  // far enough away not to count as a double click
    ASSERT_TRUE(PumpUntil([&] { return parent.Clicks(11) == 2; }));
    EXPECT_EQ(check.GetCheck(), 0);

    const POINT d = Offset(c, -20, 0);
    Click(d);
    Click(d);  // the second press arrives as a double click
    PumpUntil([&] { return parent.Clicks(11) >= 4; });
    ASSERT_EQ(parent.clicks.size(), 4u);
    EXPECT_EQ(check.GetCheck(), 0);
    // The parent reads the new state inside its click handler.
    const LRESULT expected[] = {1, 0, 1, 0};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(parent.clicks[i].checkAtClick, expected[i]) << "click " << i;
}

TEST_F(SkinButtonTest, PressDragOffAndReleaseOutsideGivesNoClickAndThePushedLookFollowsTheCursor) {
    CASkinButton& check = Make(12, BS_AUTOCHECKBOX | BS_PUSHLIKE, 20, 20);
    const POINT on = CentreOf(check);
    const POINT off{on.x + 200, on.y + 100};
    MouseMove(on);
    ASSERT_TRUE(PumpUntil([&] { return check.IsHovering(); }));
    EXPECT_EQ(Face(check), kHover);
    LeftDown();
    Pump();
    EXPECT_FALSE(check.IsHovering()) << "pressing ends the hover look";
    EXPECT_TRUE(Pushed(check));
    EXPECT_EQ(Face(check), kPressed);
    MouseMove(off);
    ASSERT_TRUE(PumpUntil([&] { return !Pushed(check); }));
    EXPECT_EQ(Face(check), kNormal);
    MouseMove(on);
    ASSERT_TRUE(PumpUntil([&] { return Pushed(check); }));
    EXPECT_EQ(Face(check), kPressed);
    MouseMove(off);
    ASSERT_TRUE(PumpUntil([&] { return !Pushed(check); }));
    LeftUp();
    Pump(10);
    EXPECT_EQ(check.GetCheck(), 0);
    EXPECT_EQ(parent.Clicks(12), 0);
    EXPECT_NE(::GetCapture(), check.GetSafeHwnd());
}

TEST_F(SkinButtonTest, PushButtonNeverStaysChecked) {
    CASkinButton& push = Make(13, BS_PUSHBUTTON, 20, 20);
    EXPECT_EQ(push.GetKind(), SkinButtonPush);
    ::SendMessageW(push, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(::SendMessageW(push, BM_GETCHECK, 0, 0), 0);
    Click(CentreOf(push));
    ASSERT_TRUE(PumpUntil([&] { return parent.Clicks(13) == 1; }));
    EXPECT_EQ(push.GetCheck(), 0);
    EXPECT_EQ(Face(push), kHover) << "after the click the cursor still hovers";
}

TEST_F(SkinButtonTest, DisabledFacesFollowTheCheckState) {
    CASkinButton& check = Make(14, BS_AUTOCHECKBOX | BS_PUSHLIKE, 20, 20);
    ::SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
    check.EnableWindow(FALSE);
    Pump();
    EXPECT_EQ(Face(check), kDisabledChecked);
    ::SendMessageW(check, BM_SETCHECK, BST_UNCHECKED, 0);
    Pump();
    EXPECT_EQ(Face(check), kDisabled);
}

TEST_F(SkinButtonTest, ResourceSkinWithoutDisabledCheckedFaceShowsTheGreyPressedFace) {
    CASkinButton& start = Make(15, BS_AUTOCHECKBOX | BS_PUSHLIKE, 20, 20, false);
    CASkinButton::LoadSkinImagesFromResources(start, IDB_START_NORMAL, IDB_START_PRESSED, IDB_START_DISABLED, 0, 0);
    ::SendMessageW(start, BM_SETCHECK, BST_CHECKED, 0);
    Pump();
    // A coloured pixel of the pressed face...
    POINT coloured{-1, -1};
    for (int y = 2; y < 38 && coloured.x < 0; y += 2) {
        for (int x = 2; x < 118; x += 2) {
            const COLORREF p = ClientPixel(start, x, y);
            if (std::abs(GetRValue(p) - GetBValue(p)) > 24 || std::abs(GetGValue(p) - GetBValue(p)) > 24) {
                coloured = POINT{x, y};
                break;
            }
        }
    }
    ASSERT_GE(coloured.x, 0) << "the pressed face has colour";
    // ...turns grey on the disabled checked face.
    start.EnableWindow(FALSE);
    Pump();
    const COLORREF grey = ClientPixel(start, coloured.x, coloured.y);
    EXPECT_LE(std::abs(GetRValue(grey) - GetGValue(grey)), 2);
    EXPECT_LE(std::abs(GetGValue(grey) - GetBValue(grey)), 2);
}

TEST_F(SkinButtonTest, HoverEndsWhenTheCursorLeavesAndTheHandCursorShows) {
    CASkinButton& push = Make(16, BS_PUSHBUTTON, 20, 20);
    MouseMove(CentreOf(push));
    ASSERT_TRUE(PumpUntil([&] { return push.IsHovering(); }));
    EXPECT_EQ(::SendMessageW(push, WM_SETCURSOR, reinterpret_cast<WPARAM>(push.GetSafeHwnd()),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    MouseMove(POINT{CentreOf(push).x + 250, CentreOf(push).y + 150});
    ASSERT_TRUE(PumpUntil([&] { return !push.IsHovering(); }));
    EXPECT_EQ(Face(push), kNormal);
}

TEST_F(SkinButtonTest, RadioUnchecksItsGroupAndALonelyRadioStaysChecked) {
    CASkinButton& r1 = Make(21, BS_AUTORADIOBUTTON | WS_GROUP, 10, 10);
    CASkinButton& r2 = Make(22, BS_AUTORADIOBUTTON, 140, 10);
    CASkinButton& r3 = Make(23, BS_AUTORADIOBUTTON, 270, 10);
    CASkinButton& lonely = Make(24, BS_AUTORADIOBUTTON | WS_GROUP, 10, 100);
    Make(25, BS_PUSHBUTTON | WS_GROUP, 140, 100);
    EXPECT_EQ(r1.GetKind(), SkinButtonRadio);
    ::SendMessageW(r1, BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageW(r3, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(r1.GetCheck(), 0);
    Click(CentreOf(r2));
    ASSERT_TRUE(PumpUntil([&] { return parent.Clicks(22) == 1; }));
    EXPECT_EQ(r1.GetCheck(), 0);
    EXPECT_EQ(r2.GetCheck(), 1);
    EXPECT_EQ(r3.GetCheck(), 0);
    Click(CentreOf(r2));  // a click on a checked radio keeps it checked
    PumpUntil([&] { return parent.Clicks(22) == 2; });
    EXPECT_EQ(r2.GetCheck(), 1);
    ::SendMessageW(lonely, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(lonely.GetCheck(), 1);
}

TEST_F(SkinButtonTest, SpaceTogglesAndLosingTheFocusEndsAPress) {
    CASkinButton& check = Make(31, BS_AUTOCHECKBOX | BS_PUSHLIKE, 20, 20);
    CASkinButton& other = Make(32, BS_PUSHBUTTON, 200, 20);
    ::SetForegroundWindow(parent);
    ::SetFocus(check);
    KeyPress(VK_SPACE);
    ASSERT_TRUE(PumpUntil([&] { return parent.Clicks(31) == 1; }));
    EXPECT_EQ(check.GetCheck(), 1);

    MouseMove(CentreOf(check));
    LeftDown();
    ASSERT_EQ(::GetCapture(), check.GetSafeHwnd());
    ::SetFocus(other);
    Pump();
    EXPECT_NE(::GetCapture(), check.GetSafeHwnd());
    LeftUp();
    Pump(10);
    EXPECT_EQ(check.GetCheck(), 1) << "a press that lost the focus is no click";
}

TEST_F(SkinButtonTest, WithoutImagesTheFaceIsTheBackgroundColour) {
    CASkinButton& bare = Make(41, BS_PUSHBUTTON, 20, 20, false);
    EXPECT_EQ(Face(bare), ::GetSysColor(COLOR_BACKGROUND));
    bare.SetSkinImages(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    Pump();
    EXPECT_EQ(Face(bare), RGB(42, 50, 60));
    EXPECT_EQ(::GetWindowTextLengthW(bare), 0);
}

}  // namespace
