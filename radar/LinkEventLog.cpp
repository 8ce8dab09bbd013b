#include "radar/LinkEventLog.h"

#include <cstring>
#include <cwchar>

namespace {
constexpr const wchar_t* kResultPrefix = L"ROVA_MTT_Result_";
constexpr const wchar_t* kLinkPrefix = L"ROVA_MTT_Link_";
}  // namespace

std::wstring CLinkEventLog::PathBeside(const std::wstring& resultPath) {
    const size_t slash = resultPath.find_last_of(L"\\/");
    const size_t nameAt = slash == std::wstring::npos ? 0 : slash + 1;
    std::wstring name = resultPath.substr(nameAt);
    if (name.rfind(kResultPrefix, 0) == 0) {
        name = kLinkPrefix + name.substr(wcslen(kResultPrefix));
    } else {
        name = kLinkPrefix + name;
    }
    return resultPath.substr(0, nameAt) + name;
}

bool CLinkEventLog::OpenBeside(const std::wstring& resultPath) {
    Close();
    if (resultPath.empty()) return false;
    m_path = PathBeside(resultPath);
    m_file = _wfopen(m_path.c_str(), L"ab");
    return m_file != nullptr;
}

std::string CLinkEventLog::FormatLine(const SYSTEMTIME& t, const std::string& text) {
    char stamp[40];
    snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d:%02d:%02d.%03d] ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond, t.wMilliseconds);
    return stamp + text + "\r\n";
}

void CLinkEventLog::Write(const std::string& text) {
    if (!m_file) return;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const std::string line = FormatLine(now, text);
    fwrite(line.data(), 1, line.size(), m_file);
    fflush(m_file);
}

void CLinkEventLog::Close() {
    if (m_file) fclose(m_file);
    m_file = nullptr;
}
