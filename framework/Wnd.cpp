#include "framework/Wnd.h"

#include <exception>
#include <new>
#include <unordered_map>

#include "contracts/ROVA_Common.h"

namespace {
// The windows of this process bound to objects, and the procedure each subclassed one had. A
// window property would serve as well, but each property lookup is a round trip to the window
// server under Wine, and a subclassed window would need one for every message it gets.
struct Binding {
    CWnd* object = nullptr;
    WNDPROC superProc = nullptr;  // kept after unbinding when another procedure sits in front
};
SRWLOCK g_bindingsLock = SRWLOCK_INIT;
std::unordered_map<HWND, Binding>& Bindings() {
    static std::unordered_map<HWND, Binding> bindings;
    return bindings;
}
Binding FindBinding(HWND hwnd) noexcept {
    ::AcquireSRWLockShared(&g_bindingsLock);
    const auto& map = Bindings();
    const auto found = map.find(hwnd);
    const Binding binding = found == map.end() ? Binding{} : found->second;
    ::ReleaseSRWLockShared(&g_bindingsLock);
    return binding;
}
// False when the table could not take the entry (out of memory): the window is then not bound.
// Removing an entry never fails.
bool SetBinding(HWND hwnd, const Binding& binding) noexcept {
    bool stored = true;
    ::AcquireSRWLockExclusive(&g_bindingsLock);
    if (binding.object || binding.superProc) {
        try {
            Bindings()[hwnd] = binding;
        } catch (const std::bad_alloc&) {
            stored = false;
        }
    } else {
        Bindings().erase(hwnd);
    }
    ::ReleaseSRWLockExclusive(&g_bindingsLock);
    if (!stored) DbgOutputA(1, "window %p: no room to bind it to its object\r\n", static_cast<void*>(hwnd));
    return stored;
}

// An exception must not cross the window procedure into the system's code: the message is
// answered with 0 and the fault traced.
void TraceEscaped(const char* where, HWND hwnd, UINT msg, const char* what) noexcept {
    DbgOutputA(1, "%s: message 0x%04X to window %p dropped: %s\r\n", where, msg, static_cast<void*>(hwnd), what);
}
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

CWnd* CWnd::FromHandlePermanent(HWND hwnd) noexcept { return hwnd ? FindBinding(hwnd).object : nullptr; }

bool CWnd::Bind(HWND hwnd) noexcept {
    if (!SetBinding(hwnd, Binding{this, m_superProc})) return false;
    m_hWnd = hwnd;
    return true;
}

void CWnd::Unbind() noexcept {
    if (m_hWnd) SetBinding(m_hWnd, Binding{});
    m_hWnd = nullptr;
}

bool CWnd::Subclass(HWND hwnd) noexcept {
    const Binding left = FindBinding(hwnd);
    if (left.superProc) {
        // Our procedure is still in the chain, behind one that was put in front of it: take it
        // over as it is. Putting it in front again would make the chain call it twice, in a loop.
        m_superProc = left.superProc;
        if (!Bind(hwnd)) {
            m_superProc = nullptr;  // the entry left behind still passes the messages on
            return false;
        }
        m_subclassed = true;
        return true;
    }
    // Changing the procedure sends no message, so binding right after it is in time for the first.
    const auto previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    if (!previous) return false;
    m_superProc = previous;
    if (!Bind(hwnd)) {
        // Unbound, SubclassProc would not know where to pass the messages: the window gets its
        // own procedure back.
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        m_superProc = nullptr;
        return false;
    }
    m_subclassed = true;
    return true;
}

bool CWnd::SubclassWindow(HWND hwnd) noexcept {
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd)) return false;
    if (!Subclass(hwnd)) return false;
    PreSubclassWindow();
    return true;
}

HWND CWnd::UnsubclassWindow() noexcept {
    HWND hwnd = m_hWnd;
    if (!hwnd) return nullptr;
    if (m_subclassed) {
        const auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
        if (current == &CWnd::SubclassProc) {
            ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
        } else {
            // Another procedure sits in front and still calls ours: it passes straight on.
            m_hWnd = nullptr;
            SetBinding(hwnd, Binding{nullptr, m_superProc});
        }
    }
    m_subclassed = false;
    m_superProc = nullptr;
    if (m_hWnd) Unbind();
    m_hWnd = nullptr;
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
        // A window whose object cannot be found again is refused: CreateWindowEx returns null.
        if (self && !self->Bind(hwnd)) return FALSE;
    }
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->WindowProc(msg, wParam, lParam);
    } catch (const std::exception& e) {
        TraceEscaped("window procedure", hwnd, msg, e.what());
    } catch (...) {
        TraceEscaped("window procedure", hwnd, msg, "unknown exception");
    }
    if (msg == WM_NCDESTROY) {
        self->Unbind();
        self->PostNcDestroy();
    }
    return result;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    const Binding binding = FindBinding(hwnd);
    CWnd* self = binding.object;
    if (!self) {
        if (msg == WM_NCDESTROY) SetBinding(hwnd, Binding{});
        return binding.superProc ? ::CallWindowProcW(binding.superProc, hwnd, msg, wParam, lParam)
                                 : ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    LRESULT result = 0;
    try {
        result = self->WindowProc(msg, wParam, lParam);
    } catch (const std::exception& e) {
        TraceEscaped("subclassed window procedure", hwnd, msg, e.what());
    } catch (...) {
        TraceEscaped("subclassed window procedure", hwnd, msg, "unknown exception");
    }
    if (msg == WM_NCDESTROY && self->m_hWnd == hwnd) {
        self->UnsubclassWindow();
        SetBinding(hwnd, Binding{});  // the window takes no message after this one
        self->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_subclassed && m_superProc) return ::CallWindowProcW(m_superProc, m_hWnd, msg, wParam, lParam);
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
