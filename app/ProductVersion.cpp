#include "app/ProductVersion.h"

#include <vector>

std::wstring ReadProductVersion(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return {};

    // The first translation the resource lists names the string table to read.
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                          &length) ||
        length < sizeof(Translation)) {
        return {};
    }
    wchar_t query[64] = {};
    wsprintfW(query, L"\\StringFileInfo\\%04x%04x\\ProductVersion", translations[0].language,
              translations[0].codePage);
    wchar_t* value = nullptr;
    if (!::VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &length) || length == 0) return {};
    return std::wstring(value, wcsnlen(value, length));
}

std::wstring OwnProductVersion() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD written = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (written == 0) return {};
        if (written < path.size()) {
            path.resize(written);
            return ReadProductVersion(path);
        }
        path.resize(path.size() * 2);  // a long path: the name was cut off
    }
}

std::wstring ComposeAboutText(std::wstring_view text, std::wstring_view version) {
    std::wstring result(text);
    const size_t at = result.find(L"%s");
    if (at != std::wstring::npos) result.replace(at, 2, version);
    return result;
}
