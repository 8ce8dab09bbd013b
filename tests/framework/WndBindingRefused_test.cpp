// A window whose object cannot be entered in the binding table (out of memory) is refused, not
// left half made: CreateEx and a dialog's creation fail and leave no window, SubclassWindow fails
// and leaves the window with its own procedure, and nothing of the attempt stays in the table.
#include <windows.h>

#include <gtest/gtest.h>

#include <new>

#include "FrameworkTestIds.h"
#include "framework/Dialog.h"
#include "framework/Wnd.h"

namespace {
// While set, every allocation of this thread through the global allocator fails, as when the
// process is out of memory. Only the code under test runs on this thread meanwhile.
thread_local bool tRefuseAllocations = false;
}  // namespace

void* operator new(std::size_t size) {
    if (tRefuseAllocations) throw std::bad_alloc();
    if (void* p = ::HeapAlloc(::GetProcessHeap(), 0, size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    if (p) ::HeapFree(::GetProcessHeap(), 0, p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

struct RefusedAllocations {
    RefusedAllocations() { tRefuseAllocations = true; }
    ~RefusedAllocations() { tRefuseAllocations = false; }
    RefusedAllocations(const RefusedAllocations&) = delete;
    RefusedAllocations& operator=(const RefusedAllocations&) = delete;
};

constexpr wchar_t kClassName[] = L"ROVA_BINDING_TEST";
constexpr UINT kProbe = WM_APP + 17;

class ProbeWnd : public CWnd {
public:
    int probes = 0;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kProbe) ++probes;
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

class ProbeDlg : public CDialog {
public:
    ProbeDlg() : CDialog(IDD_BINDING_TEST) {}
    int initialised = 0;

protected:
    BOOL OnInitDialog() override {
        ++initialised;
        return FALSE;
    }
};

// The first window this thread makes while armed, and the allocations refused from the moment
// it is being made: the binding at WM_NCCREATE or WM_INITDIALOG is then the first to ask for
// memory, while the template and class look-ups before it still get theirs.
HWND gMade = nullptr;
bool gRefuseFromCreation = false;
LRESULT CALLBACK CatchCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && !gMade) {
        gMade = reinterpret_cast<HWND>(wParam);
        if (gRefuseFromCreation) tRefuseAllocations = true;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

struct CreationWatch {
    explicit CreationWatch(bool refuse) {
        gMade = nullptr;
        gRefuseFromCreation = refuse;
        hook = ::SetWindowsHookExW(WH_CBT, CatchCreation, nullptr, ::GetCurrentThreadId());
    }
    ~CreationWatch() {
        ::UnhookWindowsHookEx(hook);
        gRefuseFromCreation = false;
        tRefuseAllocations = false;
    }
    CreationWatch(const CreationWatch&) = delete;
    CreationWatch& operator=(const CreationWatch&) = delete;
    HHOOK hook = nullptr;
};

HWND MakeStatic() {
    return ::CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

enum class Way { CreateEx, Subclass, ModelessDialog };

struct Attempt {
    bool reported = false;  // what the framework call returned
    HWND window = nullptr;  // the window the attempt made or worked on
    CWnd* object = nullptr;
};

class WndBindingRefusedTest : public ::testing::TestWithParam<Way> {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(CWnd::RegisterClass(kClassName, 0, nullptr, nullptr));
    }
    void TearDown() override {
        if (plain) ::DestroyWindow(plain);
    }

    // One attempt to bind in the way under test, the table refusing or not.
    Attempt Bind(bool refuse) {
        Attempt attempt;
        switch (GetParam()) {
        case Way::CreateEx: {
            CreationWatch watch(refuse);
            attempt.reported = wnd.CreateEx(0, kClassName, L"probe", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr);
            attempt.window = gMade;
            attempt.object = &wnd;
            break;
        }
        case Way::Subclass: {
            plain = MakeStatic();
            attempt.window = plain;
            attempt.object = &wnd;
            originalProc = ::GetWindowLongPtrW(plain, GWLP_WNDPROC);
            if (refuse) {
                RefusedAllocations refused;
                attempt.reported = wnd.SubclassWindow(plain);
            } else {
                attempt.reported = wnd.SubclassWindow(plain);
            }
            break;
        }
        case Way::ModelessDialog: {
            CreationWatch watch(refuse);
            attempt.reported = dlg.Create(IDD_BINDING_TEST, nullptr);
            attempt.window = gMade;
            attempt.object = &dlg;
            break;
        }
        }
        return attempt;
    }

    ProbeWnd wnd;
    ProbeDlg dlg;
    HWND plain = nullptr;
    LONG_PTR originalProc = 0;
};

TEST_P(WndBindingRefusedTest, RefusedBindingIsReportedAndLeavesNothingBound) {
    const Attempt attempt = Bind(true);
    EXPECT_FALSE(attempt.reported);
    ASSERT_TRUE(attempt.window) << "the attempt got as far as a window";
    EXPECT_EQ(attempt.object->GetSafeHwnd(), nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(attempt.window), nullptr) << "no entry left in the table";
    if (GetParam() == Way::Subclass) {
        // The window lives on as it was: its own procedure, its own answers.
        ASSERT_TRUE(::IsWindow(attempt.window));
        EXPECT_EQ(::GetWindowLongPtrW(attempt.window, GWLP_WNDPROC), originalProc);
        wchar_t text[16] = {};
        ::GetWindowTextW(attempt.window, text, 16);
        EXPECT_STREQ(text, L"plain");
        ::SendMessageW(attempt.window, kProbe, 0, 0);
        EXPECT_EQ(wnd.probes, 0);
    } else {
        EXPECT_FALSE(::IsWindow(attempt.window)) << "an unbound window is not left behind";
    }
    EXPECT_EQ(dlg.initialised, 0);
}

// The same attempt with room in the table binds: the refusal above came from the binding alone,
// and the failed attempt left nothing that stands in the way of the next.
TEST_P(WndBindingRefusedTest, AttemptAfterARefusalBinds) {
    const Attempt refused = Bind(true);
    ASSERT_FALSE(refused.reported);
    if (GetParam() == Way::Subclass) {
        ::DestroyWindow(plain);  // a fresh window for the next attempt
        plain = nullptr;
    }
    const Attempt attempt = Bind(false);
    ASSERT_TRUE(attempt.reported);
    EXPECT_EQ(attempt.object->GetSafeHwnd(), attempt.window);
    EXPECT_EQ(CWnd::FromHandlePermanent(attempt.window), attempt.object);
    if (GetParam() == Way::ModelessDialog) {
        EXPECT_EQ(dlg.initialised, 1);
    } else {
        ::SendMessageW(attempt.window, kProbe, 0, 0);
        EXPECT_EQ(wnd.probes, 1);
    }
    if (GetParam() == Way::Subclass) {
        EXPECT_EQ(wnd.UnsubclassWindow(), attempt.window);
        EXPECT_EQ(::GetWindowLongPtrW(attempt.window, GWLP_WNDPROC), originalProc);
    } else {
        ::DestroyWindow(attempt.window);
        EXPECT_EQ(CWnd::FromHandlePermanent(attempt.window), nullptr) << "unbound when the window went";
        EXPECT_EQ(attempt.object->GetSafeHwnd(), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, WndBindingRefusedTest,
                         ::testing::Values(Way::CreateEx, Way::Subclass, Way::ModelessDialog),
                         [](const ::testing::TestParamInfo<Way>& info) {
                             switch (info.param) {
                             case Way::CreateEx:
                                 return "CreateEx";
                             case Way::Subclass:
                                 return "Subclass";
                             default:
                                 return "ModelessDialog";
                             }
                         });

}  // namespace
