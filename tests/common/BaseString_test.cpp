#include "ROVA_Common.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(BaseStringA, FormatAndAppend) {
    CBaseStringA s;
    EXPECT_STREQ(s.GetString(), "");
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_EQ(s.Format("%d-%s", 42, "x"), 4);
    EXPECT_STREQ(s.GetString(), "42-x");
    s.AppendFormat(" %.2f", 1.5);
    EXPECT_STREQ(s.GetString(), "42-x 1.50");
    EXPECT_EQ(s.GetLength(), 9);
    s.Format("%llu", 18446744073709551615ull);
    EXPECT_STREQ(s.GetString(), "18446744073709551615");
}

TEST(BaseStringA, GrowsPastAnyInitialBuffer) {
    CBaseStringA s;
    std::string expected;
    for (int i = 0; i < 2000; ++i) {
        s.AppendFormat("%04d;", i);
        expected += std::to_string(10000 + i).substr(1) + ";";
    }
    EXPECT_EQ(s.GetLength(), static_cast<int>(expected.size()));
    EXPECT_EQ(std::string(s.GetString()), expected);
}

TEST(BaseStringA, AppendsItsOwnContent) {
    CBaseStringA s("abc");
    for (int i = 0; i < 6; ++i) s.AppendFormat("%s", s.GetString());  // source lives in the buffer
    EXPECT_EQ(s.GetLength(), 3 * 64);
    EXPECT_EQ(std::string(s.GetString()).substr(189), "abc");
}

TEST(BaseStringA, CopiesAreIndependent) {
    CBaseStringA a("one");
    CBaseStringA b(a);
    b.AppendFormat("%s", "-two");
    CBaseStringA c;
    c = b;
    c = c;  // self-assignment keeps the text
    a.Format("changed");
    EXPECT_STREQ(b.GetString(), "one-two");
    EXPECT_STREQ(c.GetString(), "one-two");
    c.Empty();
    EXPECT_EQ(c.GetLength(), 0);
    EXPECT_STREQ(c.GetString(), "");
}

TEST(BaseStringW, NarrowFormatLengthInBytes) {
    CBaseStringW s;
    EXPECT_EQ(s.GetLength(), 0);
    s.Format("%s=%d", "port", 21);
    EXPECT_STREQ(s.GetString(), L"port=21");
    EXPECT_EQ(s.GetLength(), 14);  // 7 UTF-16 units
    s.AppendFormat("%c", '!');
    EXPECT_STREQ(s.GetString(), L"port=21!");
}

TEST(BaseStringW, WideFormatKeepsNonAsciiText) {
    CBaseStringW s;
    s.Format(L"%ls %d", L"\x96F7\x8FBE", 3);  // two CJK characters
    EXPECT_STREQ(s.GetString(), L"\x96F7\x8FBE 3");
    EXPECT_EQ(s.GetLength(), 8);  // 4 UTF-16 units
    std::wstring big(5000, L'z');
    s.AppendFormat(L"%ls", big.c_str());
    EXPECT_EQ(s.GetLength(), static_cast<int>((4 + big.size()) * 2));
}

}  // namespace
