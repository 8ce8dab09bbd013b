#include "framework/Wnd.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT kProbe = WM_APP + 41;

// Counts the probe message, then passes it on down the chain.
class CountingWnd : public CWnd {
public:
    int probes = 0;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kProbe) ++probes;
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

// A procedure of someone else's, put in front of ours after we subclassed.
WNDPROC gForeignNext = nullptr;
int gForeignProbes = 0;
LRESULT CALLBACK ForeignProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kProbe) {
        // A chain that loops would come back here for the same message.
        if (++gForeignProbes > 5) return 0;
    }
    return ::CallWindowProcW(gForeignNext, hwnd, msg, wParam, lParam);
}

struct StaticWindow {
    HWND hwnd = ::CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    ~StaticWindow() {
        if (hwnd) ::DestroyWindow(hwnd);
    }
};

// A window left with our procedure behind someone else's, and no object bound, can be subclassed
// again: the new object takes the messages once each and the chain never loops back.
TEST(WndBindingTest, SubclassingAgainBehindAForeignProcedureTakesEachMessageOnce) {
    StaticWindow w;
    ASSERT_TRUE(w.hwnd);
    {
        CountingWnd first;
        ASSERT_TRUE(first.SubclassWindow(w.hwnd));
        gForeignNext = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(w.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
        ::SendMessageW(w.hwnd, kProbe, 0, 0);
        EXPECT_EQ(first.probes, 1);
    }  // unbound, our procedure still behind the foreign one
    gForeignProbes = 0;
    CountingWnd second;
    ASSERT_TRUE(second.SubclassWindow(w.hwnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(w.hwnd), &second);
    ::SendMessageW(w.hwnd, kProbe, 0, 0);
    EXPECT_EQ(gForeignProbes, 1);
    EXPECT_EQ(second.probes, 1);
    // The window still answers as a static control through the whole chain.
    wchar_t text[16] = {};
    ::GetWindowTextW(w.hwnd, text, 16);
    EXPECT_STREQ(text, L"probe");
    EXPECT_EQ(second.UnsubclassWindow(), w.hwnd);
    EXPECT_EQ(CWnd::FromHandlePermanent(w.hwnd), nullptr);
    gForeignProbes = 0;
    ::SendMessageW(w.hwnd, kProbe, 0, 0);
    EXPECT_EQ(gForeignProbes, 1);
    EXPECT_EQ(second.probes, 1);
}

}  // namespace
