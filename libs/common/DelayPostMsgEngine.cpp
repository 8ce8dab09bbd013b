#include "ROVA_Common.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace {
struct PendingPost {
    ULONGLONG due;
    uint64_t sequence;  // keeps equal due times in request order
    HWND target;
    HWND owner;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DelayPostMsgProc callback;
    void* user;
};

bool Matches(const PendingPost& post, HWND target, HWND owner, UINT message) {
    return (!target || post.target == target) && (!owner || post.owner == owner) &&
           (!message || post.message == message);
}
}  // namespace

struct CDelayPostMsgEngine::Impl {
    mutable std::mutex stateMutex;
    std::condition_variable wake;
    // Held while a due post is delivered, so a cancellation that returns has no post in flight.
    std::recursive_mutex deliverMutex;
    std::vector<PendingPost> pending;  // sorted by (due, sequence)
    uint64_t nextSequence = 0;
    bool running = false;
    bool stopRequested = false;
    std::thread worker;

    void Run();
};

void CDelayPostMsgEngine::Impl::Run() {
    std::unique_lock<std::mutex> lock(stateMutex);
    while (!stopRequested) {
        if (pending.empty()) {
            wake.wait(lock);
            continue;
        }
        ULONGLONG now = GetTickCount64();
        if (pending.front().due > now) {
            wake.wait_for(lock, std::chrono::milliseconds(pending.front().due - now));
            continue;
        }
        // Take the delivery lock before dropping the state lock: a concurrent cancel then waits
        // for this post to finish instead of missing it.
        lock.unlock();
        std::lock_guard<std::recursive_mutex> deliver(deliverMutex);
        lock.lock();
        if (stopRequested) break;
        if (pending.empty() || pending.front().due > GetTickCount64()) continue;  // cancelled meanwhile
        PendingPost post = pending.front();
        pending.erase(pending.begin());
        lock.unlock();
        if (!post.owner || IsWindow(post.owner)) {
            bool send = post.callback
                            ? post.callback(post.target, post.message, post.wParam, post.lParam, post.user) != 0
                            : true;
            if (send) PostMessageW(post.target, post.message, post.wParam, post.lParam);
        }
        lock.lock();
    }
}

CDelayPostMsgEngine::CDelayPostMsgEngine() : impl_(new Impl) {}

CDelayPostMsgEngine::~CDelayPostMsgEngine() {
    Stop();
    delete impl_;
}

int CDelayPostMsgEngine::Start() {
    std::lock_guard<std::mutex> lock(impl_->stateMutex);
    if (impl_->running) return 1;
    if (impl_->worker.joinable()) return 0;  // a Stop from the engine's own thread is pending
    impl_->stopRequested = false;
    try {
        impl_->worker = std::thread([this] { impl_->Run(); });
    } catch (...) {
        return 0;
    }
    impl_->running = true;
    return 1;
}

void CDelayPostMsgEngine::Stop() {
    {
        std::lock_guard<std::mutex> lock(impl_->stateMutex);
        impl_->stopRequested = true;
        impl_->running = false;
        impl_->pending.clear();
    }
    impl_->wake.notify_all();
    // A callback that stops the engine cannot wait for its own thread; the next Stop or the
    // destructor joins it.
    if (impl_->worker.joinable() && impl_->worker.get_id() != std::this_thread::get_id()) {
        impl_->worker.join();
    }
}

int CDelayPostMsgEngine::IsRunning() const {
    std::lock_guard<std::mutex> lock(impl_->stateMutex);
    return impl_->running ? 1 : 0;
}

int CDelayPostMsgEngine::DelayPostMsg(DWORD delayMs, HWND target, HWND owner, UINT message,
                                      WPARAM wParam, LPARAM lParam, DelayPostMsgProc callback,
                                      void* user) {
    if (!target) return 0;
    {
        std::lock_guard<std::mutex> lock(impl_->stateMutex);
        if (!impl_->running) return 0;
        PendingPost post{GetTickCount64() + delayMs, impl_->nextSequence++, target, owner, message,
                         wParam, lParam, callback, user};
        auto at = std::upper_bound(impl_->pending.begin(), impl_->pending.end(), post,
                                   [](const PendingPost& a, const PendingPost& b) {
                                       return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
                                   });
        try {
            impl_->pending.insert(at, post);
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }
    impl_->wake.notify_all();
    return 1;
}

int CDelayPostMsgEngine::RemoveDelayPostMsg(HWND target, HWND owner, UINT message, int all) {
    std::lock_guard<std::recursive_mutex> deliver(impl_->deliverMutex);
    std::lock_guard<std::mutex> lock(impl_->stateMutex);
    int removed = 0;
    auto& pending = impl_->pending;
    for (auto it = pending.begin(); it != pending.end();) {
        if (Matches(*it, target, owner, message)) {
            it = pending.erase(it);
            ++removed;
            if (!all) break;
        } else {
            ++it;
        }
    }
    return removed;
}

int CDelayPostMsgEngine::GetPendingCount() const {
    std::lock_guard<std::mutex> lock(impl_->stateMutex);
    return static_cast<int>(impl_->pending.size());
}
