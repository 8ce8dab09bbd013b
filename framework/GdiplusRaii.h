#pragma once
// Owners for GDI+ flat-API objects and the GDI+ session token.
#include <windows.h>
// objidl.h is left out by WIN32_LEAN_AND_MEAN but GDI+ needs it.
#include <objidl.h>
#include <gdiplus.h>
#include <utility>

namespace rova {

template <class T, Gdiplus::GpStatus (WINGDIPAPI* Destroy)(T*)>
class GdipPtr {
public:
    GdipPtr() noexcept = default;
    explicit GdipPtr(T* p) noexcept : m_p(p) {}
    ~GdipPtr() { reset(); }
    GdipPtr(const GdipPtr&) = delete;
    GdipPtr& operator=(const GdipPtr&) = delete;
    GdipPtr(GdipPtr&& o) noexcept : m_p(o.release()) {}
    GdipPtr& operator=(GdipPtr&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    T* get() const noexcept { return m_p; }
    T** out() noexcept {
        reset();
        return &m_p;
    }
    explicit operator bool() const noexcept { return m_p != nullptr; }
    T* release() noexcept { return std::exchange(m_p, nullptr); }
    void reset(T* p = nullptr) noexcept {
        if (m_p) Destroy(m_p);
        m_p = p;
    }

private:
    T* m_p = nullptr;
};

using GdipGraphicsPtr = GdipPtr<Gdiplus::GpGraphics, Gdiplus::DllExports::GdipDeleteGraphics>;
using GdipImagePtr = GdipPtr<Gdiplus::GpImage, Gdiplus::DllExports::GdipDisposeImage>;
using GdipPenPtr = GdipPtr<Gdiplus::GpPen, Gdiplus::DllExports::GdipDeletePen>;
using GdipBrushPtr = GdipPtr<Gdiplus::GpBrush, Gdiplus::DllExports::GdipDeleteBrush>;
using GdipFontPtr = GdipPtr<Gdiplus::GpFont, Gdiplus::DllExports::GdipDeleteFont>;
using GdipFontFamilyPtr = GdipPtr<Gdiplus::GpFontFamily, Gdiplus::DllExports::GdipDeleteFontFamily>;
using GdipStringFormatPtr = GdipPtr<Gdiplus::GpStringFormat, Gdiplus::DllExports::GdipDeleteStringFormat>;
using GdipPathPtr = GdipPtr<Gdiplus::GpPath, Gdiplus::DllExports::GdipDeletePath>;

// GDI+ runs exactly while one of these lives.
class GdiplusSession {
public:
    GdiplusSession() noexcept {
        Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, background thread on
        m_ok = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (m_ok) Gdiplus::GdiplusShutdown(m_token);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const noexcept { return m_ok; }

private:
    ULONG_PTR m_token = 0;
    bool m_ok = false;
};

}  // namespace rova
