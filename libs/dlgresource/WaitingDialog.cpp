#include "WaitingDialog.h"

#include <commctrl.h>

#include "DialogTemplate.h"
#include "DlgResourceIds.h"
#include "DlgText.h"

namespace {
constexpr UINT_PTR kAnimationTimer = 1;
HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}
}  // namespace

CWaitingDialog* CWaitingDialog::Create(HWND owner) {
    CDialogTemplate t(WS_POPUP | WS_BORDER | WS_CAPTION | DS_MODALFRAME, 220, 52, CDlgText::Get(DlgTextId::WaitingTitle),
                      CDlgText::FontFace(), 9);
    t.AddControl(L"STATIC", IDC_WAIT_TEXT, L"", SS_CENTER | SS_NOPREFIX, 8, 8, 204, 18);
    t.AddControl(PROGRESS_CLASSW, IDC_WAIT_PROGRESS, L"", PBS_SMOOTH, 8, 32, 204, 10);
    auto* dialog = new CWaitingDialog;
    dialog->owner_ = owner;
    if (!CreateDialogIndirectParamW(ThisModule(), t.Get(), owner, &CWaitingDialog::DialogProc,
                                    reinterpret_cast<LPARAM>(dialog))) {
        delete dialog;
        return nullptr;
    }
    return dialog;
}

CWaitingDialog::~CWaitingDialog() {
    if (window_) {
        HWND w = window_;
        window_ = nullptr;
        SetWindowLongPtrW(w, DWLP_USER, 0);
        DestroyWindow(w);
    }
}

INT_PTR CALLBACK CWaitingDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CWaitingDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->window_ = window;
        SendDlgItemMessageW(window, IDC_WAIT_PROGRESS, PBM_SETRANGE32, 0, 100);
        return FALSE;
    }
    auto* self = reinterpret_cast<CWaitingDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
    case WM_TIMER:
        if (wParam == kAnimationTimer) self->OnTimer();
        return TRUE;
    case WM_COMMAND:
        return TRUE;  // Enter and Escape do not close it: only its owner hides it
    case WM_NCDESTROY:
        self->window_ = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

void CWaitingDialog::OnTimer() {
    position_ = (position_ + 4) % 104;
    SendDlgItemMessageW(window_, IDC_WAIT_PROGRESS, PBM_SETPOS, position_, 0);
}

void CWaitingDialog::CenterOverOwner() {
    RECT area{}, own{};
    GetWindowRect(window_, &own);
    if (!owner_ || !IsWindowVisible(owner_) || !GetWindowRect(owner_, &area)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int w = own.right - own.left, h = own.bottom - own.top;
    SetWindowPos(window_, HWND_TOP, (area.left + area.right - w) / 2, (area.top + area.bottom - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE);
}

void CWaitingDialog::Show(int progressPercent, const wchar_t* text) {
    if (!window_) return;
    SetDlgItemTextW(window_, IDC_WAIT_TEXT, text ? text : L"");
    if (progressPercent > 0) {
        KillTimer(window_, kAnimationTimer);
        running_ = false;
        SendDlgItemMessageW(window_, IDC_WAIT_PROGRESS, PBM_SETPOS, progressPercent > 100 ? 100 : progressPercent, 0);
    } else if (!running_) {
        running_ = true;
        position_ = 0;
        SetTimer(window_, kAnimationTimer, 80, nullptr);
    }
    CenterOverOwner();
    ShowWindow(window_, SW_SHOWNA);
    // The caller usually blocks right after (opening a device): paint now.
    UpdateWindow(window_);
}

void CWaitingDialog::Hide() {
    if (!window_) return;
    KillTimer(window_, kAnimationTimer);
    running_ = false;
    ShowWindow(window_, SW_HIDE);
}
