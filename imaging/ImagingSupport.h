#pragma once
// Internal helpers shared by the Gdiplus_ functions: file names, clipping, DIB sections and the
// common ways of drawing one image onto another.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <string>

#include "imaging/ImageLayout.h"

class CGdipBitmap;
class CGdipGraphics;

namespace rova::imaging {

// Extension of the last path component without its dot; empty when there is none.
std::wstring FileExtension(const wchar_t* path);
bool FileExists(const wchar_t* path);
// prefix + local date and time (to the millisecond) + suffix + "." + extension.
std::wstring DateFileName(const wchar_t* extension, const wchar_t* prefix, const wchar_t* suffix);
// rect clipped to 0, 0, width, height (possibly empty).
RECT ClipRect(const RECT& rect, int width, int height);
Box ToBox(const RECT& rect);
// A DIB section of width x height (a negative height makes it top-down).
HBITMAP CreateDib(int width, int height, int bitsPerPixel);

// Takes a native bitmap fresh from GDI+ into an image object; null when GDI+ refused it.
CGdipBitmap* Adopt(Gdiplus::Status status, Gdiplus::GpBitmap* native, IStream* source = nullptr);

// Draws source of image into target of graphics in pixel units. Scaled draws sample with the
// edge pixels repeated so the borders of the result do not fade into transparency.
Gdiplus::Status DrawPart(CGdipGraphics& graphics, CGdipBitmap& image, const Box& target, const Box& source,
                         const Gdiplus::GpImageAttributes* attributes = nullptr);

}  // namespace rova::imaging
