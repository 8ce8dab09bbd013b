// The few Windows declarations that the portable parsers' headers and translation units name,
// so that they compile natively for fuzzing on Linux. Only declarations: every function here is
// defined in Win32Stubs.cpp to fail, as a missing file or a full disk would. Nothing in the
// fuzzed code paths needs them to succeed.
#pragma once

#include <strings.h>

#include <cstddef>
#include <cstdint>

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef void* HANDLE;
typedef struct HWND__* HWND;
typedef struct HBITMAP__* HBITMAP;
typedef struct {
    LONG left, top, right, bottom;
} RECT;
typedef struct {
    void* opaque[5];
} CRITICAL_SECTION;
typedef struct {
    WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
} SYSTEMTIME;
typedef struct _SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES;

#define MAX_PATH 260
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))
#define INVALID_FILE_ATTRIBUTES (static_cast<DWORD>(-1))
#define FILE_ATTRIBUTE_READONLY 0x1
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_NORMAL 0x80
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x1
#define FILE_SHARE_WRITE 0x2
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define MOVEFILE_REPLACE_EXISTING 0x1
#define MOVEFILE_WRITE_THROUGH 0x8
#define ERROR_SUCCESS 0
#define ERROR_ACCESS_DENIED 5
#define ERROR_WRITE_FAULT 29
#define ERROR_FILE_EXISTS 80
#define ERROR_DISK_FULL 112


DWORD GetLastError();
DWORD GetFileAttributesA(const char* path);
HANDLE CreateFileA(const char* path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security, DWORD creation,
                   DWORD flags, HANDLE templateFile);
BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written, void* overlapped);
BOOL FlushFileBuffers(HANDLE file);
BOOL CloseHandle(HANDLE handle);
BOOL MoveFileExA(const char* from, const char* to, DWORD flags);
BOOL DeleteFileA(const char* path);
DWORD GetFileAttributesW(const wchar_t* path);
HANDLE CreateFileW(const wchar_t* path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security, DWORD creation,
                   DWORD flags, HANDLE templateFile);
BOOL MoveFileExW(const wchar_t* from, const wchar_t* to, DWORD flags);
BOOL DeleteFileW(const wchar_t* path);
void GetLocalTime(SYSTEMTIME* time);
