#include "ROVA_Common.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
char gEmptyA[1] = {0};
}

CBaseStringA::CBaseStringA() = default;

CBaseStringA::CBaseStringA(const char* text) { SetString(text); }

CBaseStringA::CBaseStringA(const CBaseStringA& other) { Assign(other.GetString(), other.length_, false); }

CBaseStringA& CBaseStringA::operator=(const CBaseStringA& other) {
    if (this != &other) Assign(other.GetString(), other.length_, false);
    return *this;
}

CBaseStringA& CBaseStringA::operator=(const char* text) {
    SetString(text);
    return *this;
}

CBaseStringA::~CBaseStringA() { std::free(data_); }

int CBaseStringA::Assign(const char* text, size_t length, bool append) {
    size_t base = append ? length_ : 0;
    size_t needed = base + length + 1;
    if (needed > 0x7FFFFFFF) return -1;
    if (needed > capacity_) {
        size_t newCapacity = capacity_ ? capacity_ : 16;
        while (newCapacity < needed) newCapacity *= 2;
        // A fresh block: text may point into the current one.
        char* fresh = static_cast<char*>(std::malloc(newCapacity));
        if (!fresh) return -1;
        if (base) std::memcpy(fresh, data_, base);
        if (length) std::memcpy(fresh + base, text, length);
        std::free(data_);
        data_ = fresh;
        capacity_ = newCapacity;
    } else if (length) {
        std::memmove(data_ + base, text, length);
    }
    length_ = base + length;
    data_[length_] = 0;
    return static_cast<int>(length_);
}

int CBaseStringA::SetString(const char* text, int length) {
    if (!text) {
        Empty();
        return 0;
    }
    size_t n = length < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(length));
    return Assign(text, n, false);
}

void CBaseStringA::Empty() {
    length_ = 0;
    if (data_) data_[0] = 0;
}

const char* CBaseStringA::GetString() const { return data_ ? data_ : gEmptyA; }

int CBaseStringA::GetLength() const { return static_cast<int>(length_); }

int CBaseStringA::FormatV(const char* format, va_list args) {
    if (!format) return -1;
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) return -1;
    char* text = static_cast<char*>(std::malloc(static_cast<size_t>(n) + 1));
    if (!text) return -1;
    std::vsnprintf(text, static_cast<size_t>(n) + 1, format, args);
    int result = Assign(text, static_cast<size_t>(n), false);
    std::free(text);
    return result;
}

int CBaseStringA::AppendFormatV(const char* format, va_list args) {
    if (!format) return -1;
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) return -1;
    char* text = static_cast<char*>(std::malloc(static_cast<size_t>(n) + 1));
    if (!text) return -1;
    std::vsnprintf(text, static_cast<size_t>(n) + 1, format, args);
    int result = Assign(text, static_cast<size_t>(n), true);
    std::free(text);
    return result;
}

int CBaseStringA::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int result = FormatV(format, args);
    va_end(args);
    return result;
}

int CBaseStringA::AppendFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int result = AppendFormatV(format, args);
    va_end(args);
    return result;
}
