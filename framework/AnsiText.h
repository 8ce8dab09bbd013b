#pragma once
// Narrow text (paths for the libraries, appConfig.xml, the image helpers' A functions) is in the
// ANSI code page; every conversion goes through these.
#include <optional>
#include <string>

namespace rova {

// Path buffers hold MAX_PATH characters with the terminator; longer text is cut to fit.
constexpr size_t kPathChars = 260;

// text converted from the ANSI code page; with maxChars, cut to maxChars - 1 characters.
std::wstring AnsiToWide(const char* text, size_t maxChars = 0);
// text converted to the ANSI code page; with maxBytes, cut to maxBytes - 1 bytes.
std::string WideToAnsi(const wchar_t* text, size_t maxBytes = 0);

// A narrow form of path, for the libraries' ANSI functions, that names the same file: the path
// itself when every character has its own ANSI form (no "?", no look-alike), else its short (8.3)
// form. Only what exists has a short form: the part after the longest existing folder must
// convert as it is (a file or folder still to be made). Empty when neither works, as for a
// folder named outside the code page on a volume without short names. At most kPathChars - 1
// bytes, the libraries' buffers.
std::optional<std::string> AnsiPath(const wchar_t* path);

}  // namespace rova
