#pragma once
// What the numeric edit decides without a window: which typed characters belong to a number of
// its type, whether a committed value lies inside its bounds, and how bounds and values are shown.
#include <cstdint>
#include <string>

#include "contracts/ROVA_Common.h"

// How the box reads its text and its bound values.
enum DigitalValueType : int32_t {
    DigitalValueInt32 = 0,
    DigitalValueUInt32 = 1,
    DigitalValueInt64 = 2,
    DigitalValueUInt64 = 3,
    DigitalValueFloat = 4,
    DigitalValueDouble = 5,
};

// One bound. `value` holds the raw 64-bit pattern of the type (32-bit types and Float in the low
// half) and is always read with the box's current value type.
struct BoundRecord {
    int32_t valueType = 0;
    uint64_t value = 0;
    double tolerance = 0.0;
    std::wstring label;
    std::wstring format;  // wide printf format; empty: the type's default
};

// Raw bound patterns for SetMustMin/SetMustMax.
uint64_t MakeBoundValue(int32_t value) noexcept;
uint64_t MakeBoundValue(uint32_t value) noexcept;
uint64_t MakeBoundValue(int64_t value) noexcept;
uint64_t MakeBoundValue(uint64_t value) noexcept;
uint64_t MakeBoundValue(float value) noexcept;
uint64_t MakeBoundValue(double value) noexcept;

enum class BoundSide { Minimum, Maximum };
enum class BoundStrength { Hard, Advisory };

// Result of a typed character: accepted, or rejected with the message for the balloon.
struct TypedCharVerdict {
    bool accepted = true;
    std::wstring message;
};

// Result of a range check: whether the value passed, and the balloon to show (if any).
struct RangeVerdict {
    bool passed = true;
    bool showBalloon = false;
    std::wstring title;
    std::wstring message;
    int icon = 0;             // BalloonIcon
    std::wstring correction;  // the violated hard bound's text
};

class CDigitalEditLogic {
public:
    static constexpr int kBoundDecimals = 10;  // most decimals a Float/Double bound shows

    CDigitalEditLogic() = default;
    ~CDigitalEditLogic();
    CDigitalEditLogic(const CDigitalEditLogic&) = delete;
    CDigitalEditLogic& operator=(const CDigitalEditLogic&) = delete;

    int32_t GetValueType() const noexcept { return m_valueType; }
    void SetValueType(int32_t type) noexcept { m_valueType = type; }

    // Replace the hard bound list with one record {current type, value, tolerance, label, ""}.
    void SetMustMin(uint64_t value, double tolerance);
    void SetMustMax(uint64_t value, double tolerance);

    // Decides on character ch given the text the edit control made of it.
    TypedCharVerdict CheckTypedChar(wchar_t ch, const std::wstring& newText) const;
    // Checks the text's value against hard then advisory bounds.
    RangeVerdict CheckValueRange(const std::wstring& text) const;
    // Checks x against every record of list; on the first violation fills correction and message.
    bool CheckBounds(double x, const CPtrArrayCtrl& list, BoundSide side, BoundStrength strength,
                     std::wstring& correction, std::wstring& message) const;
    // The record's value as text, read with the current value type.
    std::wstring FormatBoundValue(const BoundRecord& record) const;

    const CPtrArrayCtrl& MustMinBounds() const noexcept { return m_mustMinBounds; }
    const CPtrArrayCtrl& MustMaxBounds() const noexcept { return m_mustMaxBounds; }

    // Decimals needed to show x, at most maxDecimals (fractions below 0.01 and below
    // 10^-maxDecimals count as none).
    static int CountDecimalPlaces(double x, int maxDecimals);
    // Value of the text's leading decimal number ("12abc" is 12, "" and "abc" are 0). Only the
    // plain decimal form is read, so no text can turn into a NaN or a hexadecimal value.
    static double ParseDecimal(const wchar_t* text);
    // Fixed-point text of value with the given decimals.
    static std::wstring FormatFixed(double value, int decimals);
    // The text a dialog item shows for value: one decimal unless the fraction is below 0.01.
    static std::wstring FormatDialogDouble(double value);

private:
    static void ClearList(CPtrArrayCtrl& list);
    void SetSingleBound(CPtrArrayCtrl& list, uint64_t value, double tolerance, const wchar_t* label);

    int32_t m_valueType = DigitalValueInt32;
    CPtrArrayCtrl m_mustMinBounds;
    CPtrArrayCtrl m_mustMaxBounds;
    // Advisory bounds only warn; nothing in the console sets them, so they stay empty.
    CPtrArrayCtrl m_suggestMinBounds;
    CPtrArrayCtrl m_suggestMaxBounds;
};
