// Builds a dialog template in memory, so the dialogs need no resource script.
#pragma once

#include <windows.h>

#include <vector>

class CDialogTemplate {
public:
    CDialogTemplate(DWORD style, short cx, short cy, const wchar_t* title, const wchar_t* font, WORD pointSize);
    void AddControl(const wchar_t* windowClass, WORD id, const wchar_t* text, DWORD style, short x, short y, short cx,
                    short cy, DWORD exStyle = 0);
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void AddString(const wchar_t* text);
    void Align();

    std::vector<WORD> words_;
};
