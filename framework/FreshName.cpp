#include "framework/FreshName.h"

#include <cwchar>

#include "contracts/ROVA_Common.h"

namespace {
// Enough for any run of clock changes; past it something else is wrong with the folder.
constexpr int kMostTries = 1000;

template <typename Ch>
std::basic_string<Ch> Candidate(const std::basic_string<Ch>& folder, const std::basic_string<Ch>& stem,
                                const std::basic_string<Ch>& extension, int attempt) {
    std::basic_string<Ch> path = folder;
    if (!path.empty() && path.back() != Ch('\\') && path.back() != Ch('/')) path += Ch('\\');
    path += stem;
    if (attempt > 1) {
        path += Ch('_');
        for (char c : std::to_string(attempt)) path += static_cast<Ch>(c);
    }
    return path + extension;
}
}  // namespace

std::wstring DatedStemW(const wchar_t* prefix) {
    wchar_t name[MAX_PATH] = {};
    if (!GetFileNameByDateW(name, L"", prefix, L"", 0, 1, 0)) return {};
    return name;
}

std::wstring DatedStemW(const wchar_t* prefix, const SYSTEMTIME& t) {
    wchar_t when[32];
    swprintf(when, 32, L"%04u%02u%02u_%02u%02u%02u_%03u", t.wYear % 10000u, t.wMonth % 100u, t.wDay % 100u,
             t.wHour % 100u, t.wMinute % 100u, t.wSecond % 100u, t.wMilliseconds % 1000u);
    return std::wstring(prefix ? prefix : L"") + when;
}

HANDLE CreateFreshFileW(const std::wstring& folder, const std::wstring& stem, const wchar_t* extension, DWORD share,
                        std::wstring* path) {
    path->clear();
    if (stem.empty()) return INVALID_HANDLE_VALUE;
    const std::wstring ext = extension ? extension : L"";
    for (int attempt = 1; attempt <= kMostTries; ++attempt) {
        const std::wstring candidate = Candidate(folder, stem, ext, attempt);
        const HANDLE file = ::CreateFileW(candidate.c_str(), GENERIC_WRITE, share, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            *path = candidate;
            return file;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return INVALID_HANDLE_VALUE;
    }
    return INVALID_HANDLE_VALUE;
}

bool CreateFreshFolderW(const std::wstring& parent, const std::wstring& stem, std::wstring* path) {
    path->clear();
    if (stem.empty()) return false;
    for (int attempt = 1; attempt <= kMostTries; ++attempt) {
        const std::wstring candidate = Candidate(parent, stem, std::wstring(), attempt);
        if (candidate.size() >= MAX_PATH) return false;
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            *path = candidate;
            return true;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}
