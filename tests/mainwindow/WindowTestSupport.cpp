#include "WindowTestSupport.h"

#include <gtest/gtest.h>

#include "MessagePump.h"
#include "app/ROVAMTTApp.h"
#include "framework/GdiplusRaii.h"
#include "framework/ResourceLoader.h"

namespace mwtest {

namespace {
// GDI+ for the whole run, English resources, and the main window's class.
class WindowEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        session_ = new rova::GdiplusSession;
        CROVAMTTApp::SelectLanguage(CResourceLoader::kEnglish);
        CROVAMTTApp::RegisterMainWindowClass(::GetModuleHandleW(nullptr));
    }
    void TearDown() override { delete session_; }

private:
    rova::GdiplusSession* session_ = nullptr;
};
const auto* gEnvironment = ::testing::AddGlobalTestEnvironment(new WindowEnvironment);

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof(input));
    Pump(3);
}

constexpr wchar_t kParentClass[] = L"RovaMainWindowTestParent";
}  // namespace

void Pump(int rounds) { message_pump::PumpFor(static_cast<DWORD>(rounds) * 10); }

bool PumpUntil(const std::function<bool()>& done, int rounds) {
    return message_pump::PumpUntil(done, nullptr, static_cast<DWORD>(rounds) * 10);
}

void MouseMove(POINT screen) {
    const int w = ::GetSystemMetrics(SM_CXSCREEN);
    const int h = ::GetSystemMetrics(SM_CYSCREEN);
    // Absolute coordinates are 0..65535 over the screen; aim at the pixel's centre.
    const LONG dx = static_cast<LONG>((screen.x * 65536LL + 32768) / w);
    const LONG dy = static_cast<LONG>((screen.y * 65536LL + 32768) / h);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, dx, dy);
}
void LeftDown() {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
}
void LeftUp() {
    SendMouse(MOUSEEVENTF_LEFTUP);
}
void RightDown() {
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
}
void RightUp() {
    SendMouse(MOUSEEVENTF_RIGHTUP);
}

void Click(POINT screen) {
    MouseMove(screen);
    LeftDown();
    LeftUp();
}

void Key(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof(input));
}

void KeyPress(WORD vk) {
    Key(vk, false);
    Key(vk, true);
}

POINT CentreOf(HWND hwnd) {
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

COLORREF ClientPixel(HWND hwnd, int x, int y) {
    ::UpdateWindow(hwnd);
    HDC dc = ::GetDC(hwnd);
    const COLORREF colour = ::GetPixel(dc, x, y);
    ::ReleaseDC(hwnd, dc);
    return colour;
}

bool TestParent::Create(int width, int height) {
    CWnd::RegisterClass(kParentClass, CS_DBLCLKS, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    return CreateEx(WS_EX_TOPMOST, kParentClass, L"test", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100, width,
                    height, nullptr, nullptr);
}

TestParent::~TestParent() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

LRESULT TestParent::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && lParam) {
        clicks.push_back({LOWORD(wParam), ::SendMessageW(reinterpret_cast<HWND>(lParam), BM_GETCHECK, 0, 0)});
        return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

int TestParent::Clicks(int id) const {
    int n = 0;
    for (const ClickRecord& c : clicks)
        n += c.id == id;
    return n;
}

}  // namespace mwtest
