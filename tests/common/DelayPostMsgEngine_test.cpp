// Delayed posts delivered to a real hidden window.
#include "ROVA_Common.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr UINT kMsgA = WM_APP + 1;
constexpr UINT kMsgB = WM_APP + 2;

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class DelayPostTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"RovaDelayPostTest";
        RegisterClassW(&wc);  // a second registration fails harmlessly
        window = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        ASSERT_NE(engine.Start(), 0);
    }
    void TearDown() override {
        engine.Stop();
        if (window) DestroyWindow(window);
    }
    // Collects our messages until `count` arrived or waitMs passed (a guard, not a timing check).
    std::vector<Received> Pump(size_t count, DWORD waitMs) {
        std::vector<Received> got;
        ULONGLONG end = GetTickCount64() + waitMs;
        while (got.size() < count && GetTickCount64() < end) {
            MSG msg;
            while (PeekMessageW(&msg, window, WM_APP, WM_APP + 100, PM_REMOVE)) {
                got.push_back({msg.message, msg.wParam, msg.lParam});
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_POSTMESSAGE);
        }
        return got;
    }
    HWND window = nullptr;
    CDelayPostMsgEngine engine;
};

TEST_F(DelayPostTest, PostsWithParametersInDueOrder) {
    ASSERT_NE(engine.DelayPostMsg(400, window, window, kMsgA, 1, 2), 0);
    ASSERT_NE(engine.DelayPostMsg(30, window, window, kMsgB, 3, 4), 0);
    ASSERT_NE(engine.DelayPostMsg(30, window, window, kMsgB, 5, 6), 0);
    auto got = Pump(3, 10000);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].message, kMsgB);
    EXPECT_EQ(got[0].wParam, 3u);
    EXPECT_EQ(got[0].lParam, 4);
    EXPECT_EQ(got[1].wParam, 5u);  // equal delays keep request order
    EXPECT_EQ(got[2].message, kMsgA);
    EXPECT_EQ(got[2].wParam, 1u);
    EXPECT_EQ(got[2].lParam, 2);
    EXPECT_EQ(engine.GetPendingCount(), 0);
}

TEST_F(DelayPostTest, RemoveCancelsOnlyMatchingPosts) {
    ASSERT_NE(engine.DelayPostMsg(200, window, window, kMsgA, 0, 0), 0);
    ASSERT_NE(engine.DelayPostMsg(200, window, window, kMsgA, 0, 0), 0);
    ASSERT_NE(engine.DelayPostMsg(250, window, window, kMsgB, 7, 0), 0);
    EXPECT_EQ(engine.RemoveDelayPostMsg(window, window, kMsgA, 1), 2);
    EXPECT_EQ(engine.RemoveDelayPostMsg(window, window, kMsgA, 1), 0);
    // B still arrives; the cancelled A posts never do, even well after their time.
    auto got = Pump(1, 10000);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, kMsgB);
    auto late = Pump(1, 500);
    EXPECT_TRUE(late.empty());
}

TEST_F(DelayPostTest, RemoveOneCancelsTheEarliest) {
    engine.DelayPostMsg(5000, window, window, kMsgA, 1, 0);
    engine.DelayPostMsg(100, window, window, kMsgA, 2, 0);
    EXPECT_EQ(engine.RemoveDelayPostMsg(window, nullptr, kMsgA, 0), 1);
    EXPECT_EQ(engine.GetPendingCount(), 1);
    EXPECT_EQ(engine.RemoveDelayPostMsg(nullptr, nullptr, 0, 1), 1);  // wildcard clears all
    EXPECT_TRUE(Pump(1, 400).empty());
}

int DropOdd(HWND, UINT, WPARAM wParam, LPARAM, void* user) {
    ++*static_cast<int*>(user);
    return (wParam % 2) == 0;
}

TEST_F(DelayPostTest, CallbackDecidesOnTheEngineThread) {
    int calls = 0;
    engine.DelayPostMsg(10, window, window, kMsgA, 1, 0, DropOdd, &calls);
    engine.DelayPostMsg(20, window, window, kMsgA, 2, 0, DropOdd, &calls);
    auto got = Pump(1, 10000);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].wParam, 2u);
    EXPECT_EQ(calls, 2);
}

TEST_F(DelayPostTest, NothingForAVanishedOwner) {
    HWND owner = CreateWindowExW(0, L"RovaDelayPostTest", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    engine.DelayPostMsg(50, window, owner, kMsgA, 0, 0);
    engine.DelayPostMsg(60, window, window, kMsgB, 0, 0);
    DestroyWindow(owner);
    auto got = Pump(2, 1500);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, kMsgB);
}

TEST_F(DelayPostTest, StopDiscardsAndRefusesUntilRestarted) {
    engine.DelayPostMsg(100, window, window, kMsgA, 0, 0);
    engine.Stop();
    EXPECT_EQ(engine.IsRunning(), 0);
    EXPECT_EQ(engine.GetPendingCount(), 0);
    EXPECT_EQ(engine.DelayPostMsg(10, window, window, kMsgA, 0, 0), 0);
    EXPECT_TRUE(Pump(1, 400).empty());
    ASSERT_NE(engine.Start(), 0);
    ASSERT_NE(engine.DelayPostMsg(10, window, window, kMsgB, 0, 0), 0);
    EXPECT_EQ(Pump(1, 10000).size(), 1u);
}

TEST_F(DelayPostTest, ManyThreadsPostAndCancelSafely) {
    // Requests from several threads at once; every surviving request is delivered once.
    constexpr int kThreads = 4, kPerThread = 50;
    struct Args {
        CDelayPostMsgEngine* engine;
        HWND window;
        int index;
    };
    Args args[kThreads];
    HANDLE threads[kThreads];
    for (int t = 0; t < kThreads; ++t) {
        args[t] = {&engine, window, t};
        threads[t] = CreateThread(
            nullptr, 0,
            [](void* p) -> DWORD {
                auto* a = static_cast<Args*>(p);
                for (int i = 0; i < kPerThread; ++i) {
                    // Odd threads post B that they cancel at once, even threads post A to keep.
                    UINT message = (a->index % 2) ? kMsgB : kMsgA;
                    a->engine->DelayPostMsg(static_cast<DWORD>(i % 7), a->window, a->window, message,
                                            static_cast<WPARAM>(a->index * 1000 + i), 0);
                }
                return 0;
            },
            &args[t], 0, nullptr);
        ASSERT_NE(threads[t], nullptr);
    }
    WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
    for (HANDLE h : threads) CloseHandle(h);
    int cancelled = engine.RemoveDelayPostMsg(window, window, kMsgB, 1);
    auto got = Pump(static_cast<size_t>(kThreads * kPerThread - cancelled), 20000);
    EXPECT_EQ(static_cast<int>(got.size()), kThreads * kPerThread - cancelled);
    std::vector<int> seen(kThreads * 1000, 0);
    for (auto& r : got) ++seen[r.wParam];
    for (int v : seen) EXPECT_LE(v, 1);
    EXPECT_TRUE(Pump(1, 300).empty());
}

}  // namespace
