#pragma once
// A notice for the operator that waits for nobody: a small modeless window over the console
// (caption "Prompt", the text, OK), shown while the console goes on (a run started by itself goes
// on streaming behind it). OK or the close box only hide it; a later notice adds its text.
#include <string>

#include "framework/Dialog.h"

class CNoticeDlg : public CDialog {
public:
    CNoticeDlg() noexcept;

    // Shows text over owner, under the notices shown before; false when the window cannot be made.
    bool Show(HWND owner, const std::wstring& text);
    const std::wstring& Text() const noexcept { return m_text; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { ShowWindow(SW_HIDE); }
    void OnCancel() override { ShowWindow(SW_HIDE); }

private:
    std::wstring m_text;
};
