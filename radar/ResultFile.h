#pragma once
// The text file of detection results of a run: "Log\ROVA_MTT_Result_<date-time>.txt", one line
// per delivered object. Opened and closed on the UI thread, written on the library's thread.
//
// Lines gather in memory and reach the operating system whole, within a fifth of a second of
// being written whatever comes after them: a timer of the file's own hands them over and forces
// the file to the disk at most once a second. A crash of the console thus loses a fifth of a
// second of results and never leaves a partial line; a power cut loses about a second.
//
// A disk that refuses the lines (full, gone read-only) loses none at first: what a refused write
// left of a line is cut off again, the lines wait in memory (up to kMostHeldBytes, then the
// oldest go and are counted) and are tried again every kRetryMs, in a new file of the same run
// when the old one cannot be continued. Health() tells the run controller.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include <windows.h>

class CResultFile {
public:
    // What a test replaces: the millisecond clock, the forcing of the file to the disk, the period
    // of the timer that calls Flush (0: no timer, the caller calls Flush), and the name of the next
    // file without its extension.
    struct Hooks {
        std::function<uint32_t()> clock;
        std::function<void(HANDLE)> commit;
        uint32_t timerMs = kTimerMs;
        std::function<std::wstring()> stem;
        // Writes bytes; returns how many were written, with the error when fewer.
        std::function<DWORD(HANDLE, const char*, DWORD, DWORD* error)> write;
    };

    struct WriteHealth {
        bool failing = false;
        uint32_t error = 0;     // Win32 error code of the last failure
        uint64_t lostLines = 0; // lines given up in this file's run
    };

    CResultFile();
    explicit CResultFile(Hooks hooks);
    ~CResultFile() { Close(); }
    CResultFile(const CResultFile&) = delete;
    CResultFile& operator=(const CResultFile&) = delete;

    // Closes any open file, creates `folder` and opens a new, dated file in it; an older file of
    // the same name (the clock was set back) is left alone and the new one gets the next free name.
    // False when the folder or file could not be made; the run then goes on without results.
    bool Open(const wchar_t* folder);
    // Writes one line; whole lines only, even when Close runs at the same time.
    void WriteLine(int64_t objectId, double distance, double angle, double velocity);
    // Hands lines older than kHandOverMs to the operating system and forces the file to the disk
    // when it has news and the last forcing is kCommitIntervalMs old. Any thread.
    void Flush();
    // Hands everything over, forces it to the disk and closes the file.
    void Close();
    // Closes the file and deletes it when no line was ever written to it (a run that never started).
    void CloseDiscardingEmpty();
    bool IsOpen() const;
    std::wstring Path() const;
    WriteHealth Health() const;

    // "[hh:mm:ss.mmm], id, distance, angle, velocity\r\n" with two decimals (values of 1e15 and
    // more, infinities and NaNs, which no sensor measures, in a short form of their own); returns the
    // byte count, 0 when size cannot hold the whole line. kMaxLineBytes holds any line.
    static int FormatLine(char* out, size_t size, const SYSTEMTIME& time, int64_t objectId, double distance,
                          double angle, double velocity);

    // A line waits at most kHandOverMs plus one timer period before the operating system has it,
    // less when kHandOverBytes gather first.
    static constexpr size_t kMaxLineBytes = 160;
    static constexpr uint32_t kHandOverMs = 100;
    static constexpr size_t kHandOverBytes = 64 * 1024;
    static constexpr uint32_t kTimerMs = 100;
    // The operator who pulls the plug loses at most about this much of the results.
    static constexpr uint32_t kCommitIntervalMs = 1000;
    static constexpr uint32_t kRetryMs = 2000;
    static constexpr size_t kMostHeldBytes = 8u << 20;

private:
    static void CALLBACK OnTimer(void* self, BOOLEAN);
    void FlushLocked(uint32_t now);
    void HandOverLocked();
    bool ReopenLocked();
    void DropOldestLocked();
    void StopTimer();

    Hooks m_hooks;
    mutable std::mutex m_lock;
    HANDLE m_file = INVALID_HANDLE_VALUE;  // none while open when a new file could not be made yet
    bool m_open = false;
    std::wstring m_path;
    std::string m_buffered;      // whole lines the operating system has not seen
    uint32_t m_bufferedSince = 0;
    bool m_uncommitted = false;  // lines the operating system has that may not be on the disk
    bool m_anyLine = false;      // a line was written since the open
    std::wstring m_folder;
    uint64_t m_fileBytes = 0;    // whole lines in the file
    WriteHealth m_health;
    uint32_t m_lastAttempt = 0;  // of a write that failed
    uint32_t m_lastCommit = 0;
    HANDLE m_timer = nullptr;    // only touched on the thread that opens and closes
};
