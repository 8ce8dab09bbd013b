#include "radar/WriteStatus.h"

#include <windows.h>

#include "radar/LinkStatus.h"

namespace {
const char* const kNames[] = {"result file", "zone event file", "event log", "raw recording", "settings file"};
const char* ReasonText(CWriteStatus::Reason reason) {
    switch (reason) {
    case CWriteStatus::Reason::DiskFull: return "the disk is full";
    case CWriteStatus::Reason::NotWritable: return "the folder is not writable";
    default: return "write error";
    }
}
}  // namespace

CWriteStatus::Reason CWriteStatus::ReasonOf(uint32_t error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return Reason::DiskFull;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY: return Reason::NotWritable;
    default: return Reason::Other;
    }
}

bool CWriteStatus::AnyFailing(const std::vector<WriteState>& states) {
    for (const WriteState& s : states) {
        if (s.failing) return true;
    }
    return false;
}

std::wstring CWriteStatus::Describe(const std::vector<WriteState>& states, const WriteStatusTexts& texts) {
    std::wstring text;
    for (const WriteState& s : states) {
        if (!s.failing) continue;
        std::wstring why;
        switch (ReasonOf(s.error)) {
        case Reason::DiskFull: why = texts.diskFull; break;
        case Reason::NotWritable: why = texts.notWritable; break;
        case Reason::Other: why = CLinkStatus::Fill(texts.otherError, L"code", std::to_wstring(s.error)); break;
        }
        std::wstring line = CLinkStatus::Fill(texts.failed, L"what", texts.what[static_cast<int>(s.target)]);
        line = CLinkStatus::Fill(line, L"why", why);
        if (!text.empty()) text += L"   ";
        text += line;
    }
    return text;
}

std::vector<std::string> CWriteStatus::Update(const std::vector<WriteState>& states) {
    std::vector<std::string> lines;
    for (const WriteState& s : states) {
        const size_t at = static_cast<size_t>(s.target);
        if (at >= m_failing.size() || s.failing == m_failing[at]) continue;
        m_failing[at] = s.failing;
        const std::string name = kNames[at];
        if (s.failing) {
            lines.push_back(name + " cannot be written: " + ReasonText(ReasonOf(s.error)) + " (error " +
                            std::to_string(s.error) + ")");
        } else {
            lines.push_back(name + " is written again; " + std::to_string(s.lost) + " lost so far");
        }
    }
    return lines;
}
