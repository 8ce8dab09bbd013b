#pragma once
// A text file of whole lines that a run writes for weeks: the result file, the zone events, the
// link log. Any thread may write; the lines reach the operating system whole.
//
// Lines gather in memory and go over within handOverMs (at once when it is 0), by a timer of the
// file's own or as later lines come; the file is forced to the disk at most once a second. A disk
// that refuses the lines (full, gone read-only) loses none at first: what a refused write left of
// a line is cut off again, the lines wait (up to kMostHeldBytes, then the oldest go and are
// counted) and are tried again every kRetryMs, in a new file of the same run when the old one
// cannot be continued. Health() tells the run controller.
//
// The file rolls over to a new one of the same name pattern, named after the new file's local date
// and time, when the first line of a new local day comes and when the next line would take the
// file past the size limit; a line is never split, and a line longer than the limit gets a file of
// its own. Each new file starts with the header line, if the kind has one.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

struct LineFileHealth {
    bool failing = false;
    uint32_t error = 0;     // Win32 error code of the last failure
    uint64_t lostLines = 0; // lines given up in this run
};

class CLineFile {
public:
    static constexpr uint32_t kTimerMs = 100;
    static constexpr size_t kHandOverBytes = 64 * 1024;
    // The operator who pulls the plug loses at most about this much of the lines.
    static constexpr uint32_t kCommitIntervalMs = 1000;
    static constexpr uint32_t kRetryMs = 2000;
    static constexpr size_t kMostHeldBytes = 8u << 20;

    // What a test replaces: the millisecond clock, the forcing of the file to the disk, the period
    // of the timer that calls Flush (0: no timer, the caller calls Flush), the name of the next
    // file without its extension, the writing of bytes (returns how many were written, with the
    // error when fewer), and the local wall clock that decides the day and, without a stem hook,
    // names the files.
    struct Hooks {
        std::function<uint32_t()> clock = nullptr;
        std::function<void(HANDLE)> commit = nullptr;
        uint32_t timerMs = kTimerMs;
        std::function<std::wstring()> stem = nullptr;
        std::function<DWORD(HANDLE, const char*, DWORD, DWORD* error)> write = nullptr;
        std::function<SYSTEMTIME()> localTime = nullptr;
    };

    // What the file is: its name in the debug trace, the prefix of its names
    // ("<prefix><date-time><extension>"), the header line of each file (without its end, none when
    // empty), and how long lines may wait before they go over.
    struct Kind {
        const char* name;
        const wchar_t* prefix;
        const wchar_t* extension;
        const char* header;
        uint32_t handOverMs;
    };

    CLineFile(const Kind& kind, Hooks hooks);
    ~CLineFile() { Close(); }
    CLineFile(const CLineFile&) = delete;
    CLineFile& operator=(const CLineFile&) = delete;

    // Closes any open file, creates folder and opens a new file in it named stem (the next dated
    // name when empty); an older file of that name is left alone and the new one gets the next free
    // name. False when the file could not be made now: it is then tried again as lines come.
    bool Open(const std::wstring& folder, const std::wstring& stem = {});
    // Closes any open file and creates (or truncates) exactly this one; later files of the run go
    // beside it under dated names. False (and closed) when it cannot be made.
    bool OpenExact(const std::wstring& path);
    // Whole lines, each ending in "\r\n", written at local time now.
    void Write(std::string_view lines, const SYSTEMTIME& now);
    // The local wall clock of the hooks: what callers stamp their lines with.
    SYSTEMTIME LocalTime() const { return m_hooks.localTime(); }
    // Hands over the lines whose time has come, tries again a refused write when kRetryMs have
    // passed, forces the file to the disk when due. Any thread.
    void Flush();
    // As Flush, and every waiting line goes over now unless the disk refused them lately.
    void FlushAll();
    // Hands everything over (a last try whatever the one before), forces it to the disk, closes.
    void Close();
    // Closes the file and deletes it when no line was ever written to it (a run that never started).
    void CloseDiscardingEmpty();
    // Bytes a file may reach before the next line goes into a new one; 0: no limit.
    void SetSizeLimit(uint64_t bytes);
    bool IsOpen() const;
    std::wstring Path() const;
    LineFileHealth Health() const;

private:
    static void CALLBACK OnTimer(void* self, BOOLEAN);
    void StartTimer();
    void StopTimer();
    void Reset();
    void PumpLocked(uint32_t now, bool all);
    void HandOverLocked();
    bool WriteLocked(const char* data, size_t size);
    bool NextFileLocked(const std::wstring& stem = {});
    bool WriteHeaderLocked();
    void EndFileLocked();
    void FailLocked(DWORD error);
    void DropOldestLocked();
    void EraseHeldLocked(size_t bytes);

    const Kind m_kind;
    Hooks m_hooks;
    mutable std::mutex m_lock;
    HANDLE m_file = INVALID_HANDLE_VALUE;  // none while open when the next file could not be made yet
    bool m_open = false;
    std::wstring m_folder;
    std::wstring m_path;
    std::string m_held;             // whole lines the operating system has not seen
    std::vector<size_t> m_dayBreaks; // offsets in m_held where a new local day starts
    uint32_t m_heldSince = 0;
    int m_day = 0;                  // local day (yyyymmdd) of the last line written
    uint64_t m_limit = 0;
    uint64_t m_fileBytes = 0;       // whole lines (and the header) in the file
    bool m_headerDone = false;
    bool m_fileHasLines = false;
    bool m_anyLine = false;         // a line was written since the open
    bool m_uncommitted = false;     // lines the operating system has that may not be on the disk
    LineFileHealth m_health;
    uint32_t m_lastAttempt = 0;     // of a write that failed
    uint32_t m_lastCommit = 0;
    HANDLE m_timer = nullptr;       // only touched on the thread that opens and closes
};
