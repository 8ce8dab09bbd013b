#pragma once
// The event log of a run: "Log\ROVA_MTT_Link_<date-time>.txt" beside the run's result file (same
// date-time), one line per event, "[yyyy-mm-dd hh:mm:ss.mmm] text\r\n", flushed at once: an
// unattended console is looked at after the fact.
#include <cstdio>
#include <string>

#include <windows.h>

class CLinkEventLog {
public:
    CLinkEventLog() = default;
    ~CLinkEventLog() { Close(); }
    CLinkEventLog(const CLinkEventLog&) = delete;
    CLinkEventLog& operator=(const CLinkEventLog&) = delete;

    // The log's path for a result file's path: the same folder and date-time.
    static std::wstring PathBeside(const std::wstring& resultPath);
    // Closes any open log and opens the one beside resultPath. False when it cannot be made.
    bool OpenBeside(const std::wstring& resultPath);
    void Write(const std::string& text);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }
    std::wstring Path() const { return m_path; }

    static std::string FormatLine(const SYSTEMTIME& time, const std::string& text);

private:
    FILE* m_file = nullptr;
    std::wstring m_path;
};
