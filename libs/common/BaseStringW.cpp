#include "ROVA_Common.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {
wchar_t gEmptyW[1] = {0};

// Formats a narrow printf text into a malloc'ed wide string (ANSI code page); null on failure.
wchar_t* FormatNarrowToWide(const char* format, va_list args, size_t* outLength) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) return nullptr;
    char* narrow = static_cast<char*>(std::malloc(static_cast<size_t>(n) + 1));
    if (!narrow) return nullptr;
    std::vsnprintf(narrow, static_cast<size_t>(n) + 1, format, args);
    int wide = n ? MultiByteToWideChar(CP_ACP, 0, narrow, n, nullptr, 0) : 0;
    wchar_t* text = static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * (static_cast<size_t>(wide) + 1)));
    if (text) {
        if (wide) MultiByteToWideChar(CP_ACP, 0, narrow, n, text, wide);
        text[wide] = 0;
        *outLength = static_cast<size_t>(wide);
    }
    std::free(narrow);
    return text;
}
}  // namespace

CBaseStringW::CBaseStringW() = default;

CBaseStringW::CBaseStringW(const wchar_t* text) { SetString(text); }

CBaseStringW::CBaseStringW(const CBaseStringW& other) { Assign(other.GetString(), other.length_, false); }

CBaseStringW& CBaseStringW::operator=(const CBaseStringW& other) {
    if (this != &other) Assign(other.GetString(), other.length_, false);
    return *this;
}

CBaseStringW& CBaseStringW::operator=(const wchar_t* text) {
    SetString(text);
    return *this;
}

CBaseStringW::~CBaseStringW() { std::free(data_); }

int CBaseStringW::Assign(const wchar_t* text, size_t length, bool append) {
    size_t base = append ? length_ : 0;
    size_t needed = base + length + 1;
    if (needed > 0x3FFFFFFF) return -1;
    if (needed > capacity_) {
        size_t newCapacity = capacity_ ? capacity_ : 16;
        while (newCapacity < needed) newCapacity *= 2;
        wchar_t* fresh = static_cast<wchar_t*>(std::malloc(newCapacity * sizeof(wchar_t)));
        if (!fresh) return -1;
        if (base) std::memcpy(fresh, data_, base * sizeof(wchar_t));
        if (length) std::memcpy(fresh + base, text, length * sizeof(wchar_t));
        std::free(data_);
        data_ = fresh;
        capacity_ = newCapacity;
    } else if (length) {
        std::memmove(data_ + base, text, length * sizeof(wchar_t));
    }
    length_ = base + length;
    data_[length_] = 0;
    return GetLength();
}

int CBaseStringW::SetString(const wchar_t* text, int length) {
    if (!text) {
        Empty();
        return 0;
    }
    size_t n = length < 0 ? std::wcslen(text) : wcsnlen(text, static_cast<size_t>(length));
    return Assign(text, n, false);
}

void CBaseStringW::Empty() {
    length_ = 0;
    if (data_) data_[0] = 0;
}

const wchar_t* CBaseStringW::GetString() const { return data_ ? data_ : gEmptyW; }

int CBaseStringW::GetLength() const { return static_cast<int>(length_ * sizeof(wchar_t)); }

int CBaseStringW::FormatV(const char* format, va_list args) {
    if (!format) return -1;
    size_t n = 0;
    wchar_t* text = FormatNarrowToWide(format, args, &n);
    if (!text) return -1;
    int result = Assign(text, n, false);
    std::free(text);
    return result;
}

int CBaseStringW::AppendFormatV(const char* format, va_list args) {
    if (!format) return -1;
    size_t n = 0;
    wchar_t* text = FormatNarrowToWide(format, args, &n);
    if (!text) return -1;
    int result = Assign(text, n, true);
    std::free(text);
    return result;
}

int CBaseStringW::FormatWideV(const wchar_t* format, va_list args, bool append) {
    if (!format) return -1;
    // vswprintf reports truncation only as failure: grow until the text fits.
    size_t size = 256;
    for (;;) {
        wchar_t* text = static_cast<wchar_t*>(std::malloc(size * sizeof(wchar_t)));
        if (!text) return -1;
        va_list copy;
        va_copy(copy, args);
        int n = std::vswprintf(text, size, format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < size) {
            int result = Assign(text, static_cast<size_t>(n), append);
            std::free(text);
            return result;
        }
        std::free(text);
        if (size >= (static_cast<size_t>(1) << 26)) return -1;  // a format error, not a size
        size *= 4;
    }
}

int CBaseStringW::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int result = FormatV(format, args);
    va_end(args);
    return result;
}

int CBaseStringW::AppendFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int result = AppendFormatV(format, args);
    va_end(args);
    return result;
}

int CBaseStringW::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int result = FormatWideV(format, args, false);
    va_end(args);
    return result;
}

int CBaseStringW::AppendFormat(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int result = FormatWideV(format, args, true);
    va_end(args);
    return result;
}
