#include "DialogTemplate.h"

#include <cstring>

CDialogTemplate::CDialogTemplate(DWORD style, short cx, short cy, const wchar_t* title, const wchar_t* font,
                                 WORD pointSize) {
    DLGTEMPLATE header{};
    header.style = style | DS_SETFONT;
    header.cx = cx;
    header.cy = cy;
    words_.resize(sizeof header / sizeof(WORD));
    memcpy(words_.data(), &header, sizeof header);
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
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.dwExtendedStyle = exStyle;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.id = id;
    const size_t at = words_.size();
    words_.resize(at + sizeof item / sizeof(WORD));
    memcpy(words_.data() + at, &item, sizeof item);
    AddString(windowClass);
    AddString(text);
    words_.push_back(0);  // no creation data
    reinterpret_cast<DLGTEMPLATE*>(words_.data())->cdit += 1;
}
