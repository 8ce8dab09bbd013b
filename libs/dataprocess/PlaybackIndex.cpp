#include "PlaybackIndex.h"

#include <algorithm>

CPlaybackIndex::CPlaybackIndex(size_t maxEntries) : maxEntries_(std::max<size_t>(maxEntries, 2)) {}

void CPlaybackIndex::Add(uint64_t timeUs, uint32_t file, uint32_t offset) {
    std::lock_guard lock(mutex_);
    if (frames_ == 0) firstUs_ = timeUs;
    lastUs_ = timeUs;
    const uint64_t n = frames_++;
    if (n % stride_ != 0) return;
    if (entries_.size() >= maxEntries_) {
        // Thin: keep the entries of every second kept frame, the first one included.
        size_t kept = 0;
        for (size_t i = 0; i < entries_.size(); i += 2) entries_[kept++] = entries_[i];
        entries_.resize(kept);
        stride_ *= 2;
        if (n % stride_ != 0) return;
    }
    if (entries_.capacity() == entries_.size()) entries_.reserve(std::min(maxEntries_, std::max<size_t>(1024, entries_.size() * 2)));
    entries_.push_back({timeUs, file, offset});
}

void CPlaybackIndex::Complete() {
    std::lock_guard lock(mutex_);
    complete_ = true;
}

bool CPlaybackIndex::Before(uint64_t timeUs, Entry* entry) const {
    std::lock_guard lock(mutex_);
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), timeUs,
                                     [](const Entry& e, uint64_t t) { return e.timeUs < t; });
    if (at == entries_.begin()) return false;
    *entry = *(at - 1);
    return true;
}

CPlaybackIndex::Summary CPlaybackIndex::Read() const {
    std::lock_guard lock(mutex_);
    Summary s;
    s.complete = complete_;
    s.frames = frames_;
    s.firstUs = firstUs_;
    s.lastUs = lastUs_;
    s.entries = entries_.size();
    s.stride = stride_;
    return s;
}
