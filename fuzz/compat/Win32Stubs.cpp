// Native stand-ins for the Windows and library functions the fuzzed translation units refer to.
// Each fails the way a missing file does, so a fuzz run never touches the disk.
#include <windows.h>

#include <cstring>
#include <string>

#include "contracts/ROVA_Common.h"
#include "contracts/ROVA_DataProcess.h"
#include "framework/AnsiText.h"

DWORD GetLastError() { return 2; }
DWORD GetFileAttributesA(const char*) { return INVALID_FILE_ATTRIBUTES; }
HANDLE CreateFileA(const char*, DWORD, DWORD, SECURITY_ATTRIBUTES*, DWORD, DWORD, HANDLE) {
    return INVALID_HANDLE_VALUE;
}
BOOL WriteFile(HANDLE, const void*, DWORD, DWORD* written, void*) {
    if (written) *written = 0;
    return 0;
}
BOOL FlushFileBuffers(HANDLE) { return 0; }
BOOL CloseHandle(HANDLE) { return 0; }
BOOL MoveFileExA(const char*, const char*, DWORD) { return 0; }
BOOL DeleteFileA(const char*) { return 0; }
DWORD GetFileAttributesW(const wchar_t*) { return INVALID_FILE_ATTRIBUTES; }
HANDLE CreateFileW(const wchar_t*, DWORD, DWORD, SECURITY_ATTRIBUTES*, DWORD, DWORD, HANDLE) {
    return INVALID_HANDLE_VALUE;
}
BOOL MoveFileExW(const wchar_t*, const wchar_t*, DWORD) { return 0; }
BOOL DeleteFileW(const wchar_t*) { return 0; }
void GetLocalTime(SYSTEMTIME* time) { std::memset(time, 0, sizeof *time); }

int64_t ReadFileDataA(const char*, void** block) {
    *block = nullptr;
    return -1;
}
int64_t ReadFileDataW(const wchar_t*, void** block) {
    *block = nullptr;
    return -1;
}
void ReleaseFileData(void*) {}
int GetProgramPathW(DWORD, wchar_t* out) {
    if (out) *out = L'\0';
    return 0;
}
int CombinePathNameW(wchar_t* out, const wchar_t*, const wchar_t*) {
    if (out) *out = L'\0';
    return 0;
}
int GetProgramPathA(DWORD, char* out) {
    if (out) *out = '\0';
    return 0;
}
int CombinePathNameA(char* out, const char*, const char*) {
    if (out) *out = '\0';
    return 0;
}
int RecursiveCreateDirectoryW(const wchar_t*) { return 0; }
int IsDirW(const wchar_t*) { return 0; }

namespace rova {
// Byte for byte: the fuzzed readers only need some conversion, not the code page's.
std::wstring AnsiToWide(const char* text, size_t maxChars) {
    std::wstring out;
    for (; text && *text && (maxChars == 0 || out.size() + 1 < maxChars); ++text)
        out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return out;
}
std::string WideToAnsi(const wchar_t* text, size_t maxBytes) {
    std::string out;
    for (; text && *text && (maxBytes == 0 || out.size() + 1 < maxBytes); ++text)
        out += static_cast<char>(*text & 0xFF);
    return out;
}
// No file has a narrow name here: nothing is ever opened.
std::optional<std::string> AnsiPath(const wchar_t*) { return std::nullopt; }
}  // namespace rova
