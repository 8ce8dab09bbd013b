// Number parsing, arrays of numbers and text splitting.
#include "ROVA_Common.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct ParseCase {
    const char* text;
    int type;
    bool parsed;
    double expected;  // value read back as the type (unused when not parsed)
};

double ReadBack(const unsigned char* bytes, int type) {
    switch (type) {
        case kDigitalTypeInt8: return *reinterpret_cast<const int8_t*>(bytes);
        case kDigitalTypeUInt8: return *bytes;
        case kDigitalTypeFlag: return *reinterpret_cast<const int32_t*>(bytes);
        case kDigitalTypeInt16: return *reinterpret_cast<const int16_t*>(bytes);
        case kDigitalTypeUInt16: return *reinterpret_cast<const uint16_t*>(bytes);
        case kDigitalTypeInt32: return *reinterpret_cast<const int32_t*>(bytes);
        case kDigitalTypeUInt32: return *reinterpret_cast<const uint32_t*>(bytes);
        case kDigitalTypeInt64: return static_cast<double>(*reinterpret_cast<const int64_t*>(bytes));
        case kDigitalTypeUInt64: return static_cast<double>(*reinterpret_cast<const uint64_t*>(bytes));
        case kDigitalTypeFloat: return *reinterpret_cast<const float*>(bytes);
        default: return *reinterpret_cast<const double*>(bytes);
    }
}

class DigitalParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DigitalParse, StoresOrKeepsPreset) {
    const ParseCase& c = GetParam();
    unsigned char target[16];
    std::memset(target, 0xA5, sizeof(target));
    int result = DigtalStringToValue(c.text, -1, target, c.type);
    EXPECT_EQ(result != 0, c.parsed);
    const int size = gDigitalTypeSize[c.type];
    if (c.parsed) {
        EXPECT_DOUBLE_EQ(ReadBack(target, c.type), c.expected);
    } else {
        for (int i = 0; i < size; ++i) EXPECT_EQ(target[i], 0xA5) << "byte " << i << " changed";
    }
    for (int i = size; i < 16; ++i) EXPECT_EQ(target[i], 0xA5) << "wrote past the element";
}

const ParseCase kParseCases[] = {
    {"42", kDigitalTypeInt32, true, 42},
    {"  -17 ", kDigitalTypeInt32, true, -17},
    {"+8", kDigitalTypeInt32, true, 8},
    {"0x1F", kDigitalTypeInt32, true, 31},
    {"2147483647", kDigitalTypeInt32, true, 2147483647.0},
    {"-2147483648", kDigitalTypeInt32, true, -2147483648.0},
    {"2147483648", kDigitalTypeInt32, false, 0},
    {"12abc", kDigitalTypeInt32, false, 0},
    {"1.5", kDigitalTypeInt32, false, 0},
    {"", kDigitalTypeInt32, false, 0},
    {"   ", kDigitalTypeInt32, false, 0},
    {"-", kDigitalTypeInt32, false, 0},
    {"4294967295", kDigitalTypeUInt32, true, 4294967295.0},
    {"4294967296", kDigitalTypeUInt32, false, 0},
    {"-1", kDigitalTypeUInt32, false, 0},
    {"-0", kDigitalTypeUInt32, true, 0},
    {"1", kDigitalTypeFlag, true, 1},
    {"0", kDigitalTypeFlag, true, 0},
    {"7", kDigitalTypeFlag, true, 1},
    {"TRUE", kDigitalTypeFlag, true, 1},
    {"false", kDigitalTypeFlag, true, 0},
    {"yes", kDigitalTypeFlag, false, 0},
    {"3.25", kDigitalTypeDouble, true, 3.25},
    {"-2e3", kDigitalTypeDouble, true, -2000},
    {"7", kDigitalTypeDouble, true, 7},
    {".5", kDigitalTypeDouble, true, 0.5},
    {"1e999", kDigitalTypeDouble, false, 0},
    {"nan", kDigitalTypeDouble, false, 0},
    {"inf", kDigitalTypeDouble, false, 0},
    {"1.2.3", kDigitalTypeDouble, false, 0},
    {"abc", kDigitalTypeDouble, false, 0},
    {"0.25", kDigitalTypeFloat, true, 0.25},
    {"1e40", kDigitalTypeFloat, false, 0},
    {"127", kDigitalTypeInt8, true, 127},
    {"-129", kDigitalTypeInt8, false, 0},
    {"255", kDigitalTypeUInt8, true, 255},
    {"256", kDigitalTypeUInt8, false, 0},
    {"-32768", kDigitalTypeInt16, true, -32768},
    {"65536", kDigitalTypeUInt16, false, 0},
    {"-9223372036854775808", kDigitalTypeInt64, true, -9223372036854775808.0},
    {"9223372036854775808", kDigitalTypeInt64, false, 0},
    {"18446744073709551616", kDigitalTypeUInt64, false, 0},
};
INSTANTIATE_TEST_SUITE_P(Table, DigitalParse, ::testing::ValuesIn(kParseCases));

TEST(DigitalParseLimits, LengthBoundsTheText) {
    int value = -1;
    EXPECT_NE(DigtalStringToValue("12345", 3, &value, kDigitalTypeInt32), 0);
    EXPECT_EQ(value, 123);
    EXPECT_EQ(DigtalStringToValue("12", 5, &value, kDigitalTypeInt32), 1);  // stops at the terminator
    EXPECT_EQ(value, 12);
}

TEST(DigitalParseLimits, BadTypeOrNullsRefused) {
    int value = 5;
    EXPECT_EQ(DigtalStringToValue("1", -1, &value, 11), 0);
    EXPECT_EQ(DigtalStringToValue("1", -1, &value, -1), 0);
    EXPECT_EQ(DigtalStringToValue(nullptr, -1, &value, kDigitalTypeInt32), 0);
    EXPECT_EQ(DigtalStringToValue("1", -1, nullptr, kDigitalTypeInt32), 0);
    EXPECT_EQ(value, 5);
}

TEST(DigitalTypeSize, MatchesTheStoredWidth) {
    const int expected[] = {1, 1, 4, 2, 2, 4, 4, 8, 8, 4, 8};
    for (int t = 0; t < kDigitalTypeCount; ++t) EXPECT_EQ(gDigitalTypeSize[t], expected[t]) << t;
}

TEST(ParseDigitalArray, CountsStoresAndStops) {
    double values[4] = {-1, -1, -1, -1};
    EXPECT_EQ(ParseDigitalArrayValue("1.5, 2 ,3", -1, ",", 1, 0, kDigitalTypeDouble, values, 4), 3);
    EXPECT_EQ(values[0], 1.5);
    EXPECT_EQ(values[1], 2.0);
    EXPECT_EQ(values[2], 3.0);
    EXPECT_EQ(values[3], -1);
    // Counting only.
    EXPECT_EQ(ParseDigitalArrayValue("10,20,30", -1, ",", 1, 0, kDigitalTypeInt32, nullptr, -1), 3);
    // The maximum bounds what is written.
    int ints[3] = {0, 0, 99};
    EXPECT_EQ(ParseDigitalArrayValue("10,20,30", -1, ",", 1, 0, kDigitalTypeInt32, ints, 2), 2);
    EXPECT_EQ(ints[0], 10);
    EXPECT_EQ(ints[1], 20);
    EXPECT_EQ(ints[2], 99);
    // A bad element ends the list; empty pieces are skipped.
    EXPECT_EQ(ParseDigitalArrayValue("4,,5,x,6", -1, ",", 1, 0, kDigitalTypeInt32, ints, 3), 2);
    EXPECT_EQ(ints[0], 4);
    EXPECT_EQ(ints[1], 5);
    EXPECT_EQ(ParseDigitalArrayValue("", -1, ",", 1, 0, kDigitalTypeInt32, ints, 3), 0);
    // int16 elements are packed at 2 bytes.
    int16_t shorts[3] = {};
    EXPECT_EQ(ParseDigitalArrayValue("-1;2;3", -1, ";", 1, 0, kDigitalTypeInt16, shorts, 3), 3);
    EXPECT_EQ(shorts[0], -1);
    EXPECT_EQ(shorts[2], 3);
}

std::vector<std::string> Pieces(const char* text, int length, const char* separators, int skipEmpty, int trim,
                                int maxPieces) {
    char** pieces = nullptr;
    int n = DevideStringByCharListA(text, length, separators, skipEmpty, trim, &pieces, maxPieces);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.emplace_back(pieces[i]);
    if (n > 0) {
        EXPECT_EQ(pieces[n], nullptr);  // null-terminated table
    }
    Internal_DelArrayA(pieces);
    return out;
}

TEST(DevideString, Narrow) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Pieces("1,2;3,4;;5,6;", -1, ";", 1, 0, -1), (V{"1,2", "3,4", "5,6"}));
    EXPECT_EQ(Pieces("a;;b", -1, ";", 0, 0, -1), (V{"a", "", "b"}));
    EXPECT_EQ(Pieces("a, b ;c", -1, ",;", 1, 1, -1), (V{"a", "b", "c"}));
    EXPECT_EQ(Pieces("a;b;c;d", -1, ";", 1, 0, 2), (V{"a", "b;c;d"}));
    EXPECT_EQ(Pieces("a;b;c", 3, ";", 1, 0, -1), (V{"a", "b"}));
    EXPECT_EQ(Pieces("", -1, ";", 1, 0, -1), V{});
    EXPECT_EQ(Pieces(";;;", -1, ";", 1, 0, -1), V{});
    EXPECT_EQ(Pieces("whole", -1, ";", 1, 0, -1), (V{"whole"}));
}

TEST(DevideString, Wide) {
    wchar_t** pieces = nullptr;
    int n = DevideStringByCharListW(L"\x4E00;\x4E8C;", -1, L";", 1, 0, &pieces, -1);
    ASSERT_EQ(n, 2);
    EXPECT_STREQ(pieces[0], L"\x4E00");
    EXPECT_STREQ(pieces[1], L"\x4E8C");
    Internal_DelArrayW(pieces);
    EXPECT_EQ(DevideStringByCharListW(L"", -1, L";", 1, 0, &pieces, -1), 0);
    EXPECT_EQ(pieces, nullptr);
    Internal_DelArrayW(pieces);  // null is harmless
}

}  // namespace
