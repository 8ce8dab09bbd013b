#pragma once
// A drawing target of the Gdiplus_ helpers: a GDI+ graphics object plus the status of the last
// failed GDI+ call made on it.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

class CGdipBitmap;

class CGdipGraphics {
public:
    // Draws on a device context; a refused creation is kept as the last status.
    explicit CGdipGraphics(HDC dc) noexcept;
    // Draws on an image; a refused creation is kept as the last status here and in the image.
    explicit CGdipGraphics(CGdipBitmap& image) noexcept;
    ~CGdipGraphics();
    CGdipGraphics(const CGdipGraphics&) = delete;
    CGdipGraphics& operator=(const CGdipGraphics&) = delete;

    bool IsValid() const noexcept { return m_native != nullptr; }
    Gdiplus::GpGraphics* Native() const noexcept { return m_native; }

    Gdiplus::Status Record(Gdiplus::Status status) noexcept;
    Gdiplus::Status TakeLastStatus() noexcept;
    Gdiplus::Status PeekLastStatus() const noexcept { return m_lastStatus; }

private:
    Gdiplus::GpGraphics* m_native = nullptr;
    Gdiplus::Status m_lastStatus = Gdiplus::Ok;
};
