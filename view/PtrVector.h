#pragma once
// The operations of the common library's pointer containers that the view's hot paths use
// (count, element at, insert, remove, move to front, find), inline over a std::vector: the track
// update and the paint visit these containers for every report and every pixel row of a marker,
// where a call into the library per element costs more than the work itself. Owns nothing.
#include <algorithm>
#include <vector>

class PtrVector {
public:
    int GetCount() const noexcept { return static_cast<int>(items_.size()); }
    void* GetAt(int index) const noexcept {
        return index >= 0 && index < GetCount() ? items_[static_cast<size_t>(index)] : nullptr;
    }
    // Inserts before index: 0 = front, -1 or past the end = end. Returns the position.
    int AddData(void* value, int index = -1) {
        if (index < 0 || index >= GetCount()) {
            items_.push_back(value);
            return GetCount() - 1;
        }
        items_.insert(items_.begin() + index, value);
        return index;
    }
    void* RemoveAt(int index) {
        if (index < 0 || index >= GetCount()) return nullptr;
        void* value = items_[static_cast<size_t>(index)];
        items_.erase(items_.begin() + index);
        return value;
    }
    void RemoveAll() noexcept { items_.clear(); }
    void MoveToFront(int index) {
        if (index > 0 && index < GetCount()) std::rotate(items_.begin(), items_.begin() + index, items_.begin() + index + 1);
    }
    template <class Match>
    int FindIf(Match match) const {
        for (size_t i = 0; i < items_.size(); ++i)
            if (match(items_[i])) return static_cast<int>(i);
        return -1;
    }

private:
    std::vector<void*> items_;
};
