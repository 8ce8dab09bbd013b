#include "app/CrashReport.h"

#include <dbghelp.h>

#include <algorithm>
#include <cstdio>

#include "contracts/ROVA_Common.h"
#include "framework/FreshName.h"

namespace {
// Set once at start; read by the filter, which must not allocate more than it has to.
std::wstring gLogFolder;

LONG WINAPI Filter(EXCEPTION_POINTERS* exception) {
    WriteCrashReport(gLogFolder, exception);
    return EXCEPTION_CONTINUE_SEARCH;  // Windows ends the process as it would have
}
}  // namespace

void InstallCrashReport(const std::wstring& logFolder) {
    gLogFolder = logFolder;
    ::SetUnhandledExceptionFilter(Filter);
}

std::wstring WriteCrashReport(const std::wstring& logFolder, EXCEPTION_POINTERS* exception) {
    RecursiveCreateDirectoryW(logFolder.c_str());
    const std::wstring stem = logFolder + L"\\" + DatedStemW(L"ROVA_MTT_Crash_");
    std::wstring dumpPath = stem + L".dmp";
    HANDLE dump = ::CreateFileW(dumpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool dumped = false;
    if (dump != INVALID_HANDLE_VALUE) {
        MINIDUMP_EXCEPTION_INFORMATION info{::GetCurrentThreadId(), exception, FALSE};
        dumped = ::MiniDumpWriteDump(::GetCurrentProcess(), ::GetCurrentProcessId(), dump, MiniDumpNormal,
                                     exception ? &info : nullptr, nullptr, nullptr) != FALSE;
        ::CloseHandle(dump);
        if (!dumped) ::DeleteFileW(dumpPath.c_str());
    }
    if (!dumped) dumpPath.clear();

    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const EXCEPTION_RECORD* record = exception ? exception->ExceptionRecord : nullptr;
    char line[512];
    const int length = snprintf(
        line, sizeof line, "%04d-%02d-%02d %02d:%02d:%02d.%03d unhandled exception 0x%08lX at %p; dump: %ls\r\n",
        now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
        record ? static_cast<unsigned long>(record->ExceptionCode) : 0ul, record ? record->ExceptionAddress : nullptr,
        dumped ? dumpPath.c_str() + logFolder.size() + 1 : L"none");
    HANDLE text = ::CreateFileW((stem + L".txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (text != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        if (length > 0) ::WriteFile(text, line, static_cast<DWORD>(std::min<int>(length, sizeof line - 1)), &written, nullptr);
        ::CloseHandle(text);
    }
    DbgOutputA(2, "%s", line);
    return dumpPath;
}
