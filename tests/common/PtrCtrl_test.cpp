// List and array containers, checked against a std::vector model.
#include "ROVA_Common.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

void* V(intptr_t n) { return reinterpret_cast<void*>(n); }

template <typename T>
class PtrCtrlTest : public ::testing::Test {
protected:
    T container;

    std::vector<intptr_t> Contents() {
        std::vector<intptr_t> out;
        for (int i = 0; i < container.GetCount(); ++i) out.push_back(reinterpret_cast<intptr_t>(container.GetAt(i)));
        return out;
    }
    void Fill(std::initializer_list<intptr_t> values) {
        for (intptr_t v : values) container.AddData(V(v), -1);
    }
};

using Containers = ::testing::Types<CPtrListCtrl, CPtrArrayCtrl>;
TYPED_TEST_SUITE(PtrCtrlTest, Containers);

TYPED_TEST(PtrCtrlTest, AddAtFrontEndAndMiddle) {
    EXPECT_EQ(this->container.AddData(V(2), -1), 0);
    EXPECT_EQ(this->container.AddData(V(1), 0), 0);
    EXPECT_EQ(this->container.AddData(V(4), -1), 2);
    EXPECT_EQ(this->container.AddData(V(3), 2), 2);
    EXPECT_EQ(this->container.AddData(V(5), 99), 4);  // beyond the end appends
    EXPECT_EQ(this->Contents(), (std::vector<intptr_t>{1, 2, 3, 4, 5}));
}

TYPED_TEST(PtrCtrlTest, GetAtOutOfRangeIsNull) {
    this->Fill({7, 8});
    EXPECT_EQ(this->container.GetAt(-1), nullptr);
    EXPECT_EQ(this->container.GetAt(2), nullptr);
    EXPECT_EQ(this->container.GetAt(1), V(8));
}

int CompareByTens(void* value, void* key) {
    return reinterpret_cast<intptr_t>(value) / 10 == reinterpret_cast<intptr_t>(key) ? 0 : 1;
}

TYPED_TEST(PtrCtrlTest, FindFirstMatch) {
    this->Fill({11, 25, 21, 33});
    EXPECT_EQ(this->container.FindData(V(21)), 2);
    EXPECT_EQ(this->container.FindData(V(2), CompareByTens), 1);  // 25 comes before 21
    int missing = this->container.FindData(V(99));
    EXPECT_EQ(this->container.GetAt(missing), nullptr);
}

TYPED_TEST(PtrCtrlTest, RemoveReturnsFirstValueAndClipsCount) {
    this->Fill({1, 2, 3, 4, 5});
    EXPECT_EQ(this->container.RemoveAt(1, 2), V(2));
    EXPECT_EQ(this->Contents(), (std::vector<intptr_t>{1, 4, 5}));
    EXPECT_EQ(this->container.RemoveAt(1, 10), V(4));
    EXPECT_EQ(this->Contents(), (std::vector<intptr_t>{1}));
    EXPECT_EQ(this->container.RemoveAt(5, 1), nullptr);
    EXPECT_EQ(this->container.GetCount(), 1);
    this->container.RemoveAll();
    EXPECT_EQ(this->container.GetCount(), 0);
    EXPECT_EQ(this->container.GetAt(0), nullptr);
    this->Fill({9});  // usable after RemoveAll
    EXPECT_EQ(this->Contents(), (std::vector<intptr_t>{9}));
}

TYPED_TEST(PtrCtrlTest, MoveToFront) {
    struct Case {
        int index, count, destination;
        std::vector<intptr_t> expected;
    };
    const Case cases[] = {
        {3, 1, 0, {3, 0, 1, 2, 4, 5}},
        {0, 1, 0, {0, 1, 2, 3, 4, 5}},
        {4, 2, 0, {4, 5, 0, 1, 2, 3}},
        {2, 2, 1, {0, 2, 3, 1, 4, 5}},
        {1, 2, 3, {0, 3, 4, 1, 2, 5}},   // towards the back
        {0, 2, 99, {2, 3, 4, 5, 0, 1}},  // beyond: to the end
        {5, 9, 0, {5, 0, 1, 2, 3, 4}},   // count clipped
    };
    for (const Case& c : cases) {
        this->container.RemoveAll();
        this->Fill({0, 1, 2, 3, 4, 5});
        EXPECT_NE(this->container.MoveToFront(c.index, c.count, c.destination), 0);
        EXPECT_EQ(this->Contents(), c.expected) << c.index << "," << c.count << "," << c.destination;
    }
    EXPECT_EQ(this->container.MoveToFront(6, 1, 0), 0);
}

// Random operations against a vector model: catches broken links and off-by-ones that the
// fixed cases miss.
TYPED_TEST(PtrCtrlTest, MatchesModelUnderRandomOperations) {
    std::mt19937 random(12345);
    std::vector<intptr_t> model;
    intptr_t next = 1;
    for (int step = 0; step < 4000; ++step) {
        int n = static_cast<int>(model.size());
        switch (random() % 4) {
            case 0:
            case 1: {
                int index = static_cast<int>(random() % (n + 2)) - 1;  // -1 .. n
                int at = this->container.AddData(V(next), index);
                int expectedAt = (index < 0 || index >= n) ? n : index;
                ASSERT_EQ(at, expectedAt);
                model.insert(model.begin() + expectedAt, next++);
                break;
            }
            case 2: {
                if (n == 0) break;
                int index = static_cast<int>(random() % n);
                int count = 1 + static_cast<int>(random() % 3);
                ASSERT_EQ(this->container.RemoveAt(index, count), V(model[index]));
                model.erase(model.begin() + index, model.begin() + std::min(n, index + count));
                break;
            }
            case 3: {
                if (n == 0) break;
                int index = static_cast<int>(random() % n);
                int count = 1 + static_cast<int>(random() % 3);
                int end = std::min(n, index + count);
                std::vector<intptr_t> run(model.begin() + index, model.begin() + end);
                model.erase(model.begin() + index, model.begin() + end);
                int destination = static_cast<int>(random() % (model.size() + 1));
                model.insert(model.begin() + destination, run.begin(), run.end());
                ASSERT_NE(this->container.MoveToFront(index, count, destination), 0);
                break;
            }
        }
        ASSERT_EQ(this->container.GetCount(), static_cast<int>(model.size()));
    }
    EXPECT_EQ(this->Contents(), model);
}

TYPED_TEST(PtrCtrlTest, HoldsPackedPointsIncludingNegativeCoordinates) {
    // The track renderer stores (x low, y high) pairs as values.
    uint64_t packed = (static_cast<uint64_t>(static_cast<uint32_t>(-7)) << 32) | static_cast<uint32_t>(-3);
    this->container.AddData(reinterpret_cast<void*>(static_cast<uintptr_t>(packed)), -1);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(this->container.GetAt(0)), packed);
}

TEST(PtrCtrlLayout, EmbeddedSizeIsFixed) {
    EXPECT_EQ(sizeof(CPtrListCtrl), 72u);
    EXPECT_EQ(sizeof(CPtrArrayCtrl), 72u);
}

}  // namespace
