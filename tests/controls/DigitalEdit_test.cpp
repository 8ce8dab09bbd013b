#include "controls/DigitalEdit.h"

#include <gtest/gtest.h>

#include <vector>

#include "NumericTestIds.h"
#include "WindowTestSupport.h"
#include "framework/Dialog.h"

namespace {

using namespace controls_test;

// A dialog like the area monitor's: a numeric edit bound to an edit of the template, and a
// plain edit that takes the focus away from it. It records what the parent sees of the box.
class CNumericTestDlg : public CDialog {
public:
    CNumericTestDlg() : CDialog(IDD_NUMERIC_TEST) {}
    CDigitalEdit edit;
    std::vector<UINT> notes;  // EN_CHANGE / EN_KILLFOCUS of the numeric edit, in order

protected:
    BOOL OnInitDialog() override {
        BindControl(IDC_NUMERIC_EDIT, edit);
        return TRUE;
    }
    bool OnCommand(UINT id, UINT code, HWND) override {
        if (id == IDC_NUMERIC_EDIT && (code == EN_CHANGE || code == EN_KILLFOCUS)) notes.push_back(code);
        return false;
    }
};

const std::vector<UINT> kOneCommit{EN_CHANGE, EN_KILLFOCUS};

// One dialog serves every case: under Wine each top-level window with a caption costs a wait for
// the window manager when it goes away.
class DigitalEditTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        shared = new CNumericTestDlg;
        if (!shared->Create(IDD_NUMERIC_TEST, nullptr)) return;
        shared->ShowWindow(SW_SHOW);
        SetForegroundWindow(*shared);
    }
    static void TearDownTestSuite() {
        delete shared;
        shared = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(dlg.GetSafeHwnd());
        edit = dlg.GetDlgItem(IDC_NUMERIC_EDIT);
        plain = dlg.GetDlgItem(IDC_PLAIN_EDIT);
        ASSERT_EQ(dlg.edit.GetSafeHwnd(), edit);
        SetForegroundWindow(dlg);
        StartCase(DigitalValueInt32, L"");
        PumpIdle(dlg, 50);
    }

    // What the area monitor dialog does with its gate edits.
    void Configure(int32_t type, double initial, double minimum, double maximum) {
        dlg.edit.SetValueType(type);
        if (type == DigitalValueDouble) {
            dlg.edit.SetMustMin(MakeBoundValue(minimum), 1e-16);
            dlg.edit.SetMustMax(MakeBoundValue(maximum), 1e-16);
        } else if (type == DigitalValueInt32) {
            dlg.edit.SetMustMin(MakeBoundValue(static_cast<int32_t>(minimum)), 0);
            dlg.edit.SetMustMax(MakeBoundValue(static_cast<int32_t>(maximum)), 0);
        }
        SetDlgItemDouble(dlg, IDC_NUMERIC_EDIT, initial);
    }
    void Enter(int selStart, int selEnd) {
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, selStart, selEnd);
    }
    void Type(const std::wstring& chars) {
        for (wchar_t ch : chars) SendMessageW(edit, WM_CHAR, ch, 1);
    }
    void Leave() { SetFocus(plain); }
    int MessageCount() const { return dlg.edit.Balloon().Model().GetMessageCount(); }
    // Back to a clean box between cases of one table: committed, balloon closed by its button,
    // nothing recorded. (Each new dialog would cost a window-manager wait under Wine.)
    void StartCase(int32_t type, const wchar_t* text) {
        Leave();
        if (HWND balloon = dlg.edit.Balloon().GetSafeHwnd()) {
            const RECT close = dlg.edit.Balloon().GetCloseRect();
            SendMessageW(balloon, WM_LBUTTONUP, 0, MAKELPARAM(close.left + 10, close.top + 10));
        }
        ASSERT_EQ(MessageCount(), 0);
        ASSERT_FALSE(dlg.edit.IsDirty());
        dlg.edit.SetValueType(type);
        SetWindowTextW(edit, text);
        dlg.notes.clear();
    }
    const BalloonMessage* TopMessage() const {
        return MessageCount() ? dlg.edit.Balloon().Model().MessageAt(0) : nullptr;
    }

    static inline CNumericTestDlg* shared = nullptr;
    CNumericTestDlg& dlg = *shared;
    HWND edit = nullptr;
    HWND plain = nullptr;
};

TEST_F(DigitalEditTest, InitialTextRaisesNoNotification) {
    Configure(DigitalValueDouble, 7.0, 0.0, 30.0);
    EXPECT_EQ(TextOf(edit), L"7");
    SetDlgItemDouble(dlg, IDC_NUMERIC_EDIT, 7.5);
    EXPECT_EQ(TextOf(edit), L"7.5");
    EXPECT_TRUE(dlg.notes.empty());
    EXPECT_FALSE(dlg.edit.IsDirty());
}

struct TypedCase {
    int32_t type;
    const wchar_t* initial;
    int caret;  // -1: at the end
    wchar_t ch;
    const wchar_t* text;
    const wchar_t* message;  // "" when accepted
};

TEST_F(DigitalEditTest, TypedCharactersAreFilteredAndRejectionsUndone) {
    const TypedCase cases[] = {
        {DigitalValueDouble, L"1.5", -1, L'.', L"1.5", L"Invalid character '.'"},
        {DigitalValueInt32, L"12", -1, L'.', L"12", L"Invalid character '.'"},
        {DigitalValueDouble, L"12", 0, L'-', L"-12", L""},
        {DigitalValueDouble, L"12", 1, L'-', L"12", L"Invalid character '-'"},
        {DigitalValueDouble, L"-12", 0, L'-', L"-12", L"Invalid character '-'"},
        {DigitalValueUInt32, L"12", 0, L'-', L"12", L"Invalid character '-'"},
        {DigitalValueUInt64, L"", 0, L'-', L"", L"Invalid character '-'"},
        {DigitalValueDouble, L"12", -1, L'a', L"12", L"Invalid character 'a'"},
        {DigitalValueDouble, L"12", -1, L' ', L"12", L"Invalid character ' '"},
        {DigitalValueDouble, L"12", 1, L'5', L"152", L""},
        {DigitalValueDouble, L"", 0, L'.', L".", L""},
        {DigitalValueDouble, L"12", -1, L'\b', L"1", L""},
    };
    for (const TypedCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " initial " << testing::PrintToString(std::wstring(c.initial))
                                        << " char " << static_cast<int>(c.ch));
        StartCase(c.type, c.initial);
        CNumericTestDlg& local = dlg;
        HWND box = edit;
        SetFocus(box);
        const int caret = c.caret < 0 ? static_cast<int>(wcslen(c.initial)) : c.caret;
        SendMessageW(box, EM_SETSEL, caret, caret);
        SendMessageW(box, WM_CHAR, c.ch, 1);

        EXPECT_EQ(TextOf(box), c.text);
        const bool rejected = *c.message != 0;
        EXPECT_EQ(local.edit.IsDirty(), !rejected);
        const CBalloonModel& balloon = local.edit.Balloon().Model();
        if (rejected) {
            ASSERT_EQ(balloon.GetMessageCount(), 1);
            EXPECT_EQ(balloon.MessageAt(0)->title, L"Input Error");
            EXPECT_EQ(balloon.MessageAt(0)->text, c.message);
            EXPECT_EQ(balloon.MessageAt(0)->icon, BalloonIconError);
            EXPECT_TRUE(IsWindowVisible(local.edit.Balloon().GetSafeHwnd()));
            // The caret is back where the character went in.
            DWORD start = 0, end = 0;
            SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            EXPECT_EQ(static_cast<int>(start), caret);
            // The balloon never takes the focus.
            EXPECT_EQ(GetFocus(), box);
        } else {
            EXPECT_EQ(balloon.GetMessageCount(), 0);
        }
        EXPECT_TRUE(local.notes.empty());
    }
}

TEST_F(DigitalEditTest, BalloonHangsUnderTheBox) {
    Configure(DigitalValueDouble, 1.0, 0.0, 30.0);
    Enter(-1, -1);
    Type(L"x");
    HWND balloon = dlg.edit.Balloon().GetSafeHwnd();
    ASSERT_TRUE(balloon);
    EXPECT_EQ(dlg.edit.Balloon().GetOwnerWindow(), dlg.GetSafeHwnd());
    RECT client = dlg.edit.GetClientRect();
    MapWindowPoints(edit, nullptr, reinterpret_cast<POINT*>(&client), 2);
    RECT where{};
    GetWindowRect(balloon, &where);
    EXPECT_EQ(where.left, client.left);
    EXPECT_EQ(where.top, client.bottom - 2);
    EXPECT_FALSE(dlg.edit.Balloon().Model().GetFadeOnFocusLoss());
}

struct CommitCase {
    double minimum;
    double maximum;
    const wchar_t* typed;  // replaces the whole text; '\b' erases
    const wchar_t* text;
    const wchar_t* message;  // "" when no balloon
};

TEST_F(DigitalEditTest, CommitCorrectsHardBoundsAndNotifiesOnce) {
    const CommitCase cases[] = {
        {1.0, 30.0, L"35", L"30", L"最大值 Must <= 30"},
        {1.0, 30.0, L"\b", L"1", L"最小值 Must >= 1"},
        {1.0, 30.0, L"12", L"12", L""},
        {1.0, 30.0, L"30", L"30", L""},
        {1.0, 30.0, L".5", L"1", L"最小值 Must >= 1"},
        // The gate edits of the area monitor with 32 gates: 0..30 and 1..31.
        {0.0, 30.0, L"0", L"0", L""},
        {0.0, 30.0, L"31", L"30", L"最大值 Must <= 30"},
        {1.0, 31.0, L"31", L"31", L""},
        {1.0, 31.0, L"0", L"1", L"最小值 Must >= 1"},
        {1.0, 31.0, L"-4", L"1", L"最小值 Must >= 1"},
    };
    for (const CommitCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.typed)));
        StartCase(DigitalValueDouble, L"");
        CNumericTestDlg& local = dlg;
        HWND box = edit;
        local.edit.SetMustMin(MakeBoundValue(c.minimum), 1e-16);
        local.edit.SetMustMax(MakeBoundValue(c.maximum), 1e-16);
        SetDlgItemDouble(local, IDC_NUMERIC_EDIT, 5.0);
        SetFocus(box);
        SendMessageW(box, EM_SETSEL, 0, -1);
        for (const wchar_t* p = c.typed; *p; ++p) SendMessageW(box, WM_CHAR, *p, 1);
        local.notes.clear();
        SetFocus(local.GetDlgItem(IDC_PLAIN_EDIT));

        EXPECT_EQ(TextOf(box), c.text);
        EXPECT_EQ(local.notes, kOneCommit);
        EXPECT_FALSE(local.edit.IsDirty());
        const CBalloonModel& balloon = local.edit.Balloon().Model();
        if (*c.message) {
            ASSERT_GE(balloon.GetMessageCount(), 1);
            EXPECT_EQ(balloon.MessageAt(0)->title, L"Data Invalid");
            EXPECT_EQ(balloon.MessageAt(0)->text, c.message);
            EXPECT_EQ(balloon.MessageAt(0)->icon, BalloonIconError);
        } else {
            EXPECT_EQ(balloon.GetMessageCount(), 0);
        }
    }
}

TEST_F(DigitalEditTest, LeavingWithoutEditingSendsNothing) {
    Configure(DigitalValueDouble, 35.0, 1.0, 30.0);  // out of range, but nobody typed
    Enter(0, -1);
    Leave();
    EXPECT_TRUE(dlg.notes.empty());
    EXPECT_EQ(TextOf(edit), L"35");
    EXPECT_EQ(MessageCount(), 0);
    EXPECT_FALSE(IsWindowVisible(dlg.edit.Balloon().GetSafeHwnd()));

    // Rejected characters are no edit either.
    Enter(-1, -1);
    Type(L"a b");
    EXPECT_FALSE(dlg.edit.IsDirty());
    Leave();
    EXPECT_TRUE(dlg.notes.empty());
    EXPECT_EQ(TextOf(edit), L"35");
}

TEST_F(DigitalEditTest, EveryCommitNotifiesOnce) {
    Configure(DigitalValueDouble, 5.0, 0.0, 30.0);
    Enter(0, -1);
    Type(L"4");
    Leave();
    Enter(0, -1);
    Type(L"45");
    Leave();
    Enter(0, 0);
    Leave();
    const std::vector<UINT> twoCommits{EN_CHANGE, EN_KILLFOCUS, EN_CHANGE, EN_KILLFOCUS};
    EXPECT_EQ(dlg.notes, twoCommits);
    EXPECT_EQ(TextOf(edit), L"30");
}

TEST_F(DigitalEditTest, TabCharacterMovesTheFocusAndCommits) {
    Configure(DigitalValueDouble, 5.0, 0.0, 30.0);
    Enter(0, -1);
    Type(L"7\t");
    EXPECT_NE(GetFocus(), edit);
    EXPECT_EQ(dlg.notes, kOneCommit);
    EXPECT_EQ(TextOf(edit), L"7");
}

// Deleting with the Delete key or pasting through the context menu edits the box as much as
// typing does: its value is still checked when the operator leaves.
TEST_F(DigitalEditTest, DeleteKeyAndPasteAreCheckedAtTheCommit) {
    Configure(DigitalValueDouble, 7.0, 1.0, 30.0);
    Enter(0, 0);
    SendMessageW(edit, WM_KEYDOWN, VK_DELETE, 0);
    SendMessageW(edit, WM_KEYUP, VK_DELETE, 0);
    EXPECT_EQ(TextOf(edit), L"");
    EXPECT_TRUE(dlg.edit.IsDirty());
    Leave();
    EXPECT_EQ(TextOf(edit), L"1");
    EXPECT_EQ(dlg.notes, kOneCommit);

    // Arrow keys move the caret and change nothing.
    Enter(0, 0);
    SendMessageW(edit, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_FALSE(dlg.edit.IsDirty());
    Leave();
    EXPECT_EQ(dlg.notes, kOneCommit);

    ASSERT_TRUE(OpenClipboard(dlg));
    EmptyClipboard();
    const wchar_t pasted[] = L"99";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(pasted));
    ASSERT_TRUE(memory);
    memcpy(GlobalLock(memory), pasted, sizeof(pasted));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    dlg.notes.clear();
    Enter(0, -1);
    SendMessageW(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(edit), L"99");
    Leave();
    EXPECT_EQ(TextOf(edit), L"30");
    EXPECT_EQ(dlg.notes, kOneCommit);
}

TEST_F(DigitalEditTest, RealKeyboardInputIsFilteredAndTabCommits) {
    Configure(DigitalValueDouble, 5.0, 1.0, 30.0);
    SetForegroundWindow(dlg);
    Enter(0, -1);
    PumpIdle(dlg, 50);
    TypeKeys(L"3x5");
    ASSERT_TRUE(PumpUntil([&] { return TextOf(edit) == L"35"; }, dlg)) << "text " << testing::PrintToString(TextOf(edit));
    ASSERT_NE(TopMessage(), nullptr);
    EXPECT_EQ(TopMessage()->text, L"Invalid character 'x'");
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_TRUE(dlg.notes.empty());

    PressKey(VK_TAB);
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() != edit; }, dlg));
    EXPECT_EQ(TextOf(edit), L"30");
    EXPECT_EQ(dlg.notes, kOneCommit);
    EXPECT_EQ(TopMessage()->title, L"Data Invalid");
    EXPECT_EQ(TopMessage()->text, L"最大值 Must <= 30");
    EXPECT_EQ(MessageCount(), 2);
}

TEST_F(DigitalEditTest, DialogItemDoubles) {
    struct Case {
        double value;
        const wchar_t* text;
    };
    for (const Case& c : {Case{7.0, L"7"}, Case{7.5, L"7.5"}, Case{5.004, L"5"}, Case{-0.5, L"-0.5"}}) {
        SetDlgItemDouble(dlg, IDC_PLAIN_EDIT, c.value);
        EXPECT_EQ(TextOf(plain), c.text);
    }
    const std::pair<const wchar_t*, double> reads[] = {{L"12abc", 12.0}, {L"", 0.0}, {L"-.5", -0.5}, {L"x1", 0.0}};
    for (const auto& [text, value] : reads) {
        SetWindowTextW(plain, text);
        EXPECT_DOUBLE_EQ(GetDlgItemDouble(dlg, IDC_PLAIN_EDIT), value) << testing::PrintToString(std::wstring(text));
    }
}

}  // namespace
