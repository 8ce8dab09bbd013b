#include "framework/Wnd.h"

#include <commctrl.h>

namespace {
constexpr wchar_t kObjectProp[] = L"ROVA.CWnd";
}  // namespace

CWnd::~CWnd() {
    if (m_hWnd) {
        if (m_subclassed) {
            UnsubclassWindow();
        } else {
            Unbind();
        }
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) noexcept {
    return hwnd ? static_cast<CWnd*>(::GetPropW(hwnd, kObjectProp)) : nullptr;
}

void CWnd::Bind(HWND hwnd) noexcept {
    m_hWnd = hwnd;
    ::SetPropW(hwnd, kObjectProp, this);
}

void CWnd::Unbind() noexcept {
    if (m_hWnd) ::RemovePropW(m_hWnd, kObjectProp);
    m_hWnd = nullptr;
}

bool CWnd::SubclassWindow(HWND hwnd) noexcept {
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd)) return false;
    if (!::SetWindowSubclass(hwnd, &CWnd::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
    m_subclassed = true;
    Bind(hwnd);
    PreSubclassWindow();
    return true;
}

HWND CWnd::UnsubclassWindow() noexcept {
    HWND hwnd = m_hWnd;
    if (!hwnd) return nullptr;
    if (m_subclassed) ::RemoveWindowSubclass(hwnd, &CWnd::SubclassProc, kSubclassId);
    m_subclassed = false;
    Unbind();
    return hwnd;
}

bool CWnd::RegisterClass(LPCWSTR className, UINT style, HCURSOR cursor, HBRUSH background) noexcept {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(inst, className, &wc)) return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &CWnd::ClassProc;
    wc.hInstance = inst;
    wc.hCursor = cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return ::RegisterClassExW(&wc) != 0;
}

bool CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int w, int h,
                    HWND parent, HMENU menuOrId) noexcept {
    if (m_hWnd) return false;
    HWND hwnd = ::CreateWindowExW(exStyle, className, title, style, x, y, w, h, parent, menuOrId,
                                  ::GetModuleHandleW(nullptr), this);
    return hwnd != nullptr;
}

LRESULT CALLBACK CWnd::ClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    CWnd* self = FromHandlePermanent(hwnd);
    if (!self && msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<CWnd*>(cs->lpCreateParams);
        if (self) self->Bind(hwnd);
    }
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->WindowProc(msg, wParam, lParam);
    } catch (...) {
        result = 0;
    }
    if (msg == WM_NCDESTROY) {
        self->Unbind();
        self->PostNcDestroy();
    }
    return result;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) noexcept {
    auto* self = reinterpret_cast<CWnd*>(ref);
    LRESULT result = 0;
    try {
        result = self->WindowProc(msg, wParam, lParam);
    } catch (...) {
        result = 0;
    }
    if (msg == WM_NCDESTROY && self->m_hWnd == hwnd) {
        ::RemoveWindowSubclass(hwnd, &CWnd::SubclassProc, kSubclassId);
        self->m_subclassed = false;
        self->Unbind();
        self->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_subclassed) return ::DefSubclassProc(m_hWnd, msg, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

bool CWnd::ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    HWND child = nullptr;
    switch (msg) {
    case WM_DRAWITEM:
        child = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
        break;
    case WM_MEASUREITEM:
        return false;
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lParam);  // null for menus and accelerators
        break;
    case WM_NOTIFY:
        child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
        break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
        child = reinterpret_cast<HWND>(lParam);
        break;
    default:
        return false;
    }
    CWnd* target = FromHandlePermanent(child);
    return target && target->OnChildNotify(msg, wParam, lParam, result);
}

bool CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT reflected = 0;
    if (ReflectToChild(msg, wParam, lParam, &reflected)) return reflected;
    return Default(msg, wParam, lParam);
}
