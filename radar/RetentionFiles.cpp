#include "radar/RetentionFiles.h"

namespace {
// ERROR_REPARSE, which the mingw headers lack.
constexpr uint32_t kErrorReparse = 741;

bool IsReparsePoint(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
}  // namespace

int64_t CRetentionFiles::LocalMs(const FILETIME& utc) {
    FILETIME local{};
    if (!::FileTimeToLocalFileTime(&utc, &local)) local = utc;
    const uint64_t ticks = (static_cast<uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    return static_cast<int64_t>(ticks / 10000);
}

int64_t CRetentionFiles::NowLocalMs() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return CRetention::LocalMs(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                               now.wMilliseconds);
}

std::vector<RetentionEntry> CRetentionFiles::List(const std::wstring& folder) {
    std::vector<RetentionEntry> entries;
    // A folder that became a junction since it was listed is not entered.
    if (folder.empty() || IsReparsePoint(folder)) return entries;
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                           nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        RetentionEntry entry;
        entry.name = name;
        entry.bytes = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        entry.lastWriteMs = LocalMs(data.ftLastWriteTime);
        entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.reparsePoint = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entries.push_back(std::move(entry));
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return entries;
}

bool CRetentionFiles::FreeBytes(const std::wstring& folder, uint64_t* bytes) {
    ULARGE_INTEGER available{};
    if (folder.empty() || !::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return false;
    *bytes = available.QuadPart;
    return true;
}

bool CRetentionFiles::RemoveFile(const std::wstring& path, uint32_t* error) {
    // Never through a reparse point, should one have taken the place of what was listed.
    if (IsReparsePoint(path)) {
        *error = kErrorReparse;
        return false;
    }
    if (::DeleteFileW(path.c_str())) return true;
    *error = ::GetLastError();
    return false;
}

bool CRetentionFiles::RemoveFolder(const std::wstring& path, uint32_t* error) {
    if (IsReparsePoint(path)) {
        *error = kErrorReparse;
        return false;
    }
    if (::RemoveDirectoryW(path.c_str())) return true;
    *error = ::GetLastError();
    return false;
}
