#include "app/ConsoleLog.h"

#include <windows.h>

#include "contracts/ROVA_Common.h"
#include "framework/AnsiText.h"
#include "framework/FreshName.h"
#include "framework/ProgramFolder.h"
#include "radar/LinkEventLog.h"

bool CConsoleLog::Write(const std::wstring& text) { return Write(rova::WideToUtf8(text)); }

bool CConsoleLog::Write(const std::string& utf8) {
    std::string text = utf8;
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    HANDLE file = INVALID_HANDLE_VALUE;
    if (m_path.empty()) {
        RecursiveCreateDirectoryW(m_folder.c_str());
        file = CreateFreshFileW(m_folder, DatedStemW(L"ROVA_MTT_Console_"), L".txt", FILE_SHARE_READ, &m_path);
        if (file == INVALID_HANDLE_VALUE) return false;
        ::CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    for (int attempt = 0; attempt < 2 && file == INVALID_HANDLE_VALUE; ++attempt) {
        // A Log folder taken away meanwhile is made again.
        if (attempt > 0) RecursiveCreateDirectoryW(m_folder.c_str());
        file = ::CreateFileW(m_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const std::string line = CLinkEventLog::FormatLine(now, text);
    DWORD written = 0;
    const bool ok = ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                    written == line.size();
    ::CloseHandle(file);
    return ok;
}

CConsoleLog& ConsoleLog() {
    static CConsoleLog log(ProgramFileW(L"Log"));
    return log;
}
