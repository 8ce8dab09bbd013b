#include "controls/DigitalEditLogic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "controls/BalloonModel.h"

namespace {

struct TypedCase {
    int32_t type;
    wchar_t ch;
    const wchar_t* newText;  // what the edit control made of the character
    bool accepted;
    const wchar_t* message;
};

TEST(DigitalEditLogicTest, TypedCharactersFollowTheValueType) {
    const TypedCase cases[] = {
        {DigitalValueDouble, L'.', L"1.5.", false, L"Invalid character '.'"},
        {DigitalValueDouble, L'.', L"1.5", true, L""},
        {DigitalValueDouble, L'.', L".", true, L""},
        {DigitalValueFloat, L'.', L"-.5", true, L""},
        {DigitalValueInt32, L'.', L"1.", false, L"Invalid character '.'"},
        {DigitalValueInt64, L'.', L".", false, L"Invalid character '.'"},
        {DigitalValueDouble, L'-', L"-12", true, L""},
        {DigitalValueDouble, L'-', L"1-2", false, L"Invalid character '-'"},
        {DigitalValueDouble, L'-', L"--12", false, L"Invalid character '-'"},
        {DigitalValueInt32, L'-', L"-", true, L""},
        {DigitalValueUInt32, L'-', L"-12", false, L"Invalid character '-'"},
        {DigitalValueUInt64, L'-', L"-", false, L"Invalid character '-'"},
        {DigitalValueUInt32, L'7', L"17", true, L""},
        {DigitalValueDouble, L'a', L"12a", false, L"Invalid character 'a'"},
        {DigitalValueDouble, L' ', L"12 ", false, L"Invalid character ' '"},
        {DigitalValueInt32, L'+', L"+1", false, L"Invalid character '+'"},
        {DigitalValueDouble, L'e', L"1e", false, L"Invalid character 'e'"},
        {DigitalValueDouble, L'\x4e2d', L"1\x4e2d", false, L"Invalid character '\x4e2d'"},
        {DigitalValueDouble, L'\b', L"1", true, L""},
        {DigitalValueDouble, L'\x16', L"abc", true, L""},  // Ctrl+V: pasted text is judged at the commit
        {DigitalValueDouble, L'\t', L"1", true, L""},
        {DigitalValueDouble, L'\r', L"1", true, L""},
    };
    for (const TypedCase& c : cases) {
        CDigitalEditLogic logic;
        logic.SetValueType(c.type);
        const TypedCharVerdict verdict = logic.CheckTypedChar(c.ch, c.newText);
        EXPECT_EQ(verdict.accepted, c.accepted) << "type " << c.type << " char " << static_cast<int>(c.ch);
        EXPECT_EQ(verdict.message, c.message) << "type " << c.type << " char " << static_cast<int>(c.ch);
    }
}

struct RangeCase {
    const wchar_t* text;
    bool passed;
    const wchar_t* message;     // "" when no balloon
    const wchar_t* correction;  // "" when passed
};

TEST(DigitalEditLogicTest, DoubleHardBoundsCorrectAndName) {
    CDigitalEditLogic logic;
    logic.SetValueType(DigitalValueDouble);
    logic.SetMustMin(MakeBoundValue(1.0), 1e-16);
    logic.SetMustMax(MakeBoundValue(30.0), 1e-16);
    const RangeCase cases[] = {
        {L"35", false, L"最大值 Must <= 30", L"30"},
        {L"30.0000001", false, L"最大值 Must <= 30", L"30"},
        {L"30", true, L"", L""},
        {L"1", true, L"", L""},
        {L"0.5", false, L"最小值 Must >= 1", L"1"},
        {L"", false, L"最小值 Must >= 1", L"1"},
        {L"abc", false, L"最小值 Must >= 1", L"1"},
        {L"12abc", true, L"", L""},   // the leading number counts
        {L"  7", true, L"", L""},
        {L"-5", false, L"最小值 Must >= 1", L"1"},
        {L"1e3", false, L"最大值 Must <= 30", L"30"},
        {L"1e999", false, L"最大值 Must <= 30", L"30"},
        {L"nan", false, L"最小值 Must >= 1", L"1"},   // not a number: read as 0
        {L"inf", false, L"最小值 Must >= 1", L"1"},
        {L"0x1F", false, L"最小值 Must >= 1", L"1"},  // decimal only: "0" then garbage
    };
    for (const RangeCase& c : cases) {
        const RangeVerdict verdict = logic.CheckValueRange(c.text);
        EXPECT_EQ(verdict.passed, c.passed) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(verdict.showBalloon, *c.message != 0) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(verdict.message, c.message) << testing::PrintToString(std::wstring(c.text));
        if (!c.passed) {
            EXPECT_EQ(verdict.title, L"Data Invalid");
            EXPECT_EQ(verdict.icon, BalloonIconError);
            EXPECT_EQ(verdict.correction, c.correction);
        }
    }
}

TEST(DigitalEditLogicTest, IntegerBoundsAdmitHalfAUnit) {
    struct Case {
        int32_t type;
        const wchar_t* text;
        bool passed;
    };
    const Case cases[] = {
        {DigitalValueInt32, L"30.5", true},  {DigitalValueInt32, L"30.6", false},
        {DigitalValueInt32, L"-3.5", true},  {DigitalValueInt32, L"-3.6", false},
        {DigitalValueUInt32, L"30.5", true}, {DigitalValueUInt32, L"31", false},
        {DigitalValueInt64, L"30.5", true},  {DigitalValueInt64, L"-4", false},
        {DigitalValueUInt64, L"30.6", false}, {DigitalValueUInt64, L"0", true},
    };
    for (const Case& c : cases) {
        CDigitalEditLogic logic;
        logic.SetValueType(c.type);
        if (c.type == DigitalValueInt32) {
            logic.SetMustMin(MakeBoundValue(int32_t{-3}), 0);
            logic.SetMustMax(MakeBoundValue(int32_t{30}), 0);
        } else if (c.type == DigitalValueUInt32) {
            logic.SetMustMin(MakeBoundValue(uint32_t{0}), 0);
            logic.SetMustMax(MakeBoundValue(uint32_t{30}), 0);
        } else if (c.type == DigitalValueInt64) {
            logic.SetMustMin(MakeBoundValue(int64_t{-3}), 0);
            logic.SetMustMax(MakeBoundValue(int64_t{30}), 0);
        } else {
            logic.SetMustMin(MakeBoundValue(uint64_t{0}), 0);
            logic.SetMustMax(MakeBoundValue(uint64_t{30}), 0);
        }
        EXPECT_EQ(logic.CheckValueRange(c.text).passed, c.passed)
            << "type " << c.type << " " << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(DigitalEditLogicTest, UnsignedBoundsAreReadUnsigned) {
    CDigitalEditLogic logic;
    logic.SetValueType(DigitalValueUInt32);
    logic.SetMustMax(MakeBoundValue(uint32_t{4000000000u}), 0);
    EXPECT_TRUE(logic.CheckValueRange(L"3999999999").passed);
    const RangeVerdict verdict = logic.CheckValueRange(L"4000000001");
    EXPECT_FALSE(verdict.passed);
    EXPECT_EQ(verdict.correction, L"4000000000");

    logic.SetValueType(DigitalValueUInt64);
    logic.SetMustMax(MakeBoundValue(uint64_t{18000000000000000000ull}), 0);
    EXPECT_EQ(logic.FormatBoundValue(*static_cast<const BoundRecord*>(logic.MustMaxBounds().GetAt(0))),
              L"18000000000000000000");
}

TEST(DigitalEditLogicTest, FloatToleranceWidensTheBound) {
    CDigitalEditLogic logic;
    logic.SetValueType(DigitalValueFloat);
    logic.SetMustMax(MakeBoundValue(2.5f), 0.25);
    EXPECT_TRUE(logic.CheckValueRange(L"2.75").passed);
    const RangeVerdict verdict = logic.CheckValueRange(L"2.76");
    EXPECT_FALSE(verdict.passed);
    EXPECT_EQ(verdict.correction, L"2.5");
    EXPECT_EQ(verdict.message, L"最大值 Must <= 2.5");
}

TEST(DigitalEditLogicTest, ViolatedMinimumIsReportedBeforeMaximum) {
    CDigitalEditLogic logic;
    logic.SetValueType(DigitalValueDouble);
    logic.SetMustMin(MakeBoundValue(20.0), 0);
    logic.SetMustMax(MakeBoundValue(10.0), 0);
    const RangeVerdict verdict = logic.CheckValueRange(L"25");
    EXPECT_FALSE(verdict.passed);
    EXPECT_EQ(verdict.correction, L"10");
    const RangeVerdict both = logic.CheckValueRange(L"5");
    EXPECT_EQ(both.message, L"最小值 Must >= 20");
}

TEST(DigitalEditLogicTest, SettingABoundReplacesThePreviousOne) {
    CDigitalEditLogic logic;
    logic.SetValueType(DigitalValueDouble);
    logic.SetMustMax(MakeBoundValue(10.0), 0);
    logic.SetMustMax(MakeBoundValue(50.0), 0);
    ASSERT_EQ(logic.MustMaxBounds().GetCount(), 1);
    EXPECT_TRUE(logic.CheckValueRange(L"40").passed);
    const auto* record = static_cast<const BoundRecord*>(logic.MustMaxBounds().GetAt(0));
    EXPECT_EQ(record->label, L"最大值");
    EXPECT_EQ(record->valueType, DigitalValueDouble);
    EXPECT_TRUE(record->format.empty());
}

TEST(DigitalEditLogicTest, CheckBoundsAdvisoryPrefixesAndNaN) {
    CDigitalEditLogic logic;
    logic.SetValueType(DigitalValueDouble);
    CPtrArrayCtrl list;
    BoundRecord first{DigitalValueDouble, MakeBoundValue(5.0), 0.0, L"A", L""};
    BoundRecord second{DigitalValueDouble, MakeBoundValue(8.0), 0.0, L"B", L"%.2f"};
    list.AddData(&first);
    list.AddData(&second);
    struct Case {
        double x;
        BoundSide side;
        BoundStrength strength;
        bool ok;
        const wchar_t* message;
    };
    const Case cases[] = {
        {6.0, BoundSide::Minimum, BoundStrength::Advisory, false, L"B Suggest >= 8.00"},
        {4.0, BoundSide::Minimum, BoundStrength::Advisory, false, L"A Suggest >= 5"},
        {4.0, BoundSide::Minimum, BoundStrength::Hard, false, L"A Must >= 5"},
        {9.0, BoundSide::Minimum, BoundStrength::Hard, true, L""},
        {6.0, BoundSide::Maximum, BoundStrength::Advisory, false, L"A Suggest <= 5"},
        {6.0, BoundSide::Maximum, BoundStrength::Hard, false, L"A Must <= 5"},
        {std::numeric_limits<double>::quiet_NaN(), BoundSide::Maximum, BoundStrength::Hard, true, L""},
        {std::numeric_limits<double>::quiet_NaN(), BoundSide::Minimum, BoundStrength::Hard, true, L""},
    };
    for (const Case& c : cases) {
        std::wstring correction, message;
        EXPECT_EQ(logic.CheckBounds(c.x, list, c.side, c.strength, correction, message), c.ok) << c.x;
        EXPECT_EQ(message, c.message) << c.x;
    }
    // Records are read with the box's type: an unknown type skips them all.
    logic.SetValueType(17);
    std::wstring correction, message;
    EXPECT_TRUE(logic.CheckBounds(100.0, list, BoundSide::Maximum, BoundStrength::Hard, correction, message));
}

TEST(DigitalEditLogicTest, FormatBoundValueUsesTheTypeDefaults) {
    struct Case {
        int32_t type;
        uint64_t raw;
        const wchar_t* text;
    };
    const Case cases[] = {
        {DigitalValueInt32, MakeBoundValue(int32_t{-42}), L"-42"},
        {DigitalValueUInt32, MakeBoundValue(uint32_t{4294967295u}), L"4294967295"},
        {DigitalValueInt64, MakeBoundValue(int64_t{-9000000000}), L"-9000000000"},
        {DigitalValueUInt64, MakeBoundValue(uint64_t{12345678901234ull}), L"12345678901234"},
        {DigitalValueFloat, MakeBoundValue(2.5f), L"2.5"},
        {DigitalValueDouble, MakeBoundValue(30.0), L"30"},
        {DigitalValueDouble, MakeBoundValue(-0.25), L"-0.25"},
        {DigitalValueDouble, MakeBoundValue(1e-12), L"0"},
        {9, MakeBoundValue(30.0), L""},
    };
    for (const Case& c : cases) {
        CDigitalEditLogic logic;
        logic.SetValueType(c.type);
        BoundRecord record{c.type, c.raw, 0.0, L"", L""};
        EXPECT_EQ(logic.FormatBoundValue(record), c.text) << "type " << c.type;
    }
    // A record's own format wins.
    CDigitalEditLogic logic;
    logic.SetValueType(DigitalValueInt32);
    BoundRecord hex{DigitalValueInt32, MakeBoundValue(int32_t{255}), 0.0, L"", L"0x%X"};
    EXPECT_EQ(logic.FormatBoundValue(hex), L"0xFF");
}

TEST(DigitalEditLogicTest, CountDecimalPlaces) {
    struct Case {
        double x;
        int maxDecimals;
        int expected;
    };
    const Case cases[] = {
        {7.0, 1, 0},   {7.5, 1, 1},    {5.004, 1, 0},  {5.009, 1, 0},  {5.02, 1, 1},
        {-7.5, 1, 1},  {30.0, 10, 0},  {0.25, 10, 2},  {-0.125, 10, 3}, {1.5, 0, 0},
        {1e-12, 10, 0}, {3e9, 10, 0},  {-3e9, 10, 0},
        {std::numeric_limits<double>::quiet_NaN(), 4, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CDigitalEditLogic::CountDecimalPlaces(c.x, c.maxDecimals), c.expected) << c.x << " max " << c.maxDecimals;
    }
}

TEST(DigitalEditLogicTest, ParseDecimalReadsTheLeadingNumber) {
    struct Case {
        const wchar_t* text;
        double value;
    };
    const Case cases[] = {
        {L"12", 12}, {L"-12.5", -12.5}, {L".5", 0.5}, {L"-.5", -0.5}, {L"12abc", 12},
        {L" \t3", 3}, {L"+4", 4}, {L"2e3", 2000}, {L"2e", 2}, {L"2e+", 2}, {L"1.5.3", 1.5},
        {L"", 0}, {L"-", 0}, {L".", 0}, {L"abc", 0}, {L"nan", 0}, {L"inf", 0}, {L"0x10", 0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(CDigitalEditLogic::ParseDecimal(c.text), c.value) << testing::PrintToString(std::wstring(c.text));
    }
    EXPECT_TRUE(std::isinf(CDigitalEditLogic::ParseDecimal(L"1e400")));
    EXPECT_EQ(CDigitalEditLogic::ParseDecimal(nullptr), 0.0);
}

TEST(DigitalEditLogicTest, DialogDoubleShowsOneDecimalAtMost) {
    struct Case {
        double value;
        const wchar_t* text;
    };
    const Case cases[] = {
        {7.0, L"7"}, {7.5, L"7.5"}, {5.004, L"5"}, {0.0, L"0"}, {31.0, L"31"}, {-2.5, L"-2.5"},
    };
    for (const Case& c : cases) EXPECT_EQ(CDigitalEditLogic::FormatDialogDouble(c.value), c.text) << c.value;
}

}  // namespace
