// The yardstick of the console benchmark: the simplest viewer that could show the same stream. A
// 1900x1000 frame in a 32-bit DIB section; 15 times a second ten small discs move (a few hundred
// pixels change) and the whole frame is invalidated and blitted, however little changed.
// Usage: naive_viewer.exe <seconds> [paints-file]
//   Exits by itself after <seconds> (1 to 86400) from showing its window; with a paints file,
//   writes there on exit "<frames painted> <milliseconds shown>". Exit code 2 for arguments it
//   cannot use, 1 when the window or the frame cannot be made or the file cannot be written.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr int kWidth = 1900;
constexpr int kHeight = 1000;
constexpr UINT kFramesPerSecond = 15;
constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT_PTR kEndTimer = 2;
constexpr int kDiscs = 10;
constexpr int kRadius = 3;  // 29 pixels a disc
constexpr UINT32 kBackground = 0xFF101820;
constexpr UINT32 kDisc = 0xFF40E060;

struct Disc {
    int x, y, dx, dy;
};

class CNaiveViewer {
public:
    CNaiveViewer() = default;
    CNaiveViewer(const CNaiveViewer&) = delete;
    CNaiveViewer& operator=(const CNaiveViewer&) = delete;
    ~CNaiveViewer() {
        if (m_memDc) {
            if (m_oldBitmap) ::SelectObject(m_memDc, m_oldBitmap);
            ::DeleteDC(m_memDc);
        }
        if (m_bitmap) ::DeleteObject(m_bitmap);
    }

    bool Create(HINSTANCE instance, UINT seconds) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!m_bitmap || !bits) return false;
        m_pixels = static_cast<UINT32*>(bits);
        m_memDc = ::CreateCompatibleDC(nullptr);
        if (!m_memDc) return false;
        m_oldBitmap = ::SelectObject(m_memDc, m_bitmap);
        for (int i = 0; i < kWidth * kHeight; ++i) m_pixels[i] = kBackground;
        for (int i = 0; i < kDiscs; ++i) {
            m_discs[i] = Disc{100 + i * 170, 80 + i * 85, 3 + i % 4, 2 + (i * 3) % 5};
            Stamp(m_discs[i], kDisc);
        }

        WNDCLASSW wc{};
        wc.lpfnWndProc = &CNaiveViewer::Trampoline;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"RovaNaiveViewer";
        if (!::RegisterClassW(&wc)) return false;
        const DWORD style = WS_OVERLAPPEDWINDOW;
        RECT rect{0, 0, kWidth, kHeight};
        ::AdjustWindowRect(&rect, style, FALSE);
        HWND hwnd = ::CreateWindowW(wc.lpszClassName, L"Naive viewer", style, 0, 0, rect.right - rect.left,
                                    rect.bottom - rect.top, nullptr, nullptr, instance, this);
        if (!hwnd) return false;
        ::ShowWindow(hwnd, SW_SHOW);
        m_shownAt = ::GetTickCount64();
        ScheduleFrame(hwnd);
        ::SetTimer(hwnd, kEndTimer, seconds * 1000, nullptr);
        return true;
    }

    unsigned long Paints() const { return m_paints; }
    ULONGLONG ShownMs() const { return m_endedAt - m_shownAt; }

private:
    static LRESULT CALLBACK Trampoline(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
        if (msg == WM_NCCREATE) {
            auto* self = static_cast<CNaiveViewer*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<CNaiveViewer*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
        if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return self->WindowProc(hwnd, msg, wParam, lParam);
    }

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        switch (msg) {
        case WM_TIMER: OnTimer(hwnd, wParam); return 0;
        case WM_ERASEBKGND: return TRUE;
        case WM_PAINT: OnPaint(hwnd); return 0;
        case WM_DESTROY: OnDestroy(); return 0;
        default: return ::DefWindowProcW(hwnd, msg, wParam, lParam);
        }
    }

    void OnTimer(HWND hwnd, UINT_PTR id) {
        if (id == kEndTimer) {
            ::DestroyWindow(hwnd);
            return;
        }
        for (Disc& d : m_discs) {
            Stamp(d, kBackground);
            Move(d);
            Stamp(d, kDisc);
        }
        ::InvalidateRect(hwnd, nullptr, FALSE);  // the whole frame, as a viewer that tracks nothing
        ++m_frames;
        ScheduleFrame(hwnd);
    }

    // Each frame at its own due time from the start, so the rate stays 15 a second on average
    // whatever a period's rounding and the time a frame takes add.
    void ScheduleFrame(HWND hwnd) {
        const ULONGLONG due = m_shownAt + (m_frames + 1) * 1000ULL / kFramesPerSecond;
        const ULONGLONG now = ::GetTickCount64();
        ::SetTimer(hwnd, kFrameTimer, due > now ? static_cast<UINT>(due - now) : USER_TIMER_MINIMUM, nullptr);
    }

    void OnDestroy() {
        m_endedAt = ::GetTickCount64();
        ::PostQuitMessage(0);
    }

    void OnPaint(HWND hwnd) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        ::BitBlt(dc, 0, 0, kWidth, kHeight, m_memDc, 0, 0, SRCCOPY);
        ::EndPaint(hwnd, &ps);
        ++m_paints;
    }

    static void Move(Disc& d) {
        d.x += d.dx;
        d.y += d.dy;
        if (d.x < kRadius || d.x >= kWidth - kRadius) d.dx = -d.dx, d.x += 2 * d.dx;
        if (d.y < kRadius || d.y >= kHeight - kRadius) d.dy = -d.dy, d.y += 2 * d.dy;
    }

    void Stamp(const Disc& d, UINT32 colour) {
        for (int y = -kRadius; y <= kRadius; ++y)
            for (int x = -kRadius; x <= kRadius; ++x)
                if (x * x + y * y <= kRadius * kRadius) m_pixels[(d.y + y) * kWidth + d.x + x] = colour;
    }

    HBITMAP m_bitmap = nullptr;
    HDC m_memDc = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    UINT32* m_pixels = nullptr;
    Disc m_discs[kDiscs]{};
    unsigned long m_paints = 0;
    ULONGLONG m_frames = 0;
    ULONGLONG m_shownAt = 0;
    ULONGLONG m_endedAt = 0;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    PWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv) return 2;
    long seconds = 0;
    if (argc >= 2) {
        wchar_t* end = nullptr;
        seconds = std::wcstol(argv[1], &end, 10);
        if (end == argv[1] || *end != L'\0') seconds = 0;
    }
    if (seconds < 1 || seconds > 86400) {
        ::LocalFree(argv);
        return 2;
    }
    const wchar_t* paintsFile = argc > 2 ? argv[2] : nullptr;

    unsigned long paints = 0;
    ULONGLONG shownMs = 0;
    {
        CNaiveViewer viewer;
        if (!viewer.Create(instance, static_cast<UINT>(seconds))) {
            ::LocalFree(argv);
            return 1;
        }
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        paints = viewer.Paints();
        shownMs = viewer.ShownMs();
    }
    int rc = 0;
    if (paintsFile) {
        FILE* f = _wfopen(paintsFile, L"w");
        if (!f || std::fprintf(f, "%lu %llu\n", paints, static_cast<unsigned long long>(shownMs)) < 0) rc = 1;
        if (f && std::fclose(f) != 0) rc = 1;
    }
    ::LocalFree(argv);
    return rc;
}
