// The main dialog as the operator meets it: covering the screen, scaled layout, initial button
// states, keys, polygon capture with real clicks, and closing without leaked GDI objects.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>

#include "WindowTestSupport.h"
#include "AreaVertexCompare.h"
#include "ProgramFolderGuard.h"
#include "RovaVersion.h"
#include "app/ROVAMTTDlg.h"
#include "settings/XMLParser.h"
#include "res/resource.h"

using namespace mwtest;

namespace {

class TestDialog : public CROVAMTTDlg {
public:
    using CROVAMTTDlg::BeginPolygonCapture;
    using CROVAMTTDlg::PreTranslateMessage;
    void FinishCapturedPolygon(CaptureMode mode, const AreaVertex* vertices, int count) override {
        finishedMode = mode;
        finished.assign(vertices, vertices + count);
        ++finishCalls;
    }
    void OpenParameterDialog() override { ++parameterDialogs; }
    RECT FanRect() const { return GetViewFanRect(); }

    CaptureMode finishedMode = CaptureNone;
    std::vector<AreaVertex> finished;
    int finishCalls = 0;
    int parameterDialogs = 0;
};

// The message loop of the modal run, for a dialog created modeless in the test.
void PumpDialog(TestDialog& dlg, int rounds = 10) {
    for (int i = 0; i < rounds; ++i) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (dlg.PreTranslateMessage(&msg)) continue;
            if (::IsDialogMessageW(dlg, &msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

RECT ChildRect(HWND parent, int id) {
    RECT rc{};
    ::GetWindowRect(::GetDlgItem(parent, id), &rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        XMLNode root = gAppConfig.AppConfig();
        if (root.IsNull()) root = gAppConfig.Document().AppendChild("AppConfig");
        root.SetAttributeText("ObjectCountType", "1");
        root.SetAttributeText("SaveData", "0");
        root.SetAttributeText("SaveDataPath", "");
    }
    void TearDown() override { Pump(); }

    ProgramFolderGuard programFolder_;
};

TEST_F(MainDialogTest, CoversTheScreenAndScalesEveryControlWithItsPlace) {
    // The template as laid out before scaling.
    CDialog plain(IDD_ROVA_MTT_DIALOG);
    ASSERT_TRUE(plain.Create(IDD_ROVA_MTT_DIALOG, nullptr));
    const RECT c0 = plain.GetClientRect();

    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_ROVA_MTT_DIALOG, nullptr));
    PumpDialog(dlg);
    RECT window{};
    ::GetWindowRect(dlg, &window);
    const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    EXPECT_EQ(window.right, sw);
    EXPECT_EQ(window.bottom, sh);
    const RECT c1 = dlg.GetClientRect();
    const double sx = double(c1.right) / c0.right, sy = double(c1.bottom) / c0.bottom;
    EXPECT_DOUBLE_EQ(dlg.ScaleFactor(), std::min(sx, sy));

    for (int id : {IDC_STATIC_TITLE, IDC_BTN_CLOSE, IDC_BTN_PAUSE, IDC_BTN_DETECT_DEVICE, IDC_BTN_START,
                   IDC_BTN_AREA_MONITOR, IDC_BTN_MODE_SWITCH, IDC_BTN_PLAYBACK, IDC_BTN_SAVE_DATA, IDC_BTN_SAVE_PATH,
                   IDC_STATIC_TARGET, IDC_STATIC_TARGET1, IDC_STATIC_TARGET2, IDC_STATIC_TARGET3, IDC_TARGET_VIEW}) {
        const RECT r0 = ChildRect(plain, id), r1 = ChildRect(dlg, id);
        SCOPED_TRACE(id);
        EXPECT_NEAR(r1.left, r0.left * sx, 1.0);
        EXPECT_NEAR(r1.right, r0.right * sx, 1.0);
        EXPECT_NEAR(r1.top, r0.top * sy, 1.0);
        EXPECT_NEAR(r1.bottom, r0.bottom * sy, 1.0);
    }
    // The label font follows the smaller factor: 8 points times it, truncated.
    LOGFONTW lf{};
    ASSERT_TRUE(::GetObjectW(dlg.Label(IDC_STATIC_TARGET1).GetLabelFont(), sizeof(lf), &lf));
    HDC screen = ::GetDC(nullptr);
    EXPECT_EQ(lf.lfHeight, -::MulDiv(int(8 * std::min(sx, sy)), ::GetDeviceCaps(screen, LOGPIXELSY), 72));
    ::ReleaseDC(nullptr, screen);
    EXPECT_STREQ(lf.lfFaceName, L"黑体");
    ::DestroyWindow(dlg);
}

TEST_F(MainDialogTest, StartsIdleInSingleTargetModeWithTheAboutItem) {
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_ROVA_MTT_DIALOG, nullptr));
    PumpDialog(dlg);
    for (int id : {IDC_BTN_START, IDC_BTN_MODE_SWITCH, IDC_BTN_PAUSE})
        EXPECT_FALSE(::IsWindowEnabled(dlg.GetDlgItem(id))) << id;
    for (int id : {IDC_BTN_DETECT_DEVICE, IDC_BTN_AREA_MONITOR, IDC_BTN_PLAYBACK, IDC_BTN_SAVE_DATA, IDC_BTN_SAVE_PATH})
        EXPECT_TRUE(::IsWindowEnabled(dlg.GetDlgItem(id))) << id;
    EXPECT_FALSE(::IsWindowVisible(dlg.GetDlgItem(IDC_BTN_PAUSE)));
    EXPECT_EQ(dlg.Button(IDC_BTN_MODE_SWITCH).GetCheck(), 1);
    EXPECT_TRUE(::IsWindowVisible(dlg.GetDlgItem(IDC_STATIC_TARGET)));
    for (int id : {IDC_STATIC_TARGET1, IDC_STATIC_TARGET2, IDC_STATIC_TARGET3})
        EXPECT_FALSE(::IsWindowVisible(dlg.GetDlgItem(id)));
    EXPECT_TRUE(dlg.Label(IDC_STATIC_TITLE).HasImage());
    EXPECT_EQ(dlg.Button(IDC_BTN_SAVE_DATA).GetCheck(), 0);

    // The About item sits in the system menu where the platform gives the window one.
    if (HMENU menu = ::GetSystemMenu(dlg, FALSE)) {
        wchar_t text[64] = {};
        ASSERT_GT(::GetMenuStringW(menu, CROVAMTTDlg::kAboutCommand, text, 64, MF_BYCOMMAND), 0);
        EXPECT_STREQ(text, L"About(&A)...");
    }
    // Its command opens the About box, owned by the console, naming the build's version.
    std::atomic<bool> aboutSeen{false};
    std::wstring aboutText;
    std::thread closer([&] {
        for (int i = 0; i < 250 && !aboutSeen; ++i) {
            HWND box = ::FindWindowW(L"#32770", L"About ROVA MTT");
            if (box && ::IsWindowVisible(box)) {
                for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
                    wchar_t text[256] = {};
                    ::GetWindowTextW(child, text, 256);
                    aboutText += text;
                }
                aboutSeen = ::GetWindow(box, GW_OWNER) == dlg.GetSafeHwnd();
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                break;
            }
            ::Sleep(20);
        }
    });
    ::SendMessageW(dlg, WM_SYSCOMMAND, CROVAMTTDlg::kAboutCommand, 0);
    closer.join();
    EXPECT_TRUE(aboutSeen);
    const std::string version = ROVA_VERSION_TEXT;
    EXPECT_NE(aboutText.find(L"Version " + std::wstring(version.begin(), version.end())), std::wstring::npos)
        << "About box text: " << aboutText;
    // The free surface is the dialog colour and drags the window.
    const RECT view = ChildRect(dlg, IDC_TARGET_VIEW);
    EXPECT_EQ(ClientPixel(dlg, view.left / 2, view.bottom - 2), RGB(42, 50, 60));
    EXPECT_EQ(::SendMessageW(dlg, WM_NCHITTEST, 0, MAKELPARAM(view.left / 2, view.bottom - 2)), HTCAPTION);
    EXPECT_FALSE(::GetWindowTextLengthW(dlg.GetDlgItem(IDC_BTN_START))) << "captions are in the artwork";
    ::DestroyWindow(dlg);
}

TEST_F(MainDialogTest, MultiTargetModeAndSaveDataComeFromTheSettings) {
    gAppConfig.AppConfig().SetAttributeText("ObjectCountType", "3");
    gAppConfig.AppConfig().SetAttributeText("SaveData", "7");
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_ROVA_MTT_DIALOG, nullptr));
    PumpDialog(dlg);
    EXPECT_EQ(dlg.Button(IDC_BTN_MODE_SWITCH).GetCheck(), 0);
    EXPECT_FALSE(::IsWindowVisible(dlg.GetDlgItem(IDC_STATIC_TARGET)));
    for (int id : {IDC_STATIC_TARGET1, IDC_STATIC_TARGET2, IDC_STATIC_TARGET3})
        EXPECT_TRUE(::IsWindowVisible(dlg.GetDlgItem(id)));
    EXPECT_EQ(dlg.Button(IDC_BTN_SAVE_DATA).GetCheck(), 1);
    EXPECT_EQ(dlg.Settings().saveData, 1) << "any nonzero flag reads back as 1";
    ::DestroyWindow(dlg);
}

// The save folder chosen in the last session is the one at start, unless its folder cannot be made.
TEST_F(MainDialogTest, SavePathOfTheLastSessionIsKeptWhenItsFolderCanBeMade) {
    TempFolder dir;
    const std::wstring chosen = dir.file(L"chosen\\folder");
    const std::wstring file = dir.file(L"a file");
    FILE* blocker = _wfopen(file.c_str(), L"wb");
    ASSERT_NE(blocker, nullptr);
    fclose(blocker);
    const struct {
        std::wstring stored, expected;
    } cases[] = {
        {chosen, chosen},
        {file + L"\\below", ProgramFileW(L"SaveData")},
        {L"", ProgramFileW(L"SaveData")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(TempFolder::narrow(c.stored));
        gAppConfig.AppConfig().SetAttributeText("SaveDataPath", TempFolder::narrow(c.stored).c_str());
        TestDialog dlg;
        ASSERT_TRUE(dlg.Create(IDD_ROVA_MTT_DIALOG, nullptr));
        PumpDialog(dlg, 2);
        EXPECT_EQ(std::wstring(dlg.WorkingSavePath()), c.expected);
        ::DestroyWindow(dlg);
    }
}

TEST_F(MainDialogTest, EnterAndEscapeKeepItOpenAndOnlyCtrlF2OpensTheParameterDialog) {
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_ROVA_MTT_DIALOG, nullptr));
    ::SetForegroundWindow(dlg);
    PumpDialog(dlg);
    for (WORD key : {VK_ESCAPE, VK_RETURN, VK_F2})
        KeyPress(key);
    PumpDialog(dlg, 20);
    EXPECT_TRUE(::IsWindowVisible(dlg));
    EXPECT_EQ(dlg.parameterDialogs, 0);
    Key(VK_CONTROL, false);
    KeyPress(VK_F2);
    Key(VK_CONTROL, true);
    PumpDialog(dlg, 20);
    EXPECT_EQ(dlg.parameterDialogs, 1);
    KeyPress(VK_F2);  // Ctrl is up again
    PumpDialog(dlg, 20);
    EXPECT_EQ(dlg.parameterDialogs, 1);
    ::DestroyWindow(dlg);
}

TEST_F(MainDialogTest, ClicksOnTheViewCapturePolygonPointsAndARightClickHandsThemOver) {
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_ROVA_MTT_DIALOG, nullptr));
    ::SetForegroundWindow(dlg);
    PumpDialog(dlg);
    HWND view = dlg.GetDlgItem(IDC_TARGET_VIEW);
    const RECT fan = dlg.FanRect();
    ASSERT_GT(fan.right - fan.left, 100);
    const POINT inView[] = {
        {fan.left + 100, fan.top + 50}, {fan.left + 300, fan.top + 60}, {fan.left + 200, fan.top + 250}};

    dlg.BeginPolygonCapture(CaptureLightArea);
    EXPECT_EQ(::GetCapture(), dlg.GetSafeHwnd());
    EXPECT_EQ(::SendMessageW(dlg, WM_NCHITTEST, 0, MAKELPARAM(2, 600)), HTCLIENT) << "no dragging while capturing";
    for (const POINT& p : inView) {
        POINT screen = p;
        ::ClientToScreen(view, &screen);
        Click(screen);
        PumpDialog(dlg, 3);
        EXPECT_EQ(ClientPixel(view, p.x, p.y), RGB(255, 0, 0)) << "red feedback dot";
    }
    ASSERT_EQ(dlg.Capture().Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dlg.Capture().At(i), (AreaVertex{inView[i].y - fan.top, inView[i].x - fan.left})) << i;
    }
    // A feedback line joins the first two points.
    const POINT mid{(inView[0].x + inView[1].x) / 2, (inView[0].y + inView[1].y) / 2};
    EXPECT_EQ(ClientPixel(view, mid.x, mid.y), RGB(255, 0, 0));

    POINT rightAt{inView[2].x, inView[2].y};
    ::ClientToScreen(view, &rightAt);
    MouseMove(rightAt);
    RightDown();
    RightUp();
    PumpDialog(dlg, 5);
    ASSERT_EQ(dlg.finishCalls, 1);
    EXPECT_EQ(dlg.finishedMode, CaptureLightArea);
    ASSERT_EQ(dlg.finished.size(), 3u);
    EXPECT_EQ(dlg.finished[2], (AreaVertex{inView[2].y - fan.top, inView[2].x - fan.left}));
    EXPECT_FALSE(dlg.Capture().Active());
    EXPECT_NE(::GetCapture(), dlg.GetSafeHwnd());
    EXPECT_EQ(::SendMessageW(dlg, WM_NCHITTEST, 0, MAKELPARAM(2, 600)), HTCAPTION);

    // Fewer than three points are dropped; points outside the fan are ignored.
    dlg.BeginPolygonCapture(CaptureDetectArea);
    POINT outside{fan.right + 5, fan.top + 5};
    ::MapWindowPoints(view, dlg, &outside, 1);
    ::SendMessageW(dlg, WM_LBUTTONUP, 0, MAKELPARAM(outside.x, outside.y));
    EXPECT_EQ(dlg.Capture().Count(), 0);
    POINT inside = inView[0];
    ::MapWindowPoints(view, dlg, &inside, 1);
    for (int i = 0; i < 2; ++i)
        ::SendMessageW(dlg, WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));
    ::SendMessageW(dlg, WM_RBUTTONDOWN, 0, 0);
    EXPECT_EQ(dlg.finishCalls, 1);
    EXPECT_FALSE(dlg.Capture().Active());

    // The 1000th click is stored, later ones are not.
    dlg.BeginPolygonCapture(CaptureDetectArea);
    for (int i = 0; i < 1001; ++i)
        ::SendMessageW(dlg, WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));
    EXPECT_EQ(dlg.Capture().Count(), 1000);
    ::SendMessageW(dlg, WM_RBUTTONDOWN, 0, 0);
    EXPECT_EQ(dlg.finishCalls, 2);
    EXPECT_EQ(dlg.finished.size(), 1000u);
    EXPECT_EQ(dlg.finishedMode, CaptureDetectArea);
    ::DestroyWindow(dlg);
}

// GDI objects of this process. Where GetGuiResources does not count (Wine answers 0), the handle
// table is walked instead: a handle given by its table slot alone names the live object there.
DWORD CountGdiObjects() {
    if (const DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) return n;
    DWORD n = 0;
    for (uintptr_t slot = 4; slot < 0x10000; slot += 4)
        n += ::GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0;
    return n;
}

// Runs the dialog modally while another thread operates it like a user once it is shown.
INT_PTR RunModal(const std::function<void(HWND)>& operate) {
    std::atomic<bool> stop{false};
    std::thread user([&] {
        HWND hwnd = nullptr;
        for (int i = 0; i < 500 && !stop; ++i) {
            hwnd = ::FindWindowW(L"ROVA_MTT", nullptr);
            if (hwnd && ::IsWindowVisible(hwnd)) break;
            ::Sleep(20);
        }
        if (!hwnd) return;
        ::Sleep(300);
        operate(hwnd);
    });
    TestDialog dlg;
    const INT_PTR result = dlg.DoModal();
    stop = true;
    user.join();
    return result;
}

TEST_F(MainDialogTest, CloseButtonAndAltF4EndTheModalRunWithoutLeakingGdiObjects) {
    const auto clickClose = [](HWND hwnd) { Click(CentreOf(::GetDlgItem(hwnd, IDC_BTN_CLOSE))); };
    const auto altF4 = [](HWND hwnd) {
        ::SetForegroundWindow(hwnd);
        Key(VK_MENU, false);
        KeyPress(VK_F4);
        Key(VK_MENU, true);
    };
    // Two runs first: the caches of the platform's GDI and GDI+ fill there.
    for (int i = 0; i < 2; ++i) EXPECT_EQ(RunModal(clickClose), IDCANCEL);
    Pump();
    const DWORD before = CountGdiObjects();
    ASSERT_GT(before, 0u);
    constexpr int kRuns = 6;
    for (int i = 0; i < kRuns; ++i) EXPECT_EQ(RunModal(i % 2 ? clickClose : altF4), IDCANCEL);
    Pump();
    const DWORD after = CountGdiObjects();
    // The platform's caches move by a few objects either way; anything the dialog leaked would
    // grow the count by at least one object per run.
    EXPECT_LT(static_cast<int>(after) - static_cast<int>(before), kRuns) << before << " before, " << after << " after";
}

}  // namespace
