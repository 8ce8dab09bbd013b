#include "ROVA_Common.h"

#include <new>

struct CPtrListCtrl::Node {
    void* value;
    Node* prev;
    Node* next;
};

CPtrListCtrl::CPtrListCtrl() = default;

CPtrListCtrl::~CPtrListCtrl() { RemoveAll(); }

CPtrListCtrl::Node* CPtrListCtrl::NodeAt(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    // Walk from the nearer end.
    if (index <= count_ / 2) {
        Node* node = head_;
        for (int i = 0; i < index; ++i) node = node->next;
        return node;
    }
    Node* node = tail_;
    for (int i = count_ - 1; i > index; --i) node = node->prev;
    return node;
}

int CPtrListCtrl::AddData(void* value, int index) {
    Node* node = new (std::nothrow) Node{value, nullptr, nullptr};
    if (!node) return -1;
    if (index < 0 || index >= count_) {
        node->prev = tail_;
        if (tail_) tail_->next = node; else head_ = node;
        tail_ = node;
        return count_++;
    }
    Node* at = NodeAt(index);
    node->next = at;
    node->prev = at->prev;
    if (at->prev) at->prev->next = node; else head_ = node;
    at->prev = node;
    ++count_;
    return index;
}

void* CPtrListCtrl::GetAt(int index) const {
    Node* node = NodeAt(index);
    return node ? node->value : nullptr;
}

int CPtrListCtrl::FindData(void* key, PtrCompareProc compare) const {
    int index = 0;
    for (Node* node = head_; node; node = node->next, ++index) {
        if (compare ? compare(node->value, key) == 0 : node->value == key) return index;
    }
    return -1;
}

void* CPtrListCtrl::RemoveAt(int index, int count) {
    Node* node = NodeAt(index);
    if (!node || count < 1) return nullptr;
    void* first = node->value;
    if (count > count_ - index) count = count_ - index;
    Node* before = node->prev;
    for (int i = 0; i < count; ++i) {
        Node* next = node->next;
        delete node;
        node = next;
    }
    if (before) before->next = node; else head_ = node;
    if (node) node->prev = before; else tail_ = before;
    count_ -= count;
    return first;
}

void CPtrListCtrl::RemoveAll() {
    Node* node = head_;
    while (node) {
        Node* next = node->next;
        delete node;
        node = next;
    }
    head_ = tail_ = nullptr;
    count_ = 0;
}

int CPtrListCtrl::MoveToFront(int index, int count, int destination) {
    Node* first = NodeAt(index);
    if (!first || count < 1) return 0;
    if (count > count_ - index) count = count_ - index;
    Node* last = first;
    for (int i = 1; i < count; ++i) last = last->next;
    // Unlink the run [first, last].
    if (first->prev) first->prev->next = last->next; else head_ = last->next;
    if (last->next) last->next->prev = first->prev; else tail_ = first->prev;
    count_ -= count;
    // Relink before the node now at `destination` of the remaining list (end when beyond).
    Node* at = (destination < 0 || destination >= count_) ? nullptr : NodeAt(destination);
    if (at) {
        first->prev = at->prev;
        last->next = at;
        if (at->prev) at->prev->next = first; else head_ = first;
        at->prev = last;
    } else {
        first->prev = tail_;
        last->next = nullptr;
        if (tail_) tail_->next = first; else head_ = first;
        tail_ = last;
    }
    count_ += count;
    return 1;
}

int CPtrListCtrl::GetCount() const { return count_; }
