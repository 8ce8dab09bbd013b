#pragma once
// The window base of the console's framework: binds one HWND to one object, dispatches messages
// through one virtual WindowProc, and reflects owner-draw, colour and notification messages back
// to the control that caused them so that controls paint and validate themselves.
#include <windows.h>

class CWnd {
public:
    CWnd() noexcept = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    operator HWND() const noexcept { return m_hWnd; }

    // Subclasses an existing window (a dialog control, typically) and binds it to this object;
    // false, with the window left as it was, when it is bound already or cannot be bound.
    bool SubclassWindow(HWND hwnd) noexcept;
    // Undoes SubclassWindow; the window keeps living.
    HWND UnsubclassWindow() noexcept;
    // Creates a window of a class registered by RegisterClass below; binds at WM_NCCREATE. False
    // when the window could not be made or bound (an unbound window is refused, not left behind).
    bool CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int w,
                  int h, HWND parent, HMENU menuOrId) noexcept;
    // Registers a window class whose procedure dispatches to CWnd objects.
    static bool RegisterClass(LPCWSTR className, UINT style, HCURSOR cursor, HBRUSH background) noexcept;

    // The object bound to a window, or null.
    static CWnd* FromHandlePermanent(HWND hwnd) noexcept;

    // Convenience wrappers.
    BOOL ShowWindow(int cmd) const noexcept { return ::ShowWindow(m_hWnd, cmd); }
    BOOL EnableWindow(BOOL enable) const noexcept { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const noexcept { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const noexcept { return ::IsWindowVisible(m_hWnd); }
    BOOL Invalidate(BOOL erase = TRUE) const noexcept { return ::InvalidateRect(m_hWnd, nullptr, erase); }
    HWND GetDlgItem(int id) const noexcept { return ::GetDlgItem(m_hWnd, id); }
    RECT GetClientRect() const noexcept {
        RECT rc{};
        ::GetClientRect(m_hWnd, &rc);
        return rc;
    }

    // Message entry point; the default passes to the original window procedure.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    // Called once the window is bound by SubclassWindow.
    virtual void PreSubclassWindow() {}
    // A message the parent reflected to this control (WM_DRAWITEM, WM_COMMAND notification,
    // WM_CTLCOLOR*, WM_NOTIFY). Return true and set *result when handled.
    virtual bool OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The window is gone; the object may be reused.
    virtual void PostNcDestroy() {}

    // Tries the reflection of a parent-level message to the child that sent it.
    static bool ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

    HWND m_hWnd = nullptr;

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    static LRESULT CALLBACK ClassProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    // Puts SubclassProc in front of the window's procedure and binds; false when that fails.
    bool Subclass(HWND hwnd) noexcept;
    // Enters the window in the process-wide map; false (nothing bound) when the map has no room.
    bool Bind(HWND hwnd) noexcept;
    void Unbind() noexcept;
    bool m_subclassed = false;
    WNDPROC m_superProc = nullptr;  // the procedure SubclassProc passes to, while subclassed
    friend class CDialog;
};
