#include "controls/DigitalEditLogic.h"

#include <cmath>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "controls/BalloonModel.h"

namespace {

constexpr wchar_t kTitleInputError[] = L"Input Error";
constexpr wchar_t kTitleDataInvalid[] = L"Data Invalid";

bool IsDigit(wchar_t ch) noexcept {
    return ch >= L'0' && ch <= L'9';
}

int32_t LowInt32(uint64_t raw) noexcept {
    return static_cast<int32_t>(static_cast<uint32_t>(raw));
}

float LowFloat(uint64_t raw) noexcept {
    const uint32_t bits = static_cast<uint32_t>(raw);
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

double RawDouble(uint64_t raw) noexcept {
    double value;
    std::memcpy(&value, &raw, sizeof(value));
    return value;
}

// The integer part as a signed 32-bit conversion gives it; values beyond that range (where the
// conversion is undefined) keep their own integer part.
double IntegerPart(double x) noexcept {
    if (x >= -2147483648.0 && x < 2147483648.0) return static_cast<double>(static_cast<int32_t>(x));
    return std::trunc(x);
}

template <class... Args>
std::wstring Printf(const wchar_t* format, Args... args) {
    wchar_t buffer[512];
    const int n = std::swprintf(buffer, sizeof(buffer) / sizeof(buffer[0]), format, args...);
    if (n < 0) return std::wstring();
    return std::wstring(buffer, static_cast<size_t>(n));
}

}  // namespace

uint64_t MakeBoundValue(int32_t value) noexcept {
    return static_cast<uint32_t>(value);
}
uint64_t MakeBoundValue(uint32_t value) noexcept {
    return value;
}
uint64_t MakeBoundValue(int64_t value) noexcept {
    return static_cast<uint64_t>(value);
}
uint64_t MakeBoundValue(uint64_t value) noexcept {
    return value;
}
uint64_t MakeBoundValue(float value) noexcept {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}
uint64_t MakeBoundValue(double value) noexcept {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

CDigitalEditLogic::~CDigitalEditLogic() {
    ClearList(m_mustMinBounds);
    ClearList(m_mustMaxBounds);
    ClearList(m_suggestMinBounds);
    ClearList(m_suggestMaxBounds);
}

void CDigitalEditLogic::ClearList(CPtrArrayCtrl& list) {
    for (int i = 0; i < list.GetCount(); ++i)
        delete static_cast<BoundRecord*>(list.GetAt(i));
    list.RemoveAll();
}

void CDigitalEditLogic::SetSingleBound(CPtrArrayCtrl& list, uint64_t value, double tolerance, const wchar_t* label) {
    ClearList(list);
    auto* record = new BoundRecord{m_valueType, value, tolerance, label, std::wstring()};
    if (list.AddData(record, 0) < 0) delete record;
}

void CDigitalEditLogic::SetMustMin(uint64_t value, double tolerance) {
    SetSingleBound(m_mustMinBounds, value, tolerance, L"最小值");
}

void CDigitalEditLogic::SetMustMax(uint64_t value, double tolerance) {
    SetSingleBound(m_mustMaxBounds, value, tolerance, L"最大值");
}

TypedCharVerdict CDigitalEditLogic::CheckTypedChar(wchar_t ch, const std::wstring& newText) const {
    TypedCharVerdict verdict;
    if (ch == L'.') {
        const bool real = m_valueType == DigitalValueFloat || m_valueType == DigitalValueDouble;
        size_t dots = 0;
        for (wchar_t c : newText)
            dots += c == L'.';
        verdict.accepted = real && dots <= 1;
    } else if (ch == L'-') {
        if (m_valueType == DigitalValueUInt32 || m_valueType == DigitalValueUInt64) {
            verdict.accepted = false;
        } else {
            verdict.accepted = !newText.empty() && newText[0] == L'-' && newText.find(L'-', 1) == std::wstring::npos;
        }
    } else if (IsDigit(ch) || ch < 0x20) {
        verdict.accepted = true;
    } else {
        verdict.accepted = false;
    }
    if (!verdict.accepted) verdict.message = Printf(L"Invalid character '%lc'", static_cast<wint_t>(ch));
    return verdict;
}

RangeVerdict CDigitalEditLogic::CheckValueRange(const std::wstring& text) const {
    RangeVerdict verdict;
    const double x = ParseDecimal(text.c_str());
    std::wstring correction;
    std::wstring message;
    // The maximum is only looked at when the minimum holds, so inconsistent bounds report the minimum.
    if (!CheckBounds(x, m_mustMinBounds, BoundSide::Minimum, BoundStrength::Hard, correction, message) ||
        !CheckBounds(x, m_mustMaxBounds, BoundSide::Maximum, BoundStrength::Hard, correction, message)) {
        verdict.passed = false;
        verdict.showBalloon = true;
        verdict.title = kTitleDataInvalid;
        verdict.message = message;
        verdict.icon = BalloonIconError;
        verdict.correction = correction;
        return verdict;
    }
    std::wstring unused;
    if (!CheckBounds(x, m_suggestMinBounds, BoundSide::Minimum, BoundStrength::Advisory, unused, message) ||
        !CheckBounds(x, m_suggestMaxBounds, BoundSide::Maximum, BoundStrength::Advisory, unused, message)) {
        verdict.showBalloon = true;
        verdict.title = kTitleDataInvalid;
        verdict.message = message;
        verdict.icon = BalloonIconWarning;
    }
    return verdict;
}

bool CDigitalEditLogic::CheckBounds(double x, const CPtrArrayCtrl& list, BoundSide side, BoundStrength strength,
                                    std::wstring& correction, std::wstring& message) const {
    const bool minimum = side == BoundSide::Minimum;
    const bool hard = strength == BoundStrength::Hard;
    const wchar_t* prefix = minimum ? (hard ? L"Must >=" : L"Suggest >=") : (hard ? L"Must <=" : L"Suggest <=");
    for (int i = 0; i < list.GetCount(); ++i) {
        const auto* record = static_cast<const BoundRecord*>(list.GetAt(i));
        if (!record) continue;
        double bound;
        double slack;
        switch (m_valueType) {
        case DigitalValueInt32:
            bound = LowInt32(record->value), slack = 0.5;
            break;
        case DigitalValueUInt32:
            bound = static_cast<uint32_t>(record->value), slack = 0.5;
            break;
        case DigitalValueInt64:
            bound = static_cast<double>(static_cast<int64_t>(record->value)), slack = 0.5;
            break;
        case DigitalValueUInt64:
            bound = static_cast<double>(record->value), slack = 0.5;
            break;
        case DigitalValueFloat:
            bound = LowFloat(record->value), slack = record->tolerance;
            break;
        case DigitalValueDouble:
            bound = RawDouble(record->value), slack = record->tolerance;
            break;
        default:
            continue;
        }
        const double b = minimum ? bound - slack : bound + slack;
        // A NaN on either side compares false, so it never violates.
        const bool violated = minimum ? x < b : x > b;
        if (violated) {
            correction = FormatBoundValue(*record);
            message = record->label + L" " + prefix + L" " + correction;
            return false;
        }
    }
    return true;
}

std::wstring CDigitalEditLogic::FormatBoundValue(const BoundRecord& record) const {
    const bool custom = !record.format.empty();
    const wchar_t* format = record.format.c_str();
    switch (m_valueType) {
    case DigitalValueInt32:
        return Printf(custom ? format : L"%d", LowInt32(record.value));
    case DigitalValueUInt32:
        return Printf(custom ? format : L"%u", static_cast<uint32_t>(record.value));
    case DigitalValueInt64:
        return Printf(custom ? format : L"%lld", static_cast<long long>(record.value));
    case DigitalValueUInt64:
        return Printf(custom ? format : L"%llu", static_cast<unsigned long long>(record.value));
    case DigitalValueFloat:
    case DigitalValueDouble: {
        const double value = m_valueType == DigitalValueFloat ? LowFloat(record.value) : RawDouble(record.value);
        if (custom) return Printf(format, value);
        return FormatFixed(value, CountDecimalPlaces(value, kBoundDecimals));
    }
    default:
        return std::wstring();
    }
}

int CDigitalEditLogic::CountDecimalPlaces(double x, int maxDecimals) {
    const double eps = 1.0 / std::pow(10.0, maxDecimals);
    int k = 0;
    while (k < maxDecimals) {
        const double f = std::fabs(x - IntegerPart(x));
        if (f < 0.01 && f < eps) break;
        ++k;
        x = f * 10.0;
    }
    return k;
}

double CDigitalEditLogic::ParseDecimal(const wchar_t* text) {
    if (!text) return 0.0;
    const wchar_t* p = text;
    while (*p && std::iswspace(static_cast<wint_t>(*p)))
        ++p;
    const wchar_t* start = p;
    if (*p == L'+' || *p == L'-') ++p;
    size_t digits = 0;
    while (IsDigit(*p))
        ++p, ++digits;
    if (*p == L'.') {
        ++p;
        while (IsDigit(*p))
            ++p, ++digits;
    }
    if (digits == 0) return 0.0;
    if (*p == L'e' || *p == L'E') {
        const wchar_t* q = p + 1;
        if (*q == L'+' || *q == L'-') ++q;
        if (IsDigit(*q)) {
            while (IsDigit(*q))
                ++q;
            p = q;
        }
    }
    const std::wstring number(start, static_cast<size_t>(p - start));
    return std::wcstod(number.c_str(), nullptr);
}

std::wstring CDigitalEditLogic::FormatFixed(double value, int decimals) {
    const std::wstring format = Printf(L"%%.%df", decimals);
    return Printf(format.c_str(), value);
}

std::wstring CDigitalEditLogic::FormatDialogDouble(double value) {
    // The precision is the one of the "%.1f" display format: one decimal at most.
    constexpr int kPrecision = 1;
    return FormatFixed(value, CountDecimalPlaces(value, kPrecision));
}
