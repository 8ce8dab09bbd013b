#pragma once
// Move-only owners for the handles the console creates, so that no early return can leak a GDI
// object, a DC selection, a GDI+ object or a kernel handle.
#include <windows.h>
#include <objbase.h>
#include <utility>

namespace rova {

// Generic owner: Traits provides `using type`, `static type invalid()`, `static void close(type)`.
template <class Traits>
class UniqueHandle {
public:
    using type = typename Traits::type;
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(type h) noexcept : m_h(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : m_h(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    type get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return m_h != Traits::invalid(); }
    type release() noexcept { return std::exchange(m_h, Traits::invalid()); }
    void reset(type h = Traits::invalid()) noexcept {
        if (m_h != Traits::invalid()) Traits::close(m_h);
        m_h = h;
    }

private:
    type m_h = Traits::invalid();
};

template <class T>
struct GdiObjectTraits {
    using type = T;
    static T invalid() noexcept { return nullptr; }
    static void close(T h) noexcept { ::DeleteObject(h); }
};
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueRgn = UniqueHandle<GdiObjectTraits<HRGN>>;

struct KernelHandleTraits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return nullptr; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

struct MemoryDcTraits {
    using type = HDC;
    static HDC invalid() noexcept { return nullptr; }
    static void close(HDC h) noexcept { ::DeleteDC(h); }
};
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

struct IconTraits {
    using type = HICON;
    static HICON invalid() noexcept { return nullptr; }
    static void close(HICON h) noexcept { ::DestroyIcon(h); }
};
using UniqueIcon = UniqueHandle<IconTraits>;

struct CoTaskMemTraits {
    using type = void*;
    static void* invalid() noexcept { return nullptr; }
    static void close(void* p) noexcept { ::CoTaskMemFree(p); }
};
using UniqueCoTaskMem = UniqueHandle<CoTaskMemTraits>;

// GetDC/ReleaseDC pair.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) noexcept : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~WindowDc() {
        if (m_dc) ::ReleaseDC(m_hwnd, m_dc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return m_dc; }
    operator HDC() const noexcept { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};

// BeginPaint/EndPaint pair.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) noexcept : m_hwnd(hwnd) { m_dc = ::BeginPaint(hwnd, &m_ps); }
    ~PaintDc() { ::EndPaint(m_hwnd, &m_ps); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const noexcept { return m_dc; }
    operator HDC() const noexcept { return m_dc; }
    const RECT& paintRect() const noexcept { return m_ps.rcPaint; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps{};
    HDC m_dc;
};

// SelectObject with the previous object restored at scope end.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ obj) noexcept : m_dc(dc), m_old(obj ? ::SelectObject(dc, obj) : nullptr) {}
    ~SelectScope() {
        if (m_old) ::SelectObject(m_dc, m_old);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

}  // namespace rova
