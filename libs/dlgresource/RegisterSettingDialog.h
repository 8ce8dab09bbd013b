// The register-setting dialog: one labelled field per named register of the record. OK checks
// every field and writes them all into the record; Cancel leaves the record untouched.
#pragma once

#include <windows.h>

struct tagRADARPARAMETER;

class CRegisterSettingDialog {
public:
    explicit CRegisterSettingDialog(tagRADARPARAMETER& record) : record_(record) {}
    INT_PTR DoModal(HWND parent);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void OnInitDialog();
    void OnOk();
    void OnDefaults();

    HWND window_ = nullptr;
    tagRADARPARAMETER& record_;
};
