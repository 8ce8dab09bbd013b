#include "ListenerList.h"

#include <algorithm>

#include "RadarListeners.h"

bool CListenerList::Add(IRadarObjectDetectListener* listener, uint64_t user) {
    if (!listener) return false;
    std::lock_guard lock(entriesMutex_);
    for (const Entry& e : entries_) {
        if (e.listener == listener) return true;  // once per stream
    }
    entries_.push_back({listener, user});
    return true;
}

bool CListenerList::Remove(IRadarObjectDetectListener* listener) {
    bool found = false;
    {
        std::lock_guard lock(entriesMutex_);
        auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.listener == listener; });
        if (it != entries_.end()) {
            entries_.erase(it);
            found = true;
        }
    }
    WaitForDelivery();
    return found;
}

void CListenerList::WaitForDelivery() {
    if (deliveringThread_.load() == std::this_thread::get_id()) return;
    std::lock_guard wait(deliveryMutex_);
}

bool CListenerList::IsEmpty() const {
    std::lock_guard lock(entriesMutex_);
    return entries_.empty();
}

bool CListenerList::Contains(IRadarObjectDetectListener* listener, uint64_t* user) const {
    std::lock_guard lock(entriesMutex_);
    for (const Entry& e : entries_) {
        if (e.listener == listener) {
            *user = e.user;
            return true;
        }
    }
    return false;
}

void CListenerList::Deliver(CPtrCtrl* objects) {
    std::lock_guard delivery(deliveryMutex_);
    deliveringThread_ = std::this_thread::get_id();
    std::vector<Entry> snapshot;
    {
        std::lock_guard lock(entriesMutex_);
        snapshot = entries_;
    }
    for (const Entry& e : snapshot) {
        uint64_t user = 0;
        // Skips a listener removed by an earlier callback of this delivery.
        if (!Contains(e.listener, &user)) continue;
        e.listener->OnRadarObjectDetect(static_cast<uint16_t>(user & 0xFFFF), objects);
    }
    deliveringThread_ = std::thread::id();
}
