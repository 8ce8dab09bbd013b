// The waiting dialog: a small modeless window over its owner with a wide text and a running
// progress bar (animated by a timer, so it runs without visual-style support too).
#pragma once

#include <windows.h>

class CWaitingDialog {
public:
    static CWaitingDialog* Create(HWND owner);
    ~CWaitingDialog();
    CWaitingDialog(const CWaitingDialog&) = delete;
    CWaitingDialog& operator=(const CWaitingDialog&) = delete;

    void Show(int progressPercent, const wchar_t* text);
    void Hide();
    HWND Window() const { return window_; }

private:
    CWaitingDialog() = default;
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void OnTimer();
    void CenterOverOwner();

    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    int position_ = 0;
    bool running_ = false;
};
