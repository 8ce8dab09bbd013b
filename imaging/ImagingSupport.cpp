#include "imaging/ImagingSupport.h"

#include <algorithm>
#include <cwchar>
#include <new>

#include "framework/GdiplusRaii.h"
#include "imaging/GdipBitmap.h"
#include "imaging/GdipGraphics.h"

using namespace Gdiplus;

namespace rova::imaging {

namespace {

using GdipImageAttributesPtr = rova::GdipPtr<GpImageAttributes, DllExports::GdipDisposeImageAttributes>;

}  // namespace

std::wstring FileExtension(const wchar_t* path) {
    if (!path) return {};
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p) {
        if (*p == L'\\' || *p == L'/' || *p == L':') name = p + 1;
    }
    const wchar_t* dot = std::wcsrchr(name, L'.');
    if (!dot) return {};
    std::wstring extension(dot + 1);
    if (extension.size() > 259) extension.resize(259);
    return extension;
}

bool FileExists(const wchar_t* path) {
    if (!path || !*path) return false;
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring DateFileName(const wchar_t* extension, const wchar_t* prefix, const wchar_t* suffix) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    wchar_t stamp[32];
    swprintf(stamp, 32, L"%04u%02u%02u_%02u%02u%02u_%03u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
             now.wSecond, now.wMilliseconds);
    std::wstring name = prefix ? prefix : L"";
    name += stamp;
    if (suffix) name += suffix;
    if (extension && *extension) {
        name += L'.';
        name += extension;
    }
    return name;
}

RECT ClipRect(const RECT& rect, int width, int height) {
    RECT clipped{std::max(rect.left, 0L), std::max(rect.top, 0L), std::min(rect.right, static_cast<LONG>(width)),
                 std::min(rect.bottom, static_cast<LONG>(height))};
    if (clipped.right < clipped.left) clipped.right = clipped.left;
    if (clipped.bottom < clipped.top) clipped.bottom = clipped.top;
    return clipped;
}

Box ToBox(const RECT& rect) {
    return Box{static_cast<int>(rect.left), static_cast<int>(rect.top), static_cast<int>(rect.right - rect.left),
               static_cast<int>(rect.bottom - rect.top)};
}

HBITMAP CreateDib(int width, int height, int bitsPerPixel) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

CGdipBitmap* Adopt(Status status, GpBitmap* native, IStream* source) {
    if (status != Ok || !native) {
        if (native) DllExports::GdipDisposeImage(native);
        if (source) source->Release();
        return nullptr;
    }
    CGdipBitmap* image = new (std::nothrow) CGdipBitmap(native, source);
    if (!image) {
        DllExports::GdipDisposeImage(native);
        if (source) source->Release();
    }
    return image;
}

Status DrawPart(CGdipGraphics& graphics, CGdipBitmap& image, const Box& target, const Box& source,
                const GpImageAttributes* attributes) {
    GdipImageAttributesPtr edgeRepeat;
    const bool scaled = target.width != source.width || target.height != source.height;
    if (!attributes && scaled &&
        DllExports::GdipCreateImageAttributes(edgeRepeat.out()) == Ok &&
        DllExports::GdipSetImageAttributesWrapMode(edgeRepeat.get(), WrapModeTileFlipXY, 0, FALSE) == Ok) {
        attributes = edgeRepeat.get();
    }
    return graphics.Record(DllExports::GdipDrawImageRectRectI(graphics.Native(), image.NativeImage(), target.x, target.y,
                                                              target.width, target.height, source.x, source.y,
                                                              source.width, source.height, UnitPixel, attributes,
                                                              nullptr, nullptr));
}

}  // namespace rova::imaging
