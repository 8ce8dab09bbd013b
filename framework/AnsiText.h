#pragma once
// Narrow text (paths for the libraries, appConfig.xml, the image helpers' A functions) is in the
// ANSI code page; every conversion goes through these two.
#include <string>

namespace rova {

// Path buffers hold MAX_PATH characters with the terminator; longer text is cut to fit.
constexpr size_t kPathChars = 260;

// text converted from the ANSI code page; with maxChars, cut to maxChars - 1 characters.
std::wstring AnsiToWide(const char* text, size_t maxChars = 0);
// text converted to the ANSI code page; with maxBytes, cut to maxBytes - 1 bytes.
std::string WideToAnsi(const wchar_t* text, size_t maxBytes = 0);

}  // namespace rova
