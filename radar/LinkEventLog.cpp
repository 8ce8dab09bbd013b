#include "radar/LinkEventLog.h"

#include <cstring>
#include <cwchar>

namespace {
constexpr const wchar_t* kResultPrefix = L"ROVA_MTT_Result_";
constexpr const wchar_t* kLinkPrefix = L"ROVA_MTT_Link_";
const CLineFile::Kind kLink{"event log", kLinkPrefix, L".txt", "", 0};
}  // namespace

CLinkEventLog::CLinkEventLog() : CLinkEventLog(CLineFile::Hooks{}) {}

CLinkEventLog::CLinkEventLog(CLineFile::Hooks hooks) : m_file(kLink, std::move(hooks)) {}

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

bool CLinkEventLog::OpenBeside(const std::wstring& resultPath, const std::wstring& folder) {
    if (resultPath.empty()) {
        if (folder.empty()) {
            m_file.Close();
            return false;
        }
        return m_file.Open(folder);
    }
    const std::wstring path = PathBeside(resultPath);
    const size_t slash = path.find_last_of(L"\\/");
    const size_t nameAt = slash == std::wstring::npos ? 0 : slash + 1;
    std::wstring stem = path.substr(nameAt);
    const size_t dot = stem.find_last_of(L'.');
    if (dot != std::wstring::npos) stem.erase(dot);
    return m_file.Open(nameAt == 0 ? std::wstring(L".") : path.substr(0, slash), stem);
}

std::string CLinkEventLog::FormatLine(const SYSTEMTIME& t, const std::string& text) {
    char stamp[40];
    snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d:%02d:%02d.%03d] ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond, t.wMilliseconds);
    return stamp + text + "\r\n";
}

void CLinkEventLog::Write(const std::string& text) {
    const SYSTEMTIME now = m_file.LocalTime();
    m_file.Write(FormatLine(now, text), now);
}
