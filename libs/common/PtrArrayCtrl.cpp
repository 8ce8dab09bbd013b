#include "ROVA_Common.h"

#include <cstdlib>
#include <cstring>

CPtrArrayCtrl::CPtrArrayCtrl() = default;

CPtrArrayCtrl::~CPtrArrayCtrl() { std::free(items_); }

int CPtrArrayCtrl::AddData(void* value, int index) {
    if (count_ == capacity_) {
        int newCapacity = capacity_ ? capacity_ * 2 : 8;
        void* grown = std::realloc(items_, sizeof(void*) * static_cast<size_t>(newCapacity));
        if (!grown) return -1;
        items_ = static_cast<void**>(grown);
        capacity_ = newCapacity;
    }
    if (index < 0 || index >= count_) index = count_;
    std::memmove(items_ + index + 1, items_ + index, sizeof(void*) * static_cast<size_t>(count_ - index));
    items_[index] = value;
    ++count_;
    return index;
}

void* CPtrArrayCtrl::GetAt(int index) const {
    return (index >= 0 && index < count_) ? items_[index] : nullptr;
}

int CPtrArrayCtrl::FindData(void* key, PtrCompareProc compare) const {
    for (int i = 0; i < count_; ++i) {
        if (compare ? compare(items_[i], key) == 0 : items_[i] == key) return i;
    }
    return -1;
}

void* CPtrArrayCtrl::RemoveAt(int index, int count) {
    if (index < 0 || index >= count_ || count < 1) return nullptr;
    if (count > count_ - index) count = count_ - index;
    void* first = items_[index];
    std::memmove(items_ + index, items_ + index + count,
                 sizeof(void*) * static_cast<size_t>(count_ - index - count));
    count_ -= count;
    return first;
}

void CPtrArrayCtrl::RemoveAll() {
    std::free(items_);
    items_ = nullptr;
    count_ = capacity_ = 0;
}

int CPtrArrayCtrl::MoveToFront(int index, int count, int destination) {
    if (index < 0 || index >= count_ || count < 1) return 0;
    if (count > count_ - index) count = count_ - index;
    int rest = count_ - count;
    if (destination < 0 || destination > rest) destination = rest;
    if (destination == index) return 1;
    // Rotate the affected span in place: no allocation, so the move cannot fail half-way.
    auto reverse = [this](int from, int to) {  // [from, to)
        for (int a = from, b = to - 1; a < b; ++a, --b) {
            void* t = items_[a];
            items_[a] = items_[b];
            items_[b] = t;
        }
    };
    if (destination < index) {
        // span [destination, index + count): bring the run to its start
        reverse(destination, index);
        reverse(index, index + count);
        reverse(destination, index + count);
    } else {
        // span [index, destination + count): bring the run to its end
        reverse(index, index + count);
        reverse(index + count, destination + count);
        reverse(index, destination + count);
    }
    return 1;
}

int CPtrArrayCtrl::GetCount() const { return count_; }
