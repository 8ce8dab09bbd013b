// Paths and files.
#include "ROVA_Common.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {
constexpr size_t kPathChars = MAX_PATH;  // including the terminator

template <typename Ch>
bool IsSeparator(Ch c) {
    return c == Ch('\\') || c == Ch('/');
}

template <typename Ch>
size_t Length(const Ch* s) {
    size_t n = 0;
    while (s[n]) ++n;
    return n;
}

template <typename Ch>
int CombinePath(Ch* out, const Ch* folder, const Ch* name) {
    if (!out) return 0;
    // Build in a local copy: out may alias folder or name.
    std::basic_string<Ch> result = folder ? folder : std::basic_string<Ch>();
    std::basic_string<Ch> tail = name ? name : std::basic_string<Ch>();
    size_t skip = 0;
    while (skip < tail.size() && IsSeparator(tail[skip])) ++skip;
    tail.erase(0, skip);
    if (!result.empty() && !tail.empty()) {
        while (result.size() > 1 && IsSeparator(result.back()) && IsSeparator(result[result.size() - 2])) {
            result.pop_back();
        }
        if (!IsSeparator(result.back())) result.push_back(Ch('\\'));
    }
    result += tail;
    if (result.size() + 1 > kPathChars) {
        out[0] = 0;
        return 0;
    }
    std::memcpy(out, result.c_str(), (result.size() + 1) * sizeof(Ch));
    return 1;
}

template <typename Ch>
int ExtensionOf(const Ch* path, Ch* out, int outSize) {
    if (!out || outSize < 1) return 0;
    out[0] = 0;
    if (!path) return 0;
    size_t n = Length(path);
    size_t nameStart = 0;
    for (size_t i = 0; i < n; ++i) {
        if (IsSeparator(path[i]) || path[i] == Ch(':')) nameStart = i + 1;
    }
    const Ch* dot = nullptr;
    for (size_t i = nameStart; i < n; ++i) {
        if (path[i] == Ch('.')) dot = path + i;
    }
    if (!dot || !dot[1]) return 0;
    size_t extLength = Length(dot + 1);
    if (extLength + 1 > static_cast<size_t>(outSize)) return 0;
    std::memcpy(out, dot + 1, (extLength + 1) * sizeof(Ch));
    return 1;
}

int64_t ReadWholeFile(HANDLE file, void** block) {
    *block = nullptr;
    if (file == INVALID_HANDLE_VALUE) return -1;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) >= SIZE_MAX - 1) {
        CloseHandle(file);
        return -1;
    }
    char* data = static_cast<char*>(std::malloc(static_cast<size_t>(size.QuadPart) + 1));
    if (!data) {
        CloseHandle(file);
        return -1;
    }
    int64_t total = 0;
    while (total < size.QuadPart) {
        DWORD chunk = static_cast<DWORD>(std::min<int64_t>(size.QuadPart - total, 1 << 30));
        DWORD got = 0;
        if (!ReadFile(file, data + total, chunk, &got, nullptr)) {
            std::free(data);
            CloseHandle(file);
            return -1;
        }
        if (got == 0) break;  // the file shrank while reading
        total += got;
    }
    CloseHandle(file);
    data[total] = 0;
    *block = data;
    return total;
}

// Creates each missing folder of a wide path from the root down.
int CreateFolderChain(std::wstring path) {
    while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
    if (path.empty()) return 0;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
    size_t cut = path.find_last_of(L"\\/");
    if (cut != std::wstring::npos && cut > 0 && path[cut - 1] != L':') {
        if (!CreateFolderChain(path.substr(0, cut))) return 0;
    }
    if (CreateDirectoryW(path.c_str(), nullptr)) return 1;
    // Another process may have made it in between.
    attributes = GetFileAttributesW(path.c_str());
    return (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) ? 1 : 0;
}

std::wstring Widen(const char* text) {
    if (!text || !*text) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

// Local time of "now", advanced so that no two calls in this process see the same millisecond.
SYSTEMTIME UniqueLocalTime() {
    static SRWLOCK lock = SRWLOCK_INIT;
    static ULONGLONG lastStamp = 0;
    FILETIME utc;
    GetSystemTimeAsFileTime(&utc);
    ULARGE_INTEGER value;
    value.LowPart = utc.dwLowDateTime;
    value.HighPart = utc.dwHighDateTime;
    ULONGLONG stamp = value.QuadPart / 10000;  // milliseconds
    AcquireSRWLockExclusive(&lock);
    if (stamp <= lastStamp) stamp = lastStamp + 1;
    lastStamp = stamp;
    ReleaseSRWLockExclusive(&lock);
    value.QuadPart = stamp * 10000;
    utc.dwLowDateTime = value.LowPart;
    utc.dwHighDateTime = value.HighPart;
    FILETIME local;
    SYSTEMTIME time{};
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &time);
    return time;
}

template <typename Ch>
std::basic_string<Ch> Digits(unsigned value, int width) {
    std::basic_string<Ch> s(static_cast<size_t>(width), Ch('0'));
    for (int i = width - 1; i >= 0; --i, value /= 10) s[static_cast<size_t>(i)] = Ch('0' + value % 10);
    return s;
}

template <typename Ch>
int NameByDate(Ch* out, const Ch* extension, const Ch* prefix, const Ch* suffix) {
    if (!out) return 0;
    SYSTEMTIME t = UniqueLocalTime();
    std::basic_string<Ch> name = prefix ? prefix : std::basic_string<Ch>();
    name += Digits<Ch>(t.wYear, 4) + Digits<Ch>(t.wMonth, 2) + Digits<Ch>(t.wDay, 2);
    name += Ch('_');
    name += Digits<Ch>(t.wHour, 2) + Digits<Ch>(t.wMinute, 2) + Digits<Ch>(t.wSecond, 2);
    name += Ch('_');
    name += Digits<Ch>(t.wMilliseconds, 3);
    if (suffix) name += suffix;
    if (extension && *extension) {
        if (*extension != Ch('.')) name += Ch('.');
        name += extension;
    }
    if (name.size() + 1 > kPathChars) {
        out[0] = 0;
        return 0;
    }
    std::memcpy(out, name.c_str(), (name.size() + 1) * sizeof(Ch));
    return static_cast<int>(name.size());
}
}  // namespace

int GetProgramPathW(DWORD processId, wchar_t* out) {
    if (!out) return 0;
    out[0] = 0;
    wchar_t path[kPathChars * 4];
    DWORD length = 0;
    if (processId == 0 || processId == GetCurrentProcessId()) {
        length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
        if (length == 0 || length >= std::size(path)) return 0;
    } else {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
        if (!process) return 0;
        length = static_cast<DWORD>(std::size(path));
        BOOL ok = QueryFullProcessImageNameW(process, 0, path, &length);
        CloseHandle(process);
        if (!ok) return 0;
    }
    while (length > 0 && !IsSeparator(path[length - 1])) --length;
    while (length > 1 && IsSeparator(path[length - 1])) --length;
    if (length == 0 || length + 1 > kPathChars) return 0;
    std::memcpy(out, path, length * sizeof(wchar_t));
    out[length] = 0;
    return 1;
}

int GetProgramPathA(DWORD processId, char* out) {
    if (!out) return 0;
    out[0] = 0;
    wchar_t wide[kPathChars];
    if (!GetProgramPathW(processId, wide)) return 0;
    int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, out, static_cast<int>(kPathChars), nullptr, nullptr);
    if (n <= 0) {
        out[0] = 0;
        return 0;
    }
    return 1;
}

int CombinePathNameA(char* out, const char* folder, const char* name) { return CombinePath(out, folder, name); }

int CombinePathNameW(wchar_t* out, const wchar_t* folder, const wchar_t* name) {
    return CombinePath(out, folder, name);
}

int RecursiveCreateDirectoryW(const wchar_t* path) {
    if (!path || !*path) return 0;
    return CreateFolderChain(path);
}

int RecursiveCreateDirectoryA(const char* path) {
    if (!path || !*path) return 0;
    std::wstring wide = Widen(path);
    return wide.empty() ? 0 : CreateFolderChain(wide);
}

int IsDirW(const wchar_t* path) {
    if (!path || !*path) return 0;
    DWORD attributes = GetFileAttributesW(path);
    return (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) ? 1 : 0;
}

int IsDirA(const char* path) {
    if (!path || !*path) return 0;
    DWORD attributes = GetFileAttributesA(path);
    return (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) ? 1 : 0;
}

int IsFileExistW(const wchar_t* path) {
    if (!path || !*path) return 0;
    DWORD attributes = GetFileAttributesW(path);
    return (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) ? 1 : 0;
}

int IsFileExistA(const char* path) {
    if (!path || !*path) return 0;
    DWORD attributes = GetFileAttributesA(path);
    return (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) ? 1 : 0;
}

int64_t ReadFileDataA(const char* path, void** block) {
    if (!block) return -1;
    *block = nullptr;
    if (!path || !*path) return -1;
    return ReadWholeFile(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                         block);
}

int64_t ReadFileDataW(const wchar_t* path, void** block) {
    if (!block) return -1;
    *block = nullptr;
    if (!path || !*path) return -1;
    return ReadWholeFile(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                         block);
}

void ReleaseFileData(void* block) { std::free(block); }

int GetFileExtNameA(const char* path, char* out, int outSize) { return ExtensionOf(path, out, outSize); }

int GetFileExtNameW(const wchar_t* path, wchar_t* out, int outSize) { return ExtensionOf(path, out, outSize); }

int GetFileNameByDateA(char* out, const char* extension, const char* prefix, const char* suffix, int, int,
                       int) {
    return NameByDate(out, extension, prefix, suffix);
}

int GetFileNameByDateW(wchar_t* out, const wchar_t* extension, const wchar_t* prefix, const wchar_t* suffix,
                       int, int, int) {
    return NameByDate(out, extension, prefix, suffix);
}
