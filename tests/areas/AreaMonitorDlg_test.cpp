#include "areas/AreaMonitorDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"

namespace {

// Records every listener call as text, colours in hex.
class RecordingListener : public IAreaMonitorDlgListener {
public:
    void OnApplyGateRange(double gateMin, double gateMax, uint64_t context) override {
        Add("Apply " + Num(gateMin) + " " + Num(gateMax), context);
    }
    void OnAddLightArea(uint32_t inactive, uint32_t active, uint64_t context) override {
        Add("AddLight " + Hex(inactive) + " " + Hex(active), context);
    }
    void OnClearLightArea(uint64_t context) override { Add("ClearLight", context); }
    void OnSetDetectArea(uint32_t inactive, uint32_t active, uint64_t context) override {
        Add("SetDetect " + Hex(inactive) + " " + Hex(active), context);
    }
    void OnDelDetectArea(uint64_t context) override { Add("DelDetect", context); }

    std::vector<std::string> calls;

private:
    void Add(const std::string& call, uint64_t context) { calls.push_back(call + " @" + std::to_string(context)); }
    static std::string Num(double v) {
        char b[32];
        snprintf(b, sizeof b, "%g", v);
        return b;
    }
    static std::string Hex(uint32_t v) {
        char b[16];
        snprintf(b, sizeof b, "%06X", v);
        return b;
    }
};

// The dialog with the platform colour chooser replaced by a scripted answer.
class ScriptedChooserDlg : public CAreaMonitorDlg {
public:
    bool answer = true;
    COLORREF pick = 0;
    COLORREF offered = 0xDEADBEEF;
    int chooserRuns = 0;

protected:
    bool RunColorChooser(COLORREF* color) override {
        ++chooserRuns;
        offered = *color;
        if (answer) *color = pick;
        return answer;
    }
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring Text(HWND dialog, int id) {
    wchar_t buffer[64] = {};
    GetDlgItemTextW(dialog, id, buffer, 64);
    return buffer;
}

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void DoubleClick(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, STN_DBLCLK), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

struct AreaMonitorDlgFixture : ::testing::Test {
    ScriptedChooserDlg dlg;
    RecordingListener listener;

    void Make(int32_t detectAreaEnable, bool withListener = true) {
        dlg.gateMin = 2.0;
        dlg.gateMax = 25.5;
        dlg.dlgGateCount = 32;
        dlg.detectAreaEnable = detectAreaEnable;
        ASSERT_TRUE(dlg.Create(nullptr));
        if (withListener) {
            dlg.listener = &listener;
            dlg.context = 77;
        }
    }
};

TEST_F(AreaMonitorDlgFixture, CreatedHiddenWithTheGateRangeAndDefaultColours) {
    Make(0);
    EXPECT_FALSE(IsWindowVisible(dlg));
    EXPECT_EQ(Text(dlg, IDC_EDIT_GATE_MIN), L"2");
    EXPECT_EQ(Text(dlg, IDC_EDIT_GATE_MAX), L"25.5");
    EXPECT_EQ(dlg.GateMinEdit().GetValueType(), DigitalValueDouble);
    EXPECT_EQ(dlg.GateMaxEdit().GetValueType(), DigitalValueDouble);
    EXPECT_EQ(dlg.InactiveSwatch().GetBackgroundColor(), 0xFFFF00u);
    EXPECT_EQ(dlg.ActiveSwatch().GetBackgroundColor(), 0x54DCu);
}

TEST_F(AreaMonitorDlgFixture, DetectAreaButtonsFollowTheEnableFlag) {
    Make(0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_BTN_SET_DETECT_AREA)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_BTN_DEL_DETECT_AREA)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_BTN_ADD_LIGHT_AREA)));
    ScriptedChooserDlg enabled;
    enabled.detectAreaEnable = 5;
    ASSERT_TRUE(enabled.Create(nullptr));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(enabled, IDC_BTN_SET_DETECT_AREA)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(enabled, IDC_BTN_DEL_DETECT_AREA)));
}

TEST_F(AreaMonitorDlgFixture, GateEditsAcceptZeroToCountMinusTwoAndOneToCountMinusOne) {
    Make(0);
    struct {
        const CDigitalEdit& edit;
        const wchar_t* text;
        bool passes;
    } const cases[] = {{dlg.GateMinEdit(), L"0", true},   {dlg.GateMinEdit(), L"30", true},
                       {dlg.GateMinEdit(), L"30.5", false}, {dlg.GateMinEdit(), L"-0.1", false},
                       {dlg.GateMaxEdit(), L"1", true},   {dlg.GateMaxEdit(), L"31", true},
                       {dlg.GateMaxEdit(), L"0.9", false},  {dlg.GateMaxEdit(), L"31.01", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.edit.Logic().CheckValueRange(c.text).passed, c.passes) << (&c.edit == &dlg.GateMinEdit() ? "min " : "max ")
                                                                          << std::string(c.text, c.text + wcslen(c.text));
    }
}

TEST_F(AreaMonitorDlgFixture, ButtonsCallTheListenerWithColoursAndContext) {
    Make(1);
    SetDlgItemTextW(dlg, IDC_EDIT_GATE_MIN, L"20");
    SetDlgItemTextW(dlg, IDC_EDIT_GATE_MAX, L"3.5");
    for (int id : {IDC_BTN_APPLY_GATE, IDC_BTN_ADD_LIGHT_AREA, IDC_BTN_CLEAR_LIGHT_AREA, IDC_BTN_SET_DETECT_AREA,
                   IDC_BTN_DEL_DETECT_AREA}) {
        Click(dlg, id);
    }
    EXPECT_EQ(listener.calls, (std::vector<std::string>{"Apply 20 3.5 @77", "AddLight FFFF00 0054DC @77", "ClearLight @77",
                                                         "SetDetect FFFF00 0054DC @77", "DelDetect @77"}));
    EXPECT_EQ(dlg.gateMin, 20.0);
    EXPECT_EQ(dlg.gateMax, 3.5);
}

TEST_F(AreaMonitorDlgFixture, WithoutListenerButtonsDoNothing) {
    Make(1, false);
    SetDlgItemTextW(dlg, IDC_EDIT_GATE_MIN, L"9");
    for (int id = IDC_BTN_APPLY_GATE; id <= IDC_BTN_DEL_DETECT_AREA; ++id) Click(dlg, id);
    EXPECT_EQ(dlg.gateMin, 2.0);
    EXPECT_TRUE(listener.calls.empty());
}

TEST_F(AreaMonitorDlgFixture, SwatchDoubleClickChoosesTheColourAndCancelKeepsIt) {
    Make(0);
    dlg.pick = 0x0000FF;
    DoubleClick(dlg, IDC_STATIC_INACTIVE_COLOR);
    EXPECT_EQ(dlg.offered, 0xFFFF00u);
    EXPECT_EQ(dlg.inactiveColor, 0x0000FFu);
    EXPECT_EQ(dlg.InactiveSwatch().GetBackgroundColor(), 0x0000FFu);

    dlg.answer = false;
    DoubleClick(dlg, IDC_STATIC_ACTIVE_COLOR);
    EXPECT_EQ(dlg.offered, 0x54DCu);
    EXPECT_EQ(dlg.activeColor, 0x54DCu);
    EXPECT_EQ(dlg.ActiveSwatch().GetBackgroundColor(), 0x54DCu);

    dlg.answer = true;
    dlg.pick = 0x123456;
    DoubleClick(dlg, IDC_STATIC_ACTIVE_COLOR);
    Click(dlg, IDC_BTN_ADD_LIGHT_AREA);
    EXPECT_EQ(listener.calls.back(), "AddLight 0000FF 123456 @77");
    EXPECT_EQ(dlg.chooserRuns, 3);

    // The swatch on screen shows the chosen colour.
    dlg.ShowWindow(SW_SHOWNA);
    UpdateWindow(dlg);
    Pump();
    HWND swatch = GetDlgItem(dlg, IDC_STATIC_INACTIVE_COLOR);
    HDC dc = GetDC(swatch);
    const COLORREF shown = GetPixel(dc, 4, 4);
    ReleaseDC(swatch, dc);
    EXPECT_EQ(shown, 0x0000FFu);
}

TEST_F(AreaMonitorDlgFixture, CloseHidesAndShowingAgainKeepsTheValues) {
    Make(0);
    dlg.ShowWindow(SW_SHOWNA);
    SetDlgItemTextW(dlg, IDC_EDIT_GATE_MAX, L"17");
    SendMessageW(dlg, WM_CLOSE, 0, 0);
    Pump();
    ASSERT_TRUE(IsWindow(dlg));
    EXPECT_FALSE(IsWindowVisible(dlg));
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // Enter does not close either
    dlg.ShowWindow(SW_SHOWNA);
    EXPECT_TRUE(IsWindowVisible(dlg));
    EXPECT_EQ(Text(dlg, IDC_EDIT_GATE_MAX), L"17");
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindowVisible(dlg));
}

}  // namespace

namespace {

// Answers the platform colour chooser the way an operator would: types the red, green and blue
// values into its custom-colour fields and presses OK (or Cancel).
struct ChooserScript {
    static inline DWORD thread = 0;
    static inline HWND owner = nullptr;
    static inline bool ok = true;
    static inline COLORREF offered = 0;
    static inline bool found = false;
    static inline int ticks = 0;

    static BOOL CALLBACK FindChooser(HWND hwnd, LPARAM result) {
        if (hwnd != owner && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == owner) {
            *reinterpret_cast<HWND*>(result) = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        HWND chooser = nullptr;
        EnumThreadWindows(thread, FindChooser, reinterpret_cast<LPARAM>(&chooser));
        if (!chooser) {
            // Never leave a modal window the script cannot recognise open: the case would hang.
            HWND active = GetActiveWindow();
            if (++ticks > 50 && active && active != owner) PostMessageW(active, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        KillTimer(nullptr, id);
        found = true;
        const int r = static_cast<int>(GetDlgItemInt(chooser, 706, nullptr, FALSE));
        const int g = static_cast<int>(GetDlgItemInt(chooser, 707, nullptr, FALSE));
        const int b = static_cast<int>(GetDlgItemInt(chooser, 708, nullptr, FALSE));
        offered = RGB(r, g, b);
        if (ok) {
            SetDlgItemInt(chooser, 706, 0x12, FALSE);
            SetDlgItemInt(chooser, 707, 0x34, FALSE);
            SetDlgItemInt(chooser, 708, 0x56, FALSE);
        }
        PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(chooser, ok ? IDOK : IDCANCEL)));
    }
};

TEST(AreaMonitorDlgChooserTest, PlatformChooserStartsAtTheColourAndItsAnswerIsTaken) {
    CAreaMonitorDlg dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    ChooserScript::thread = GetCurrentThreadId();
    ChooserScript::owner = dlg;
    for (bool ok : {true, false}) {
        ChooserScript::ok = ok;
        ChooserScript::found = false;
        ChooserScript::ticks = 0;
        SetTimer(nullptr, 0, 100, ChooserScript::Tick);
        DoubleClick(dlg, IDC_STATIC_ACTIVE_COLOR);
        ASSERT_TRUE(ChooserScript::found);
        EXPECT_EQ(ChooserScript::offered, ok ? 0x54DCu : 0x563412u);
        EXPECT_EQ(dlg.activeColor, 0x563412u);
        EXPECT_EQ(dlg.ActiveSwatch().GetBackgroundColor(), 0x563412u);
    }
    EXPECT_EQ(dlg.inactiveColor, 0xFFFF00u);
}

}  // namespace
