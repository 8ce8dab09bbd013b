// Number parsing and text splitting.
#include "ROVA_Common.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>
#include <string>
#include <vector>

const int gDigitalTypeSize[kDigitalTypeCount] = {1, 1, 4, 2, 2, 4, 4, 8, 8, 4, 8};

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

bool EqualsIgnoreCase(const std::string& text, const char* word) {
    size_t n = std::strlen(word);
    if (text.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i]) return false;
    }
    return true;
}

// Parses a whole integer (decimal or 0x hex, optional sign). Magnitude in *magnitude.
bool ParseInteger(const std::string& text, bool* negative, unsigned long long* magnitude) {
    size_t i = 0;
    *negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) *negative = text[i++] == '-';
    int base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    unsigned long long value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        if (value > (std::numeric_limits<unsigned long long>::max() - static_cast<unsigned>(digit)) / static_cast<unsigned>(base)) {
            return false;  // beyond 64 bits
        }
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    *magnitude = value;
    return true;
}

bool ParseReal(const std::string& text, double* value) {
    if (text.empty()) return false;
    // strtod would also take "inf", "nan" and hex floats; a setting never means those.
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E')) return false;
    }
    errno = 0;
    char* end = nullptr;
    double parsed = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size()) return false;
    if (!std::isfinite(parsed)) return false;
    if (errno == ERANGE && std::fabs(parsed) > 1.0) return false;  // overflow; underflow is fine
    *value = parsed;
    return true;
}

template <typename T>
bool StoreSigned(bool negative, unsigned long long magnitude, void* target) {
    using Limits = std::numeric_limits<T>;
    unsigned long long limit = negative ? static_cast<unsigned long long>(Limits::max()) + 1
                                        : static_cast<unsigned long long>(Limits::max());
    if (magnitude > limit) return false;
    T value = negative ? static_cast<T>(-static_cast<long long>(magnitude - 1) - 1) : static_cast<T>(magnitude);
    std::memcpy(target, &value, sizeof(T));
    return true;
}

template <typename T>
bool StoreUnsigned(bool negative, unsigned long long magnitude, void* target) {
    if (negative && magnitude != 0) return false;
    if (magnitude > std::numeric_limits<T>::max()) return false;
    T value = static_cast<T>(magnitude);
    std::memcpy(target, &value, sizeof(T));
    return true;
}

bool ParseInto(const std::string& text, void* target, int type) {
    if (type == kDigitalTypeFloat || type == kDigitalTypeDouble) {
        double value = 0;
        if (!ParseReal(text, &value)) return false;
        if (type == kDigitalTypeDouble) {
            std::memcpy(target, &value, sizeof(double));
            return true;
        }
        if (std::fabs(value) > std::numeric_limits<float>::max()) return false;
        float f = static_cast<float>(value);
        std::memcpy(target, &f, sizeof(float));
        return true;
    }
    if (type == kDigitalTypeFlag) {
        int32_t flag;
        bool negative = false;
        unsigned long long magnitude = 0;
        if (EqualsIgnoreCase(text, "true")) flag = 1;
        else if (EqualsIgnoreCase(text, "false")) flag = 0;
        else if (ParseInteger(text, &negative, &magnitude)) flag = magnitude != 0 ? 1 : 0;
        else return false;
        std::memcpy(target, &flag, sizeof(flag));
        return true;
    }
    bool negative = false;
    unsigned long long magnitude = 0;
    if (!ParseInteger(text, &negative, &magnitude)) return false;
    switch (type) {
        case kDigitalTypeInt8: return StoreSigned<int8_t>(negative, magnitude, target);
        case kDigitalTypeUInt8: return StoreUnsigned<uint8_t>(negative, magnitude, target);
        case kDigitalTypeInt16: return StoreSigned<int16_t>(negative, magnitude, target);
        case kDigitalTypeUInt16: return StoreUnsigned<uint16_t>(negative, magnitude, target);
        case kDigitalTypeInt32: return StoreSigned<int32_t>(negative, magnitude, target);
        case kDigitalTypeUInt32: return StoreUnsigned<uint32_t>(negative, magnitude, target);
        case kDigitalTypeInt64: return StoreSigned<int64_t>(negative, magnitude, target);
        case kDigitalTypeUInt64: return StoreUnsigned<uint64_t>(negative, magnitude, target);
        default: return false;
    }
}

template <typename Ch>
size_t TextLength(const Ch* text, int length) {
    if (length >= 0) {
        size_t n = 0;
        while (n < static_cast<size_t>(length) && text[n]) ++n;
        return n;
    }
    size_t n = 0;
    while (text[n]) ++n;
    return n;
}

template <typename Ch>
bool IsIn(Ch c, const Ch* set) {
    if (!set) return false;
    for (; *set; ++set) {
        if (*set == c) return true;
    }
    return false;
}

// Splits [text, text + n) into [begin, end) pieces.
template <typename Ch>
std::vector<std::pair<size_t, size_t>> Split(const Ch* text, size_t n, const Ch* separators, bool skipEmpty,
                                             bool trim, int maxPieces) {
    std::vector<std::pair<size_t, size_t>> pieces;
    size_t start = 0;
    auto emit = [&](size_t begin, size_t end) {
        if (trim) {
            while (begin < end && (text[begin] == Ch(' ') || text[begin] == Ch('\t'))) ++begin;
            while (end > begin && (text[end - 1] == Ch(' ') || text[end - 1] == Ch('\t'))) --end;
        }
        if (skipEmpty && begin == end) return;
        pieces.emplace_back(begin, end);
    };
    for (size_t i = 0; i < n; ++i) {
        if (maxPieces >= 0 && pieces.size() + 1 >= static_cast<size_t>(maxPieces)) break;
        if (IsIn(text[i], separators)) {
            emit(start, i);
            start = i + 1;
        }
    }
    if (maxPieces != 0) emit(start, n);
    return pieces;
}

template <typename Ch>
int DivideInto(const Ch* text, int length, const Ch* separators, int skipEmpty, int trimBlanks, Ch*** out,
               int maxPieces) {
    if (out) *out = nullptr;
    if (!text || !out) return 0;
    size_t n = TextLength(text, length);
    auto pieces = Split(text, n, separators, skipEmpty != 0, trimBlanks != 0, maxPieces);
    if (pieces.empty()) return 0;
    // One block: the pointer table, then the texts. Internal_DelArray frees it in one call.
    size_t chars = 0;
    for (auto& p : pieces) chars += p.second - p.first + 1;
    size_t tableBytes = (pieces.size() + 1) * sizeof(Ch*);
    char* block = static_cast<char*>(std::malloc(tableBytes + chars * sizeof(Ch)));
    if (!block) return 0;
    Ch** table = reinterpret_cast<Ch**>(block);
    Ch* cursor = reinterpret_cast<Ch*>(block + tableBytes);
    for (size_t i = 0; i < pieces.size(); ++i) {
        size_t count = pieces[i].second - pieces[i].first;
        std::memcpy(cursor, text + pieces[i].first, count * sizeof(Ch));
        cursor[count] = 0;
        table[i] = cursor;
        cursor += count + 1;
    }
    table[pieces.size()] = nullptr;
    *out = table;
    return static_cast<int>(pieces.size());
}
}  // namespace

int DigtalStringToValue(const char* text, int length, void* target, int type) {
    if (!text || !target || type < 0 || type >= kDigitalTypeCount) return 0;
    size_t n = TextLength(text, length);
    size_t begin = 0, end = n;
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    if (begin == end) return 0;
    return ParseInto(std::string(text + begin, end - begin), target, type) ? 1 : 0;
}

int ParseDigitalArrayValue(const char* text, int length, const char* separators, int skipEmpty, int,
                           int type, void* target, int maximum) {
    if (!text || type < 0 || type >= kDigitalTypeCount) return 0;
    size_t n = TextLength(text, length);
    auto pieces = Split(text, n, separators, false, true, -1);
    const int size = gDigitalTypeSize[type];
    unsigned char scratch[8];
    int count = 0;
    for (auto& piece : pieces) {
        if (maximum >= 0 && count >= maximum) break;
        if (piece.first == piece.second) {
            if (skipEmpty) continue;
            break;
        }
        void* slot = target ? static_cast<unsigned char*>(target) + static_cast<size_t>(count) * size : scratch;
        if (!DigtalStringToValue(text + piece.first, static_cast<int>(piece.second - piece.first), slot, type)) break;
        ++count;
    }
    return count;
}

int DevideStringByCharListA(const char* text, int length, const char* separators, int skipEmpty, int trimBlanks,
                            char*** pieces, int maxPieces) {
    return DivideInto(text, length, separators, skipEmpty, trimBlanks, pieces, maxPieces);
}

int DevideStringByCharListW(const wchar_t* text, int length, const wchar_t* separators, int skipEmpty,
                            int trimBlanks, wchar_t*** pieces, int maxPieces) {
    return DivideInto(text, length, separators, skipEmpty, trimBlanks, pieces, maxPieces);
}

void Internal_DelArrayA(char** pieces) { std::free(pieces); }

void Internal_DelArrayW(wchar_t** pieces) { std::free(pieces); }
