#include "DialogTemplate.h"


CDialogTemplate::CDialogTemplate(DWORD style, short cx, short cy, const wchar_t* title, const wchar_t* font,
                                 WORD pointSize) {
    // DLGTEMPLATE field by field: the structure is 18 bytes on disk but may be padded in C++.
    style |= DS_SETFONT;
    words_ = {LOWORD(style), HIWORD(style), 0, 0, 0, 0, 0, static_cast<WORD>(cx), static_cast<WORD>(cy)};
    words_.push_back(0);  // no menu
    words_.push_back(0);  // default class
    AddString(title);
    words_.push_back(pointSize);
    AddString(font);
}

void CDialogTemplate::AddString(const wchar_t* text) {
    for (const wchar_t* p = text ? text : L""; *p; ++p) words_.push_back(static_cast<WORD>(*p));
    words_.push_back(0);
}

void CDialogTemplate::Align() {
    if (words_.size() % 2) words_.push_back(0);  // DWORD alignment
}

void CDialogTemplate::AddControl(const wchar_t* windowClass, WORD id, const wchar_t* text, DWORD style, short x,
                                 short y, short cx, short cy, DWORD exStyle) {
    Align();
    style |= WS_CHILD | WS_VISIBLE;
    for (WORD w : {LOWORD(style), HIWORD(style), LOWORD(exStyle), HIWORD(exStyle), static_cast<WORD>(x),
                   static_cast<WORD>(y), static_cast<WORD>(cx), static_cast<WORD>(cy), id})
        words_.push_back(w);
    AddString(windowClass);
    AddString(text);
    words_.push_back(0);  // no creation data
    words_[4] += 1;  // cdit
}
