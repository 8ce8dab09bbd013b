#pragma once
// The image object handed out by the Gdiplus_ helpers: a GDI+ bitmap plus the status of the last
// failed GDI+ call made on it. Whoever receives one owns it and frees it with Gdiplus_DeleteBitmap
// (or delete).
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

class CGdipBitmap {
public:
    // Takes ownership of native and, when given, of the stream the bitmap was decoded from: GDI+
    // may read from that stream for as long as the bitmap lives.
    explicit CGdipBitmap(Gdiplus::GpBitmap* native, IStream* source = nullptr) noexcept;
    ~CGdipBitmap();
    CGdipBitmap(const CGdipBitmap&) = delete;
    CGdipBitmap& operator=(const CGdipBitmap&) = delete;

    Gdiplus::GpBitmap* Native() const noexcept { return m_native; }
    Gdiplus::GpImage* NativeImage() const noexcept { return m_native; }

    // Keeps a failure as the last status and hands the status back unchanged.
    Gdiplus::Status Record(Gdiplus::Status status) noexcept;
    // The last status, reset to Ok.
    Gdiplus::Status TakeLastStatus() noexcept;
    Gdiplus::Status PeekLastStatus() const noexcept { return m_lastStatus; }

    int Width() noexcept;
    int Height() noexcept;
    Gdiplus::PixelFormat Format() noexcept;

private:
    Gdiplus::GpBitmap* m_native;
    IStream* m_source;
    Gdiplus::Status m_lastStatus = Gdiplus::Ok;
};
