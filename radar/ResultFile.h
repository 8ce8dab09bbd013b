#pragma once
// The text file of detection results of a run: "Log\ROVA_MTT_Result_<date-time>.txt", one line
// per delivered object. Opened and closed on the UI thread, written on the library's thread.
//
// Lines gather in memory and reach the operating system whole, within a fifth of a second of
// being written whatever comes after them: a timer of the file's own hands them over and forces
// the file to the disk at most once a second. A crash of the console thus loses a fifth of a
// second of results and never leaves a partial line; a power cut loses about a second.
//
// A disk that refuses the lines (full, gone read-only) loses none at first, and the run's results
// go on in a new file at local midnight and at the size limit: see CLineFile.
#include <cstdint>
#include <string>

#include <windows.h>

#include "areas/LineFile.h"

class CResultFile {
public:
    // What a test replaces: see CLineFile::Hooks.
    using Hooks = CLineFile::Hooks;
    using WriteHealth = LineFileHealth;

    CResultFile();
    explicit CResultFile(Hooks hooks);
    CResultFile(const CResultFile&) = delete;
    CResultFile& operator=(const CResultFile&) = delete;

    // Closes any open file, creates `folder` and opens a new, dated file in it; an older file of
    // the same name (the clock was set back) is left alone and the new one gets the next free name.
    // False when the folder or file could not be made; the lines then wait and the file is tried
    // again every kRetryMs.
    bool Open(const wchar_t* folder);
    // Writes one line; whole lines only, even when Close runs at the same time.
    void WriteLine(int64_t objectId, double distance, double angle, double velocity);
    // Hands lines older than kHandOverMs to the operating system and forces the file to the disk
    // when it has news and the last forcing is kCommitIntervalMs old. Any thread.
    void Flush() { m_file.Flush(); }
    // Hands everything over, forces it to the disk and closes the file.
    void Close() { m_file.Close(); }
    // Closes the file and deletes it when no line was ever written to it (a run that never started).
    void CloseDiscardingEmpty() { m_file.CloseDiscardingEmpty(); }
    // Bytes a file may reach before the results go on in a new one; 0: no limit.
    void SetSizeLimit(uint64_t bytes) { m_file.SetSizeLimit(bytes); }
    bool IsOpen() const { return m_file.IsOpen(); }
    // The file written now (the last of the run's files).
    std::wstring Path() const { return m_file.Path(); }
    WriteHealth Health() const { return m_file.Health(); }

    // "[hh:mm:ss.mmm], id, distance, angle, velocity\r\n" with two decimals (values of 1e15 and
    // more, infinities and NaNs, which no sensor measures, in a short form of their own); returns the
    // byte count, 0 when size cannot hold the whole line. kMaxLineBytes holds any line.
    static int FormatLine(char* out, size_t size, const SYSTEMTIME& time, int64_t objectId, double distance,
                          double angle, double velocity);

    // A line waits at most kHandOverMs plus one timer period before the operating system has it,
    // less when kHandOverBytes gather first.
    static constexpr size_t kMaxLineBytes = 160;
    static constexpr uint32_t kHandOverMs = 100;
    static constexpr size_t kHandOverBytes = CLineFile::kHandOverBytes;
    static constexpr uint32_t kTimerMs = CLineFile::kTimerMs;
    static constexpr uint32_t kCommitIntervalMs = CLineFile::kCommitIntervalMs;
    static constexpr uint32_t kRetryMs = CLineFile::kRetryMs;
    static constexpr size_t kMostHeldBytes = CLineFile::kMostHeldBytes;

private:
    CLineFile m_file;
};
