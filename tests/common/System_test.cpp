// Single instance check and clock.
#include "ROVA_Common.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring UniqueName(const wchar_t* tag) {
    return std::wstring(L"Local\\RovaCommonTest_") + tag + L"_" + std::to_wstring(GetCurrentProcessId());
}

TEST(SingleInstance, FirstHolderWinsAndKeepsTheName) {
    std::wstring name = UniqueName(L"first");
    EXPECT_NE(CheckSingleInstanceW(name.c_str()), 0);
    EXPECT_EQ(CheckSingleInstanceW(name.c_str()), 0);
    // The name is still held: someone else opening it sees an existing mutex.
    HANDLE other = CreateMutexW(nullptr, FALSE, name.c_str());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(other);
}

TEST(SingleInstance, AnotherHolderBlocks) {
    std::wstring name = UniqueName(L"other");
    HANDLE holder = CreateMutexW(nullptr, FALSE, name.c_str());
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(CheckSingleInstanceW(name.c_str()), 0);
    CloseHandle(holder);
    EXPECT_NE(CheckSingleInstanceW(name.c_str()), 0);  // free again once released
    EXPECT_EQ(CheckSingleInstanceW(L""), 0);
}


}  // namespace
