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
    explicit GdipPtr(T* p) noexcept : p_(p) {}
    ~GdipPtr() { reset(); }
    GdipPtr(const GdipPtr&) = delete;
    GdipPtr& operator=(const GdipPtr&) = delete;
    GdipPtr(GdipPtr&& o) noexcept : p_(o.release()) {}
    GdipPtr& operator=(GdipPtr&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    T* get() const noexcept { return p_; }
    T** out() noexcept {
        reset();
        return &p_;
    }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    T* release() noexcept { return std::exchange(p_, nullptr); }
    void reset(T* p = nullptr) noexcept {
        if (p_) Destroy(p_);
        p_ = p;
    }

private:
    T* p_ = nullptr;
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
        ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (ok_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const noexcept { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

}  // namespace rova
