#pragma once
// What the console keeps of its own old runs, so that an unattended console never fills its disk:
// whole runs go, oldest first, until the runs are no older than the kept days, together take no
// more than the storage limit, and the disks of the log and save folders keep their free floor.
// Plain logic over an abstract file system (IRetentionFileSystem); CRetentionFiles is the real one.
//
// What belongs to a run. Every run start leaves a marker "ROVA_MTT_Run_<date-time>.txt" in the log
// folder, stamped before any other file of the run. A run's files are then the console's files
// stamped from its marker up to the next run's marker: the result, link and zone files (those it
// continues in after midnight or at their size limit too, whatever their own stamp), the crash
// files, and the raw folder "ROVA_MTT_Data_<date-time>" in the save folder. Files older than every
// marker (kept from before markers were written) form runs by their start: files stamped within
// kUnmarkedRunMs of the first of a group are one run.
//
// Only these names are ever deleted, and in a raw folder only what the recorder writes; anything
// else there (and the folder then) stays, and so does every reparse point (junction, symbolic
// link), never entered. The running run is never touched.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Times are local wall-clock milliseconds since 1601-01-01, the scale of the names' stamps.
struct RetentionEntry {
    std::wstring name;
    uint64_t bytes = 0;
    int64_t lastWriteMs = 0;
    bool folder = false;
    bool reparsePoint = false;
};

class IRetentionFileSystem {
public:
    virtual ~IRetentionFileSystem() = default;
    // The entries directly in folder, without "." and ".."; empty when it cannot be listed or is
    // itself a reparse point.
    virtual std::vector<RetentionEntry> List(const std::wstring& folder) = 0;
    // Free bytes on the volume of folder for this user; false when unknown.
    virtual bool FreeBytes(const std::wstring& folder, uint64_t* bytes) = 0;
    // False with a Win32 error code when the file or (empty) folder stays.
    virtual bool RemoveFile(const std::wstring& path, uint32_t* error) = 0;
    virtual bool RemoveFolder(const std::wstring& path, uint32_t* error) = 0;
};

// 0 in any of them: no limit of that kind.
struct RetentionLimits {
    int keepDays = 0;
    uint64_t mostBytes = 0;
    uint64_t leastFreeBytes = 0;
};

struct RetentionScope {
    std::wstring logFolder;
    std::wstring saveFolder;
    int64_t nowMs = 0;
    // The running run (0: none): every run holding a file stamped at or after its start stays,
    // and so does every run holding one of keep (full paths, any case).
    int64_t runStartMs = 0;
    std::vector<std::wstring> keep;
};

struct RetentionOutcome {
    std::vector<std::string> lines;  // for the run's event log: each deletion and each failure
    bool saveFreeKnown = false;
    uint64_t saveFreeBytes = 0;      // on the save folder's disk after the deletions
    uint64_t keptBytes = 0;          // the runs' files after the deletions
};

class CRetention {
public:
    static constexpr int64_t kDayMs = 24ll * 60 * 60 * 1000;
    static constexpr int64_t kUnmarkedRunMs = 60 * 1000;
    static constexpr const wchar_t* kMarkerPrefix = L"ROVA_MTT_Run_";

    // Deletes what the limits ask for. keepGoing (may be empty) is asked before each deletion;
    // false ends the pass there.
    static RetentionOutcome Apply(IRetentionFileSystem& files, const RetentionLimits& limits,
                                  const RetentionScope& scope, const std::function<bool()>& keepGoing = {});

    // Raw recording pauses below the floor and resumes only an eighth of the floor above it, so
    // that a disk hovering at the floor does not switch it on and off with every pass.
    static bool RecordingPaused(bool pausedNow, const RetentionOutcome& outcome, const RetentionLimits& limits);

    enum class Kind { None, Result, Link, Zones, Crash, Marker, RawFolder };
    // The kind of a name in the log or save folder and its stamp; None for anything else.
    static Kind KindOf(const std::wstring& name, bool folder, int64_t* stampMs);
    // The stamp "YYYYMMDD_HHMMSS_mmm" that starts text; false when it does not.
    static bool ParseStamp(const std::wstring& text, int64_t* stampMs);
    static int64_t LocalMs(int year, int month, int day, int hour, int minute, int second, int ms);
};
