#pragma once
// Windows colour values (red in the low byte) become opaque GDI+ ARGB where they enter drawing.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

inline Gdiplus::ARGB ArgbFromColorRef(COLORREF color) noexcept {
    return 0xFF000000u | (static_cast<Gdiplus::ARGB>(GetRValue(color)) << 16) |
           (static_cast<Gdiplus::ARGB>(GetGValue(color)) << 8) | GetBValue(color);
}
