#pragma once
// The console's main window: a borderless dialog covering the screen.
#include <windows.h>

#include "app/RootSettings.h"
#include "framework/Dialog.h"

class CROVAMTTDlg : public CDialog {
public:
    CROVAMTTDlg() noexcept;
    ~CROVAMTTDlg() override;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape never close the console.
    void OnOK() override {}
    void OnCancel() override {}
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    BOOL OnEraseBkgnd(HDC dc);
    void OnDestroy();
    void LoadRootSettings();
    void SaveRootSettings();

    RootSettings m_settings;
    wchar_t m_savePath[MAX_PATH] = {};
};
