#include "radar/LinkEventLog.h"

#include <cstring>

namespace {
constexpr const char* kResultPrefix = "ROVA_MTT_Result_";
constexpr const char* kLinkPrefix = "ROVA_MTT_Link_";
}  // namespace

std::string CLinkEventLog::PathBeside(const std::string& resultPath) {
    const size_t slash = resultPath.find_last_of("\\/");
    const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    std::string name = resultPath.substr(nameAt);
    if (name.rfind(kResultPrefix, 0) == 0) {
        name = kLinkPrefix + name.substr(strlen(kResultPrefix));
    } else {
        name = kLinkPrefix + name;
    }
    return resultPath.substr(0, nameAt) + name;
}

bool CLinkEventLog::OpenBeside(const std::string& resultPath) {
    Close();
    if (resultPath.empty()) return false;
    m_path = PathBeside(resultPath);
    m_file = fopen(m_path.c_str(), "ab");
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
