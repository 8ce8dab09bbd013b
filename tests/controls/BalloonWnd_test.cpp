#include "controls/BalloonWnd.h"

#include <gtest/gtest.h>

#include <set>

#include "WindowTestSupport.h"
#include "contracts/ROVA_Common.h"

namespace {

using namespace controls_test;
using Phase = CBalloonModel::Phase;

// The balloon with the test as its clock: timers are only recorded, and a tick is a WM_TIMER the
// test sends, so nothing depends on how fast the machine is.
class CTestClockBalloon : public CBalloonWnd {
public:
    ~CTestClockBalloon() override {
        if (GetSafeHwnd()) DestroyWindow(GetSafeHwnd());
    }
    bool Running(UINT_PTR id) const { return running.count(id) != 0; }
    // Delivers one tick of a running timer; false when that timer is not running.
    bool Tick(UINT_PTR id) {
        if (!Running(id)) return false;
        SendMessageW(GetSafeHwnd(), WM_TIMER, id, 0);
        return true;
    }
    std::set<UINT_PTR> running;
    UINT countdownPeriod = 0;
    UINT fadePeriod = 0;

protected:
    void StartTimer(UINT_PTR id, UINT periodMs) override {
        running.insert(id);
        (id == CBalloonWnd::kCountdownTimer ? countdownPeriod : fadePeriod) = periodMs;
    }
    void StopTimer(UINT_PTR id) override { running.erase(id); }
};

class BalloonWndTest : public ::testing::Test {
protected:
    // One owner window for all cases: under Wine each top-level window with a caption costs a
    // wait for the window manager when it goes away.
    static void SetUpTestSuite() {
        owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 200, nullptr,
                                nullptr, nullptr, nullptr);
        control = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 100, 24, owner, nullptr,
                                  nullptr, nullptr);
    }
    static void TearDownTestSuite() {
        if (owner) DestroyWindow(owner);
        owner = control = nullptr;
    }
    void SetUp() override {
        // Keep the real cursor away from where balloons appear.
        SetCursorPos(5, 1000);
        ASSERT_TRUE(owner);
        ASSERT_TRUE(control);
        if (!IsWindowVisible(owner)) ShowWindow(owner, SW_SHOW);
        SetForegroundWindow(owner);
        SetFocus(control);
        ASSERT_TRUE(balloon.CreateBalloon(control));
        hwnd = balloon.GetSafeHwnd();
        PumpIdle(nullptr, 50);
    }
    void TearDown() override {
        if (balloon.GetSafeHwnd()) DestroyWindow(balloon.GetSafeHwnd());
        PumpIdle(nullptr, 20);
    }
    void Show(const wchar_t* title, const wchar_t* text, int icon = BalloonIconError) {
        balloon.ShowBalloon(anchor, title, text, icon);
    }
    int Ticks(int n) {
        int done = 0;
        for (int i = 0; i < n; ++i) done += balloon.Tick(CBalloonWnd::kCountdownTimer);
        return done;
    }
    SIZE WindowSize() const {
        RECT r{};
        GetWindowRect(hwnd, &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }
    BYTE WindowAlpha() const {
        BYTE alpha = 0;
        DWORD flags = 0;
        GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags);
        return alpha;
    }
    // A pixel of the composed picture, as a COLORREF.
    COLORREF PicturePixel(int x, int y) const {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, balloon.GetPicture());
        const COLORREF color = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteDC(dc);
        return color;
    }
    POINT ScreenOf(POINT client) const {
        ClientToScreen(hwnd, &client);
        return client;
    }

    static inline HWND owner = nullptr;
    static inline HWND control = nullptr;
    CTestClockBalloon balloon;
    HWND hwnd = nullptr;
    POINT anchor{300, 400};
};

TEST_F(BalloonWndTest, CreatedHiddenLayeredAndOwnedByTheTopLevelWindow) {
    wchar_t className[32] = {};
    GetClassNameW(hwnd, className, 32);
    EXPECT_STREQ(className, L"BALLOONWND");
    const LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_POPUP);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), owner);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&balloon));
}

TEST_F(BalloonWndTest, ShowPlacesOpaqueBalloonAtTheAnchorWithoutTakingFocus) {
    ASSERT_EQ(GetFocus(), control);
    Show(L"Input Error", L"Invalid character 'a'");
    EXPECT_TRUE(IsWindowVisible(hwnd));
    RECT r{};
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, anchor.x);
    EXPECT_EQ(r.top, anchor.y);
    EXPECT_EQ(WindowAlpha(), 255);
    EXPECT_TRUE(balloon.Running(CBalloonWnd::kCountdownTimer));
    EXPECT_FALSE(balloon.Running(CBalloonWnd::kFadeTimer));
    EXPECT_EQ(balloon.countdownPeriod, 500u);
    EXPECT_EQ(GetFocus(), control);
    EXPECT_EQ(GetForegroundWindow(), owner);
    PumpIdle(nullptr, 50);
    EXPECT_EQ(GetFocus(), control);
}

TEST_F(BalloonWndTest, ShapeHasTheTailAndRoundedCorners) {
    Show(L"Data Invalid", L"最大值 Must <= 30");
    const SIZE size = WindowSize();
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(hwnd, region), ERROR);
    EXPECT_TRUE(PtInRegion(region, 21, 3));    // the tail near its tip
    EXPECT_TRUE(PtInRegion(region, 30, 18));   // the tail above the joint
    EXPECT_FALSE(PtInRegion(region, 35, 5));   // beside the tail
    EXPECT_FALSE(PtInRegion(region, 5, 5));
    EXPECT_FALSE(PtInRegion(region, 0, 21));   // the rounded corner
    EXPECT_TRUE(PtInRegion(region, 7, 27));
    EXPECT_TRUE(PtInRegion(region, size.cx / 2, size.cy / 2));
    EXPECT_FALSE(PtInRegion(region, size.cx - 1, size.cy - 1));
    DeleteObject(region);

    // The picture: white body, the joint open, the error sign red.
    EXPECT_EQ(PicturePixel(30, 20), RGB(255, 255, 255));
    EXPECT_EQ(PicturePixel(10, 20), RGB(0, 0, 0));  // the body's outline left of the tail
    const BalloonMessage* message = balloon.Model().MessageAt(0);
    EXPECT_EQ(PicturePixel(message->iconRect.left + 4, message->iconRect.top + 15), RGB(240, 58, 23));
    // Some of the title is drawn in its blue.
    bool blue = false;
    for (int y = message->titleRect.top; y < message->titleRect.bottom && !blue; ++y) {
        for (int x = message->titleRect.left; x < message->titleRect.right && !blue; ++x) {
            blue = PicturePixel(x, y) == RGB(0, 51, 153);
        }
    }
    EXPECT_TRUE(blue);
}

TEST_F(BalloonWndTest, SignsAreDrawnInTheirColours) {
    const std::pair<int, COLORREF> cases[] = {
        {BalloonIconInfo, RGB(0, 120, 215)},
        {BalloonIconWarningLarge, RGB(252, 225, 0)},
        {BalloonIconErrorLarge, RGB(240, 58, 23)},
        {BalloonIconNone, RGB(255, 255, 255)},
    };
    for (const auto& [icon, colour] : cases) {
        Show(L"Sign", L"text", icon);
        const BalloonMessage* message = balloon.Model().MessageAt(0);
        // Low in the middle: inside the disc and the triangle, clear of the glyphs.
        const int x = (message->iconRect.left + message->iconRect.right) / 2 + 8;
        EXPECT_EQ(PicturePixel(x, message->iconRect.bottom - 6), colour) << icon;
    }
}

TEST_F(BalloonWndTest, RepeatedMessageRefreshesInsteadOfAdding) {
    Show(L"A", L"first");
    Ticks(4);
    Show(L"B", L"second");
    const SIZE two = WindowSize();
    Show(L"A", L"first", BalloonIconWarning);
    EXPECT_EQ(balloon.Model().GetMessageCount(), 2);
    EXPECT_EQ(balloon.Model().MessageAt(0)->title, L"A");
    EXPECT_EQ(balloon.Model().MessageAt(0)->remainingMs, 5000u);
    EXPECT_EQ(balloon.Model().MessageAt(0)->icon, BalloonIconWarning);
    EXPECT_EQ(WindowSize().cy, two.cy);
}

TEST_F(BalloonWndTest, OlderMessageExpiresAndTheBalloonShrinksThenFades) {
    Show(L"Old", L"the older message");
    const SIZE one = WindowSize();
    Ticks(4);  // 2 s later
    Show(L"New", L"the newer message");
    const SIZE two = WindowSize();
    EXPECT_GT(two.cy, one.cy);
    Ticks(5);
    EXPECT_EQ(WindowSize().cy, two.cy);
    Ticks(1);  // the older one's 5 s
    EXPECT_EQ(balloon.Model().GetMessageCount(), 1);
    EXPECT_EQ(WindowSize().cy, one.cy);
    EXPECT_TRUE(IsWindowVisible(hwnd));

    Ticks(4);  // the newer one's 5 s
    EXPECT_FALSE(balloon.Running(CBalloonWnd::kCountdownTimer));
    ASSERT_TRUE(balloon.Running(CBalloonWnd::kFadeTimer));
    EXPECT_EQ(balloon.fadePeriod, 100u);
    int fadeTicks = 0;
    while (balloon.Tick(CBalloonWnd::kFadeTimer)) {
        ++fadeTicks;
        if (fadeTicks == 1) {
            EXPECT_EQ(WindowAlpha(), 238);
        }
        ASSERT_LE(fadeTicks, 20);
    }
    EXPECT_EQ(fadeTicks, 15);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(balloon.Model().GetMessageCount(), 0);
    EXPECT_EQ(GetFocus(), control);
}

TEST_F(BalloonWndTest, LineBreaksMakeTheBalloonTaller) {
    Show(L"Title", L"one line");
    const SIZE single = WindowSize();
    const LONG singleText = balloon.Model().MessageAt(0)->textSize.cy;
    const RECT close = balloon.GetCloseRect();
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(close.left + 10, close.top + 10));
    ASSERT_FALSE(IsWindowVisible(hwnd));

    Show(L"Title", L"one line\nsecond line\nthird line");
    const LONG threeText = balloon.Model().MessageAt(0)->textSize.cy;
    EXPECT_GE(threeText, 3 * singleText - 2);
    EXPECT_EQ(WindowSize().cy - single.cy, threeText - singleText);
}

TEST_F(BalloonWndTest, RealCursorOverTheBalloonPausesItAndLeavingGivesTwoSeconds) {
    Show(L"A", L"a message to hover over");
    Ticks(8);  // 1 s left
    ASSERT_TRUE(balloon.Running(CBalloonWnd::kCountdownTimer));
    SetCursorPos(ScreenOf(POINT{60, 40}).x, ScreenOf(POINT{60, 40}).y);
    ASSERT_TRUE(PumpUntil([&] { return balloon.Model().IsMouseInside(); }));
    EXPECT_EQ(balloon.Model().GetPhase(), Phase::Paused);
    EXPECT_FALSE(balloon.Running(CBalloonWnd::kCountdownTimer));
    EXPECT_FALSE(balloon.Running(CBalloonWnd::kFadeTimer));
    EXPECT_EQ(WindowAlpha(), 255);
    EXPECT_TRUE(IsWindowVisible(hwnd));

    SetCursorPos(5, 1000);
    ASSERT_TRUE(PumpUntil([&] { return !balloon.Model().IsMouseInside(); }));
    EXPECT_TRUE(balloon.Running(CBalloonWnd::kCountdownTimer));
    EXPECT_EQ(balloon.Model().MessageAt(0)->remainingMs, 2000u);
    Ticks(3);
    EXPECT_TRUE(balloon.Running(CBalloonWnd::kCountdownTimer));
    Ticks(1);
    EXPECT_TRUE(balloon.Running(CBalloonWnd::kFadeTimer));
}

TEST_F(BalloonWndTest, CursorOverAFadingBalloonStopsTheFade) {
    Show(L"A", L"fading");
    Ticks(10);
    ASSERT_TRUE(balloon.Running(CBalloonWnd::kFadeTimer));
    balloon.Tick(CBalloonWnd::kFadeTimer);
    balloon.Tick(CBalloonWnd::kFadeTimer);
    EXPECT_EQ(WindowAlpha(), 221);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(60, 40));
    EXPECT_FALSE(balloon.Running(CBalloonWnd::kFadeTimer));
    EXPECT_EQ(WindowAlpha(), 255);
    EXPECT_EQ(balloon.Model().GetPhase(), Phase::Paused);
    SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(balloon.Running(CBalloonWnd::kCountdownTimer));
    EXPECT_EQ(balloon.Model().GetLiveMessageCount(), 1);
}

TEST_F(BalloonWndTest, CloseButtonLightsUpAndAClickHidesEverything) {
    Show(L"A", L"one");
    Show(L"B", L"two");
    const RECT close = balloon.GetCloseRect();
    const POINT centre{(close.left + close.right) / 2, (close.top + close.bottom) / 2};
    const POINT inRing{close.left + 3, centre.y};
    UpdateWindow(hwnd);
    EXPECT_EQ(PicturePixel(inRing.x, inRing.y), GetSysColor(COLOR_BTNFACE));
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(centre.x, centre.y));
    EXPECT_TRUE(balloon.Model().IsCloseHot());
    UpdateWindow(hwnd);
    EXPECT_EQ(PicturePixel(inRing.x, inRing.y), GetSysColor(COLOR_HIGHLIGHT));
    SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);

    // A real click on it.
    ClickAt(ScreenOf(centre));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(hwnd); }));
    EXPECT_EQ(balloon.Model().GetMessageCount(), 0);
    EXPECT_TRUE(balloon.running.empty());
    EXPECT_EQ(GetFocus(), control);
    SetCursorPos(5, 1000);
}

TEST_F(BalloonWndTest, ClickOutsideTheCloseButtonKeepsTheBalloon) {
    Show(L"A", L"one");
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 40));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(60, 40));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(balloon.Model().GetMessageCount(), 1);
    EXPECT_EQ(GetFocus(), control);
}

TEST_F(BalloonWndTest, HiddenOwnerHidesTheBalloonOnItsNextMove) {
    Show(L"A", L"one");
    ShowWindow(owner, SW_HIDE);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    SetWindowPos(hwnd, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(balloon.Model().GetMessageCount(), 0);
    EXPECT_TRUE(balloon.running.empty());

    // While the owner stays hidden nothing is shown.
    Show(L"B", L"two");
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_TRUE(balloon.running.empty());
    EXPECT_EQ(balloon.Model().GetMessageCount(), 0);

    ShowWindow(owner, SW_SHOW);
    Show(L"C", L"three");
    EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST_F(BalloonWndTest, HiddenOwnerStopsTheCountdownAtTheNextTick) {
    Show(L"A", L"one");
    ShowWindow(owner, SW_HIDE);
    Ticks(1);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_TRUE(balloon.running.empty());
}

TEST_F(BalloonWndTest, FocusLossFadesWhenAsked) {
    Show(L"A", L"one");
    SendMessageW(hwnd, WM_KILLFOCUS, 0, 0);
    EXPECT_TRUE(balloon.Running(CBalloonWnd::kFadeTimer));
    EXPECT_FALSE(balloon.Running(CBalloonWnd::kCountdownTimer));
    EXPECT_EQ(balloon.Model().GetMessageCount(), 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST(BalloonWndPlainTest, WithoutAWindowOnlyTheListChanges) {
    CBalloonWnd balloon;
    balloon.ShowBalloon(POINT{0, 0}, L"A", L"one", BalloonIconError);
    balloon.ShowBalloon(POINT{0, 0}, L"A", L"one", BalloonIconWarning);
    EXPECT_EQ(balloon.GetSafeHwnd(), nullptr);
    EXPECT_EQ(balloon.Model().GetMessageCount(), 1);
    EXPECT_EQ(balloon.Model().MessageAt(0)->icon, BalloonIconWarning);
}

}  // namespace
