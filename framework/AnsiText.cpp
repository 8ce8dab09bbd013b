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

}  // namespace rova
