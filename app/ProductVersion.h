#pragma once
// The version the build stamps into every binary's version resource, read back for the About box
// so it shows exactly what Windows shows in a file's properties and the installed-apps list.
#include <windows.h>

#include <string>
#include <string_view>

// "ProductVersion" of the file's version resource (e.g. "1.2.0" or "1.2.0+1a2b3c4"); empty when
// the file has none or cannot be read.
std::wstring ReadProductVersion(const std::wstring& path);

// The version of the running program's own file.
std::wstring OwnProductVersion();

// The About text with its "%s" replaced by the version; a text without "%s" comes back unchanged.
std::wstring ComposeAboutText(std::wstring_view text, std::wstring_view version);
