#pragma once
// Narrow text (paths for the libraries, appConfig.xml, the image helpers' A functions) is in the
// ANSI code page; every conversion between narrow and wide text goes through these, the few
// UTF-8 texts (the console's event log, list items stored beside a dialog template, the probe's
// output) included.
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>

namespace rova {

// Path buffers hold MAX_PATH characters with the terminator; longer text is cut to fit.
constexpr size_t kPathChars = 260;

// text converted from the ANSI code page; with maxChars, cut to maxChars - 1 characters.
std::wstring AnsiToWide(const char* text, size_t maxChars = 0);
// text converted to the ANSI code page; with maxBytes, cut to maxBytes - 1 bytes.
std::string WideToAnsi(const wchar_t* text, size_t maxBytes = 0);

// The same pair into fixed buffers, cut to outSize - 1 and always terminated; false when the
// text could not be converted.
inline bool WideToAnsi(const wchar_t* text, char* out, int outSize) noexcept {
    if (!out || outSize <= 0) return false;
    out[0] = '\0';
    if (!text) return false;
    try {
        const std::string narrow = WideToAnsi(text, static_cast<size_t>(outSize));
        std::memcpy(out, narrow.c_str(), narrow.size() + 1);
        return !narrow.empty() || !*text;
    } catch (...) {
        return false;  // out of memory: the empty buffer says so
    }
}
inline bool AnsiToWide(const char* text, wchar_t* out, int outSize) noexcept {
    if (!out || outSize <= 0) return false;
    out[0] = L'\0';
    if (!text) return false;
    try {
        const std::wstring wide = AnsiToWide(text, static_cast<size_t>(outSize));
        std::wmemcpy(out, wide.c_str(), wide.size() + 1);
        return !wide.empty() || !*text;
    } catch (...) {
        return false;  // out of memory: the empty buffer says so
    }
}

// text as UTF-8 and back, converted as the system does without flags; empty when the system
// converts nothing.
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view bytes);

// A narrow form of path, for the libraries' ANSI functions, that names the same file: the path
// itself when every character has its own ANSI form (no "?", no look-alike), else its short (8.3)
// form. Only what exists has a short form: the part after the longest existing folder must
// convert as it is (a file or folder still to be made). Empty when neither works, as for a
// folder named outside the code page on a volume without short names. At most kPathChars - 1
// bytes, the libraries' buffers.
std::optional<std::string> AnsiPath(const wchar_t* path);

}  // namespace rova
