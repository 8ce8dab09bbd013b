// One detection stream's listeners. Deliveries hold the list's delivery lock; removing a
// listener takes it too, so once Remove returns no call of that listener is running or will
// start. A listener may remove itself (or others) from inside its callback: that call does not
// wait, and the removed listener is not called again.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class IRadarObjectDetectListener;
class CPtrCtrl;

class CListenerList {
public:
    bool Add(IRadarObjectDetectListener* listener, uint64_t user);
    bool Remove(IRadarObjectDetectListener* listener);
    bool IsEmpty() const;
    void Deliver(CPtrCtrl* objects);
    // Blocks until a delivery in progress (on another thread) has finished.
    void WaitForDelivery();

private:
    struct Entry {
        IRadarObjectDetectListener* listener;
        uint64_t user;
    };
    bool Contains(IRadarObjectDetectListener* listener, uint64_t* user) const;

    mutable std::mutex entriesMutex_;
    std::vector<Entry> entries_;
    std::mutex deliveryMutex_;
    std::atomic<std::thread::id> deliveringThread_{};
};
