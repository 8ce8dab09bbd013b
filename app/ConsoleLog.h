#pragma once
// The console's own event log, for a console that runs unattended and is looked at after the
// fact: "Log\ROVA_MTT_Console_<date-time>.txt", made at the first event of a console start, one
// line per event ("[yyyy-mm-dd hh:mm:ss.mmm] text", UTF-8): notices shown at start (a damaged
// settings file, a folder without an ANSI name), and monitoring that starts by itself. Each line
// is on the disk when Write returns (the file is opened for it and closed again): a crash right
// after keeps it. Runs have their own link log beside their result file.
#include <string>
#include <utility>

class CConsoleLog {
public:
    explicit CConsoleLog(std::wstring folder) : m_folder(std::move(folder)) {}

    // One event; line breaks in text become spaces. False when the line could not be written.
    bool Write(const std::wstring& text);
    bool Write(const std::string& utf8);
    // The file of this console start; empty before the first event.
    const std::wstring& Path() const noexcept { return m_path; }
    const std::wstring& Folder() const noexcept { return m_folder; }

private:
    std::wstring m_folder;
    std::wstring m_path;
};

// The log of this console start, in "Log" beside the exe.
CConsoleLog& ConsoleLog();
