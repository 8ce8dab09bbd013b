#include "controls/DigitalEdit.h"

#include <vector>

#include "framework/Dialog.h"

namespace {

constexpr wchar_t kTitleInputError[] = L"Input Error";
// Class atom of the system dialog class.
constexpr ULONG_PTR kDialogClassAtom = 0x8002;

std::wstring WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int got = ::GetWindowTextW(hwnd, buffer.data(), length + 1);
    return std::wstring(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
}

}  // namespace

CDigitalEdit::CDigitalEdit() noexcept {
    // A warning must stay readable while the operator types on in the box.
    m_balloon.SetFadeOnFocusLoss(false);
}

std::wstring CDigitalEdit::GetText() const {
    return WindowText(m_hWnd);
}

void CDigitalEdit::SetText(const std::wstring& text) {
    ::SetWindowTextW(m_hWnd, text.c_str());
}

int CDigitalEdit::ShowBalloonTip(const wchar_t* title, const wchar_t* text, int icon) {
    if (!m_balloon.GetSafeHwnd()) m_balloon.CreateBalloon(m_hWnd);
    RECT rect = GetClientRect();
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    m_balloon.ShowBalloon(POINT{rect.left, rect.bottom - 2}, title, text, icon);
    return 1;
}

int CDigitalEdit::CheckValueRange(const wchar_t* text, std::wstring& correction) {
    const RangeVerdict verdict = m_logic.CheckValueRange(text ? text : L"");
    if (verdict.showBalloon) ShowBalloonTip(verdict.title.c_str(), verdict.message.c_str(), verdict.icon);
    if (!verdict.passed) correction = verdict.correction;
    return verdict.passed ? 1 : 0;
}

LRESULT CDigitalEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CHAR:
        return OnChar(msg, wParam, lParam);
    case WM_KEYDOWN:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
        return OnEditingKeyOrCommand(msg, wParam, lParam);
    default:
        return CWnd::WindowProc(msg, wParam, lParam);
    }
}

LRESULT CDigitalEdit::OnChar(UINT msg, WPARAM wParam, LPARAM lParam) {
    const wchar_t ch = static_cast<wchar_t>(wParam);
    const std::wstring oldText = GetText();
    DWORD selStart = 0;
    DWORD selEnd = 0;
    ::SendMessageW(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    m_suppressChange = 1;
    const LRESULT result = Default(msg, wParam, lParam);
    const TypedCharVerdict verdict = m_logic.CheckTypedChar(ch, GetText());
    if (!verdict.accepted) {
        ShowBalloonTip(kTitleInputError, verdict.message.c_str(), BalloonIconError);
        SetText(oldText);
        // The caret goes back where it was, so the operator can type on.
        ::SendMessageW(m_hWnd, EM_SETSEL, selStart, selEnd);
        return result;
    }
    m_dirty = 1;
    if ((ch == L'\t' || ch == L'\r') && ParentIsDialog()) ::SendMessageW(::GetParent(m_hWnd), WM_NEXTDLGCTL, 0, 0);
    return result;
}

LRESULT CDigitalEdit::OnEditingKeyOrCommand(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Delete, Shift+Insert, Shift+Delete and the context menu change the text without a typed
    // character; such a change must still be checked when the operator leaves the box, or the
    // box could keep a value outside its hard bounds.
    const std::wstring before = GetText();
    const LRESULT result = Default(msg, wParam, lParam);
    if (GetText() != before) m_dirty = 1;
    return result;
}

bool CDigitalEdit::ParentIsDialog() const {
    HWND parent = ::GetParent(m_hWnd);
    if (!parent) return false;
    if (dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(parent))) return true;
    return ::GetClassLongPtrW(parent, GCW_ATOM) == kDialogClassAtom;
}

bool CDigitalEdit::OnChildNotify(UINT msg, WPARAM wParam, LPARAM, LRESULT* result) {
    if (msg != WM_COMMAND) return false;
    switch (HIWORD(wParam)) {
    case EN_CHANGE:
        *result = 0;
        return m_suppressChange != 0;
    case EN_KILLFOCUS:
        *result = 0;
        // A focus loss without an edit is nobody's business; after a commit the parent sees it.
        return !OnCommit();
    default:
        return false;
    }
}

bool CDigitalEdit::OnCommit() {
    if (!m_dirty) return false;
    m_dirty = 0;
    std::wstring correction;
    const bool passed = CheckValueRange(GetText().c_str(), correction) != 0;
    // The corrected text is written while the box's own notification is still withheld, and the
    // parent gets the one EN_CHANGE of this commit below in both cases.
    if (!passed) SetText(correction);
    m_suppressChange = 0;
    ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hWnd), EN_CHANGE),
                   reinterpret_cast<LPARAM>(m_hWnd));
    m_suppressChange = 1;
    return true;
}

void SetDlgItemDouble(HWND dialog, int controlId, double value) {
    ::SetDlgItemTextW(dialog, controlId, CDigitalEditLogic::FormatDialogDouble(value).c_str());
}

double GetDlgItemDouble(HWND dialog, int controlId) {
    return CDigitalEditLogic::ParseDecimal(WindowText(::GetDlgItem(dialog, controlId)).c_str());
}
