#include "framework/AnsiText.h"

#include <windows.h>

namespace rova {

std::wstring AnsiToWide(const char* text, size_t maxChars) {
    std::wstring wide;
    if (!text || !*text) return wide;
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) return wide;
    wide.resize(static_cast<size_t>(length));
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length) - 1);
    if (maxChars > 0 && wide.size() > maxChars - 1) wide.resize(maxChars - 1);
    return wide;
}

std::string WideToAnsi(const wchar_t* text, size_t maxBytes) {
    std::string narrow;
    if (!text || !*text) return narrow;
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return narrow;
    narrow.resize(static_cast<size_t>(length));
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(length) - 1);
    if (maxBytes > 0 && narrow.size() > maxBytes - 1) {
        // Never leave half of a double-byte character at the cut.
        size_t cut = 0;
        for (size_t i = 0; i < maxBytes - 1;) {
            const size_t step = ::IsDBCSLeadByte(static_cast<BYTE>(narrow[i])) ? 2 : 1;
            if (i + step > maxBytes - 1) break;
            i += step;
            cut = i;
        }
        narrow.resize(cut);
    }
    return narrow;
}

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    if (text.empty()) return out;
    const int chars = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), chars, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return out;
    out.resize(static_cast<size_t>(bytes));
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), chars, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::wstring Utf8ToWide(std::string_view bytes) {
    std::wstring out;
    if (bytes.empty()) return out;
    const int length = static_cast<int>(bytes.size());
    const int chars = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, nullptr, 0);
    if (chars <= 0) return out;
    out.resize(static_cast<size_t>(chars));
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, out.data(), chars);
    return out;
}

}  // namespace rova

namespace rova {
namespace {
// text in the ANSI code page only when it converts back to exactly itself.
std::optional<std::string> LosslessAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int chars = static_cast<int>(text.size());
    // UTF-8 as the ANSI code page holds everything; it refuses the used-default flag.
    const bool utf8 = ::GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultFlag = utf8 ? nullptr : &usedDefault;
    const int bytes = ::WideCharToMultiByte(CP_ACP, flags, text.data(), chars, nullptr, 0, nullptr, usedDefaultFlag);
    if (bytes <= 0 || usedDefault) return std::nullopt;
    std::string narrow(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, flags, text.data(), chars, narrow.data(), bytes, nullptr, usedDefaultFlag);
    if (usedDefault) return std::nullopt;
    // Best-fit tables differ between systems: the way back is the proof.
    const int back = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, narrow.data(), bytes, nullptr, 0);
    std::wstring wide(static_cast<size_t>(back > 0 ? back : 0), L'\0');
    if (back > 0) ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, narrow.data(), bytes, wide.data(), back);
    if (wide != text) return std::nullopt;
    return narrow;
}

std::optional<std::string> Fitting(std::optional<std::string> path) {
    if (path && path->size() > kPathChars - 1) return std::nullopt;
    return path;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
}  // namespace

std::optional<std::string> AnsiPath(const wchar_t* path) {
    if (!path || !*path) return std::nullopt;
    const std::wstring full = path;
    if (auto narrow = Fitting(LosslessAnsi(full))) return narrow;
    // The longest existing folder (or the file itself) is shortened; the rest is kept as it is.
    size_t cut = full.size();
    while (cut > 0) {
        const std::wstring head = full.substr(0, cut);
        const DWORD length = ::GetShortPathNameW(head.c_str(), nullptr, 0);
        if (length > 0) {
            std::wstring shortHead(length, L'\0');
            const DWORD written = ::GetShortPathNameW(head.c_str(), shortHead.data(), length);
            if (written > 0 && written < length) {
                shortHead.resize(written);
                return Fitting(LosslessAnsi(shortHead + full.substr(cut)));
            }
        }
        // Back to the separator before the last name of head.
        while (cut > 0 && !IsSeparator(full[cut - 1])) --cut;
        while (cut > 0 && IsSeparator(full[cut - 1])) --cut;
    }
    return std::nullopt;
}

}  // namespace rova
