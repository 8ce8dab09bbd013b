#pragma once
// The event log of a run: "Log\ROVA_MTT_Link_<date-time>.txt" beside the run's result file (same
// date-time), one line per event, "[yyyy-mm-dd hh:mm:ss.mmm] text\r\n", handed over at once: an
// unattended console is looked at after the fact. Its own write failures are events like any
// other: those lines wait with the rest until the disk takes them (see CLineFile), and the log
// goes on in a new file at local midnight and at the size limit.
#include <cstdint>
#include <string>

#include <windows.h>

#include "areas/LineFile.h"

class CLinkEventLog {
public:
    CLinkEventLog();
    // A test's clocks and writes: see CLineFile::Hooks.
    explicit CLinkEventLog(CLineFile::Hooks hooks);
    CLinkEventLog(const CLinkEventLog&) = delete;
    CLinkEventLog& operator=(const CLinkEventLog&) = delete;

    // The log's path for a result file's path: the same folder and date-time.
    static std::wstring PathBeside(const std::wstring& resultPath);
    // Closes any open log and opens a new one beside resultPath, or, without a result file (it
    // could not be made), a dated one in folder. False when neither is given or the log cannot
    // be made now (it is then tried again as events come).
    bool OpenBeside(const std::wstring& resultPath, const std::wstring& folder = {});
    void Write(const std::string& text);
    void Close() { m_file.Close(); }
    // Bytes a file may reach before the events go on in a new one; 0: no limit.
    void SetSizeLimit(uint64_t bytes) { m_file.SetSizeLimit(bytes); }
    bool IsOpen() const { return m_file.IsOpen(); }
    std::wstring Path() const { return m_file.Path(); }
    LineFileHealth Health() const { return m_file.Health(); }

    static std::string FormatLine(const SYSTEMTIME& time, const std::string& text);

private:
    CLineFile m_file;
};
