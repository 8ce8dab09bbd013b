// The retention policy over a file system in memory with a fixed clock: which runs go, whole and
// oldest first, for the kept days, the storage limit and the free floor; what always stays (the
// running run, anything the console did not write, reparse points); and the real file system
// under a folder named outside the code page.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "radar/Retention.h"
#include "radar/RetentionFiles.h"

namespace {

constexpr uint64_t kMB = 1024 * 1024;
const std::wstring kLog = L"C:\\console\\Log";
const std::wstring kSave = L"D:\\SaveData";

int64_t At(int month, int day, int hour = 12, int minute = 0, int second = 0) {
    return CRetention::LocalMs(2026, month, day, hour, minute, second, 0);
}

// "YYYYMMDD_HHMMSS_mmm" of a time made by At.
std::wstring Stamp(int month, int day, int hour = 12, int minute = 0, int second = 0, int ms = 0) {
    wchar_t text[32];
    swprintf(text, 32, L"2026%02d%02d_%02d%02d%02d_%03d", month, day, hour, minute, second, ms);
    return text;
}

const int64_t kNow = At(6, 30);

// Two volumes: the log folder's (C:) and the save folder's (D:); a path's volume is its first letter.
class FakeFiles : public IRetentionFileSystem {
public:
    struct Node {
        bool folder = false;
        uint64_t bytes = 0;
        int64_t lastWrite = 0;
        bool reparse = false;
    };
    std::map<std::wstring, Node> nodes;
    std::map<wchar_t, uint64_t> freeBytes{{L'C', 100000 * kMB}, {L'D', 100000 * kMB}};
    std::set<std::wstring> inUse;
    std::vector<std::wstring> deleted;

    FakeFiles() {
        Folder(kLog, 0);
        Folder(kSave, 0);
    }
    void File(const std::wstring& path, uint64_t bytes, int64_t lastWrite) { nodes[path] = {false, bytes, lastWrite, false}; }
    void Folder(const std::wstring& path, int64_t lastWrite, bool reparse = false) { nodes[path] = {true, 0, lastWrite, reparse}; }
    // A run as the console leaves it: marker, result, link and zone files stamped a little after
    // the start, a raw folder with its configuration and raw files when recorded.
    void Run(int month, int day, uint64_t resultBytes, uint64_t rawBytes = 0, int hour = 12) {
        const int64_t end = At(month, day, hour + 1);
        File(kLog + L"\\ROVA_MTT_Run_" + Stamp(month, day, hour) + L".txt", 200, At(month, day, hour));
        File(kLog + L"\\ROVA_MTT_Result_" + Stamp(month, day, hour, 0, 2) + L".txt", resultBytes, end);
        File(kLog + L"\\ROVA_MTT_Link_" + Stamp(month, day, hour, 0, 2) + L".txt", 1000, end);
        File(kLog + L"\\ROVA_MTT_Zones_" + Stamp(month, day, hour, 0, 2, 5) + L".csv", 500, end);
        if (rawBytes == 0) return;
        const std::wstring raw = kSave + L"\\ROVA_MTT_Data_" + Stamp(month, day, hour, 0, 1);
        Folder(raw, end);
        File(raw + L"\\FILE_Radar_Config.ini", 3000, At(month, day, hour));
        File(raw + L"\\ROVA_Raw_" + Stamp(month, day, hour, 0, 2) + L".rvraw", rawBytes / 2, end);
        File(raw + L"\\ROVA_Raw_" + Stamp(month, day, hour, 30, 0) + L".rvraw", rawBytes - rawBytes / 2, end);
    }
    bool Has(const std::wstring& path) const { return nodes.count(path) != 0; }
    // The names left directly in folder.
    std::set<std::wstring> Left(const std::wstring& folder) const {
        std::set<std::wstring> names;
        for (const auto& [path, node] : nodes) {
            if (Parent(path) == folder) names.insert(path.substr(folder.size() + 1));
        }
        return names;
    }

    std::vector<RetentionEntry> List(const std::wstring& folder) override {
        std::vector<RetentionEntry> entries;
        const auto self = nodes.find(folder);
        if (self == nodes.end() || !self->second.folder || self->second.reparse) return entries;
        for (const auto& [path, node] : nodes) {
            if (Parent(path) != folder) continue;
            entries.push_back({path.substr(folder.size() + 1), node.bytes, node.lastWrite, node.folder, node.reparse});
        }
        return entries;
    }
    bool FreeBytes(const std::wstring& folder, uint64_t* bytes) override {
        if (!Has(folder)) return false;
        *bytes = freeBytes[folder[0]];
        return true;
    }
    bool RemoveFile(const std::wstring& path, uint32_t* error) override {
        const auto it = nodes.find(path);
        if (it == nodes.end() || it->second.folder || inUse.count(path) || Under(path, true)) {
            *error = it == nodes.end() ? ERROR_FILE_NOT_FOUND : ERROR_SHARING_VIOLATION;
            return false;
        }
        freeBytes[path[0]] += it->second.bytes;
        nodes.erase(it);
        deleted.push_back(path);
        return true;
    }
    // As on the disk, a junction goes as a link whatever its target holds.
    bool RemoveFolder(const std::wstring& path, uint32_t* error) override {
        const auto it = nodes.find(path);
        if (it == nodes.end() || !it->second.folder || (!it->second.reparse && !Left(path).empty())) {
            *error = ERROR_DIR_NOT_EMPTY;
            return false;
        }
        nodes.erase(it);
        deleted.push_back(path);
        return true;
    }

private:
    static std::wstring Parent(const std::wstring& path) {
        const size_t slash = path.rfind(L'\\');
        return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    }
    // Whether a path lies below a reparse point (deleting there would reach what it points to).
    bool Under(const std::wstring& path, bool reparseOnly) const {
        for (std::wstring p = Parent(path); !p.empty(); p = Parent(p)) {
            const auto it = nodes.find(p);
            if (it != nodes.end() && (!reparseOnly || it->second.reparse)) return true;
        }
        return false;
    }
};

RetentionScope Scope(int64_t runStart = 0) {
    RetentionScope scope;
    scope.logFolder = kLog;
    scope.saveFolder = kSave;
    scope.nowMs = kNow;
    scope.runStartMs = runStart;
    return scope;
}

RetentionLimits Limits(int keepDays, uint64_t mostMB = 0, uint64_t leastFreeMB = 0) {
    RetentionLimits limits;
    limits.keepDays = keepDays;
    limits.mostBytes = mostMB * kMB;
    limits.leastFreeBytes = leastFreeMB * kMB;
    return limits;
}

// The starts (month * 100 + day) of the runs whose markers are left, oldest first.
std::vector<int> RunsLeft(const FakeFiles& files) {
    std::vector<int> days;
    for (const std::wstring& name : files.Left(kLog)) {
        if (name.rfind(L"ROVA_MTT_Run_", 0) == 0) days.push_back(std::stoi(name.substr(17, 4)));
    }
    return days;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

TEST(RetentionNames, OnlyTheConsolesOwnNamesAreRecognised) {
    const struct {
        const wchar_t* name;
        bool folder;
        CRetention::Kind kind;
    } cases[] = {
        {L"ROVA_MTT_Result_20260301_120000_000.txt", false, CRetention::Kind::Result},
        {L"rova_mtt_result_20260301_120000_000.TXT", false, CRetention::Kind::Result},
        {L"ROVA_MTT_Result_20260301_120000_000_2.txt", false, CRetention::Kind::Result},
        {L"ROVA_MTT_Link_20260301_120000_000.txt", false, CRetention::Kind::Link},
        {L"ROVA_MTT_Zones_20260301_120000_000.csv", false, CRetention::Kind::Zones},
        {L"ROVA_MTT_Crash_20260301_120000_000.dmp", false, CRetention::Kind::Crash},
        {L"ROVA_MTT_Crash_20260301_120000_000.txt", false, CRetention::Kind::Crash},
        {L"ROVA_MTT_Run_20260301_120000_000.txt", false, CRetention::Kind::Marker},
        {L"ROVA_MTT_Data_20260301_120000_000", true, CRetention::Kind::RawFolder},
        {L"ROVA_MTT_Data_20260301_120000_000_3", true, CRetention::Kind::RawFolder},
        // Look-alikes of the operator's own.
        {L"ROVA_MTT_Data_20260301_120000_000", false, CRetention::Kind::None},
        {L"ROVA_MTT_Result_20260301_120000_000.txt", true, CRetention::Kind::None},
        {L"ROVA_MTT_Result_20260301_120000_000.txt.bak", false, CRetention::Kind::None},
        {L"ROVA_MTT_Result_20260301_120000_000 copy.txt", false, CRetention::Kind::None},
        {L"ROVA_MTT_Result_20260301_120000_000_.txt", false, CRetention::Kind::None},
        {L"ROVA_MTT_Result_backup.txt", false, CRetention::Kind::None},
        {L"ROVA_MTT_Result_20261301_120000_000.txt", false, CRetention::Kind::None},
        {L"ROVA_MTT_Result_20260301_250000_000.txt", false, CRetention::Kind::None},
        {L"ROVA_MTT_Zones_20260301_120000_000.txt", false, CRetention::Kind::None},
        {L"ROVA_MTT_Data_20260301_120000_000.zip", false, CRetention::Kind::None},
        {L"x_ROVA_MTT_Result_20260301_120000_000.txt", false, CRetention::Kind::None},
        {L"notes.txt", false, CRetention::Kind::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(TempFolder::narrow(c.name));
        int64_t stamp = -1;
        EXPECT_EQ(CRetention::KindOf(c.name, c.folder, &stamp), c.kind);
        if (c.kind != CRetention::Kind::None) {
            EXPECT_EQ(stamp, At(3, 1));
        }
    }
}

// The stamps count on the scale of the system's file times.
TEST(RetentionNames, StampsAreOnTheFileTimeScale) {
    for (const SYSTEMTIME& t : {SYSTEMTIME{1601, 1, 1, 1, 0, 0, 0, 0}, SYSTEMTIME{2024, 2, 4, 29, 23, 59, 59, 999},
                                SYSTEMTIME{2026, 12, 4, 31, 0, 0, 1, 7}, SYSTEMTIME{2100, 3, 1, 1, 6, 30, 0, 500}}) {
        FILETIME ft{};
        ASSERT_TRUE(::SystemTimeToFileTime(&t, &ft));
        const int64_t expected = static_cast<int64_t>(((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10000);
        EXPECT_EQ(CRetention::LocalMs(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds), expected)
            << t.wYear << "-" << t.wMonth << "-" << t.wDay;
    }
}

// Runs whose last file is older than the kept days go whole, raw folder included; the age is that
// of a run's last write, so a long run that ended recently stays.
TEST(Retention, RunsOlderThanTheKeptDaysGoWhole) {
    FakeFiles files;
    files.Run(5, 1, 10 * kMB, 50 * kMB);
    files.Run(5, 20, 10 * kMB);
    // Began before the kept days, continued in a file of 12 June.
    files.Run(5, 25, 10 * kMB);
    files.File(kLog + L"\\ROVA_MTT_Result_" + Stamp(6, 12) + L".txt", kMB, At(6, 12, 13));
    files.Run(6, 20, 10 * kMB, 50 * kMB);

    const RetentionOutcome outcome = CRetention::Apply(files, Limits(30), Scope());
    EXPECT_EQ(RunsLeft(files), (std::vector<int>{525, 620})) << Joined(outcome.lines);
    EXPECT_EQ(files.Left(kSave), (std::set<std::wstring>{L"ROVA_MTT_Data_" + Stamp(6, 20, 12, 0, 1)}));
    EXPECT_EQ(files.Left(kLog).size(), 5u + 4u);
    // One line per deletion, the raw folder with what it held.
    EXPECT_EQ(outcome.lines.size(), 5u + 4u) << Joined(outcome.lines);
    const std::string text = Joined(outcome.lines);
    EXPECT_NE(text.find("retention deleted raw folder ROVA_MTT_Data_20260501_120001_000 in the save folder (3 files, "
                        "50.0 MB): older than 30 days"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("retention deleted ROVA_MTT_Result_20260520_120002_000.txt in the log folder: older than 30 days"),
              std::string::npos)
        << text;
}

// Above the storage limit the oldest runs go first, and no more of them than it takes.
TEST(Retention, AboveTheStorageLimitTheOldestRunsGoFirst) {
    const struct {
        uint64_t mostMB;
        std::vector<int> left;
    } cases[] = {
        {1000, {601, 602, 603, 604}},  // 4 x 110.0 MB (and a little): within
        {400, {602, 603, 604}},
        {300, {603, 604}},
        {120, {604}},
        {1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mostMB);
        FakeFiles files;
        for (int day = 1; day <= 4; ++day) files.Run(6, day, 10 * kMB, 100 * kMB);
        const RetentionOutcome outcome = CRetention::Apply(files, Limits(0, c.mostMB), Scope());
        EXPECT_EQ(RunsLeft(files), c.left) << Joined(outcome.lines);
        EXPECT_EQ(files.Left(kSave).size(), c.left.size());
        EXPECT_LE(outcome.keptBytes, c.mostMB * kMB) << "still above the limit";
    }
}

// Below the free floor the oldest runs with files on the short disk go until it is restored;
// when nothing is left to delete, the outcome says the save folder's disk is still short and the
// recording pauses.
TEST(Retention, BelowTheFreeFloorOldRunsGoUntilTheFloorIsRestored) {
    FakeFiles files;
    files.Run(6, 1, 10 * kMB);                // results only: nothing on the save folder's disk
    files.Run(6, 2, 10 * kMB, 300 * kMB);
    files.Run(6, 3, 10 * kMB, 300 * kMB);
    files.Run(6, 4, 10 * kMB, 300 * kMB);
    files.freeBytes[L'D'] = 1500 * kMB;
    RetentionOutcome outcome = CRetention::Apply(files, Limits(0, 0, 2000), Scope());
    EXPECT_EQ(RunsLeft(files), (std::vector<int>{601, 604})) << Joined(outcome.lines);
    EXPECT_TRUE(outcome.saveFreeKnown);
    EXPECT_EQ(outcome.saveFreeBytes, 1500 * kMB + 2 * (300 * kMB + 3000));
    EXPECT_FALSE(CRetention::RecordingPaused(false, outcome, Limits(0, 0, 2000)));
    EXPECT_NE(Joined(outcome.lines).find("less than 2000.0 MB free on the save folder's disk"), std::string::npos);

    // Something else fills the disk; the last old run goes and it is not enough.
    files.freeBytes[L'D'] = 100 * kMB;
    outcome = CRetention::Apply(files, Limits(0, 0, 2000), Scope());
    EXPECT_EQ(RunsLeft(files), (std::vector<int>{601})) << "the run of results alone frees nothing there";
    EXPECT_EQ(outcome.saveFreeBytes, 400 * kMB + 3000);
    EXPECT_TRUE(CRetention::RecordingPaused(false, outcome, Limits(0, 0, 2000)));
}

TEST(Retention, TheRecordingResumesOnlyAWayAboveTheFloor) {
    const struct {
        bool pausedNow;
        uint64_t freeMB;
        uint64_t floorMB;
        bool paused;
    } cases[] = {
        {false, 2048, 2048, false}, {false, 2047, 2048, true}, {true, 2048, 2048, true},
        {true, 2303, 2048, true},   {true, 2304, 2048, false}, {true, 0, 0, false},
        {false, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pausedNow << " " << c.freeMB << " " << c.floorMB);
        RetentionOutcome outcome;
        outcome.saveFreeKnown = true;
        outcome.saveFreeBytes = c.freeMB * kMB;
        EXPECT_EQ(CRetention::RecordingPaused(c.pausedNow, outcome, Limits(0, 0, c.floorMB)), c.paused);
    }
    RetentionOutcome unknown;  // the disk could not be asked: the recording finds out by itself
    EXPECT_FALSE(CRetention::RecordingPaused(true, unknown, Limits(0, 0, 2048)));
}

// The running run stays whatever the limits ask: by its start, by its stamped files (also when
// its marker could not be made), and by the paths the controller names (a played raw folder).
TEST(Retention, TheRunningRunAndWhatItUsesStay) {
    const int64_t runStart = At(6, 4);
    for (const bool markerMade : {true, false}) {
        SCOPED_TRACE(markerMade ? "with its marker" : "without its marker");
        FakeFiles files;
        for (int day = 1; day <= 4; ++day) files.Run(6, day, 10 * kMB, 100 * kMB);
        if (!markerMade) files.nodes.erase(kLog + L"\\ROVA_MTT_Run_" + Stamp(6, 4) + L".txt");
        files.freeBytes[L'D'] = 0;
        RetentionScope scope = Scope(runStart);
        const std::wstring played = kSave + L"\\ROVA_MTT_Data_" + Stamp(6, 2, 12, 0, 1);
        scope.keep = {played};
        const RetentionOutcome outcome = CRetention::Apply(files, Limits(1, 1, 100000), scope);
        EXPECT_TRUE(files.Has(played)) << "the played folder went";
        EXPECT_TRUE(files.Has(kLog + L"\\ROVA_MTT_Result_" + Stamp(6, 4, 12, 0, 2) + L".txt")) << Joined(outcome.lines);
        EXPECT_TRUE(files.Has(kSave + L"\\ROVA_MTT_Data_" + Stamp(6, 4, 12, 0, 1)));
        EXPECT_FALSE(files.Has(kLog + L"\\ROVA_MTT_Result_" + Stamp(6, 1, 12, 0, 2) + L".txt"));
        if (markerMade) {
            EXPECT_EQ(RunsLeft(files), (std::vector<int>{602, 604}));
            EXPECT_FALSE(files.Has(kLog + L"\\ROVA_MTT_Result_" + Stamp(6, 3, 12, 0, 2) + L".txt"));
        } else {
            // Its files then fall in the range of the run before, which stays with them.
            EXPECT_EQ(RunsLeft(files), (std::vector<int>{602, 603}));
        }
    }
}

// A run continued in new files (after midnight, at a size limit) is one run: its rolled files go
// with it, and the next run's files stay. Files from before markers were written form runs by
// their start.
TEST(Retention, RolledFilesGoWithTheRunTheyContinue) {
    FakeFiles files;
    // Unmarked: two runs of 1 May, one at noon and one an hour later.
    files.File(kLog + L"\\ROVA_MTT_Result_" + Stamp(5, 1, 12, 0, 2) + L".txt", 10 * kMB, At(5, 1, 12, 50));
    files.File(kLog + L"\\ROVA_MTT_Link_" + Stamp(5, 1, 12, 0, 2) + L".txt", 1000, At(5, 1, 12, 50));
    files.Folder(kSave + L"\\ROVA_MTT_Data_" + Stamp(5, 1, 12, 0, 1), At(5, 1, 12, 50));
    files.File(kLog + L"\\ROVA_MTT_Result_" + Stamp(5, 1, 13, 0, 2) + L".txt", 10 * kMB, At(5, 1, 13, 50));
    // Marked: a run of 2 June that went on for three days and another one after it.
    files.Run(6, 2, 10 * kMB, 100 * kMB, 20);
    const std::vector<std::wstring> rolled = {
        kLog + L"\\ROVA_MTT_Result_" + Stamp(6, 3, 0, 0, 0) + L".txt",
        kLog + L"\\ROVA_MTT_Zones_" + Stamp(6, 3, 0, 0, 0, 1) + L".csv",
        kLog + L"\\ROVA_MTT_Link_" + Stamp(6, 4, 0, 0, 0) + L".txt",
        kLog + L"\\ROVA_MTT_Result_" + Stamp(6, 4, 9, 12, 0) + L".txt",
        kLog + L"\\ROVA_MTT_Crash_" + Stamp(6, 5, 8, 0, 0) + L".dmp",
    };
    for (const std::wstring& path : rolled) files.File(path, 10 * kMB, At(6, 5, 8));
    files.Run(6, 5, 10 * kMB, 100 * kMB, 9);

    const uint64_t total = 20 * kMB + 1000 + 2 * (10 * kMB + 1500 + 200 + 100 * kMB + 3000) + 50 * kMB;
    // Room for the last run and a little: the 1 May runs go one by one, then 2 June whole.
    RetentionOutcome outcome = CRetention::Apply(files, Limits(0, total / kMB - 5), Scope());
    EXPECT_FALSE(files.Has(kLog + L"\\ROVA_MTT_Result_" + Stamp(5, 1, 12, 0, 2) + L".txt"));
    EXPECT_FALSE(files.Has(kSave + L"\\ROVA_MTT_Data_" + Stamp(5, 1, 12, 0, 1))) << "the noon run went in part";
    EXPECT_TRUE(files.Has(kLog + L"\\ROVA_MTT_Result_" + Stamp(5, 1, 13, 0, 2) + L".txt")) << Joined(outcome.lines);
    EXPECT_EQ(RunsLeft(files), (std::vector<int>{602, 605}));

    outcome = CRetention::Apply(files, Limits(0, 130), Scope());
    EXPECT_EQ(RunsLeft(files), (std::vector<int>{605})) << Joined(outcome.lines);
    for (const std::wstring& path : rolled) EXPECT_FALSE(files.Has(path)) << TempFolder::narrow(path);
    EXPECT_EQ(files.Left(kLog).size(), 4u) << "the last run is whole";
    EXPECT_EQ(files.Left(kSave).size(), 1u);
}

// Nothing but the console's own files goes: not the operator's files beside them, not a
// look-alike, not a raw folder that is a junction nor anything behind one, and a raw folder that
// holds something of the operator's keeps that and itself.
TEST(Retention, WhatTheConsoleDidNotWriteStays) {
    FakeFiles files;
    files.Run(1, 10, 10 * kMB, 100 * kMB);
    const std::wstring raw = kSave + L"\\ROVA_MTT_Data_" + Stamp(1, 10, 12, 0, 1);
    const std::vector<std::wstring> others = {
        kLog + L"\\notes.txt",
        kLog + L"\\ROVA_MTT_Result_" + Stamp(1, 10) + L".txt.bak",
        kLog + L"\\ROVA_MTT_Result_backup.txt",
        kSave + L"\\ROVA_MTT_Data_" + Stamp(1, 11),  // a file of that name
        raw + L"\\my notes.txt",
        kSave + L"\\holiday photos\\ROVA_MTT_Result_" + Stamp(1, 12) + L".txt",
        kSave + L"\\linked\\ROVA_Raw_" + Stamp(1, 12) + L".rvraw",
    };
    files.Folder(kSave + L"\\holiday photos", At(1, 1));
    // A junction named like a raw folder, pointing at the operator's folder.
    files.Folder(kSave + L"\\ROVA_MTT_Data_" + Stamp(1, 12), At(1, 12), true);
    files.File(kSave + L"\\ROVA_MTT_Data_" + Stamp(1, 12) + L"\\ROVA_Raw_" + Stamp(1, 12) + L".rvraw", kMB, At(1, 12));
    // A junction inside a raw folder.
    files.Folder(raw + L"\\linked", At(1, 10), true);
    files.Folder(kSave + L"\\linked", At(1, 1));
    for (const std::wstring& path : others) {
        if (!files.Has(path)) files.File(path, kMB, At(1, 1));
    }
    files.File(raw + L"\\linked\\ROVA_Raw_" + Stamp(1, 12) + L".rvraw", kMB, At(1, 12));

    const RetentionOutcome outcome = CRetention::Apply(files, Limits(1, 1), Scope());
    for (const std::wstring& path : others) EXPECT_TRUE(files.Has(path)) << TempFolder::narrow(path);
    EXPECT_TRUE(files.Has(kSave + L"\\ROVA_MTT_Data_" + Stamp(1, 12))) << "the junction went";
    EXPECT_TRUE(files.Has(kSave + L"\\ROVA_MTT_Data_" + Stamp(1, 12) + L"\\ROVA_Raw_" + Stamp(1, 12) + L".rvraw"));
    EXPECT_TRUE(files.Has(raw + L"\\linked"));
    EXPECT_TRUE(files.Has(raw + L"\\linked\\ROVA_Raw_" + Stamp(1, 12) + L".rvraw"));
    // The raw folder keeps the operator's note and the junction, and so itself; its raw files went.
    EXPECT_EQ(files.Left(raw), (std::set<std::wstring>{L"linked", L"my notes.txt"}));
    EXPECT_NE(Joined(outcome.lines).find("kept raw folder ROVA_MTT_Data_20260110_120001_000 in the save folder (deleted 3 "
                                         "files, 100.0 MB): it holds other files"),
              std::string::npos)
        << Joined(outcome.lines);
    // The marker stays while the run is not gone whole: it is still one run next time.
    EXPECT_EQ(RunsLeft(files), (std::vector<int>{110}));
    EXPECT_FALSE(files.Has(kLog + L"\\ROVA_MTT_Result_" + Stamp(1, 10, 12, 0, 2) + L".txt"));
}

// A file that cannot be deleted (open in an editor) is told and keeps its run's marker; a pass
// that is told to stop deletes nothing more.
TEST(Retention, FailuresAreToldAndAStoppedPassDeletesNoMore) {
    FakeFiles files;
    files.Run(1, 10, 10 * kMB);
    files.Run(1, 11, 10 * kMB);
    const std::wstring open = kLog + L"\\ROVA_MTT_Link_" + Stamp(1, 10, 12, 0, 2) + L".txt";
    files.inUse.insert(open);
    int asked = 0;
    const RetentionOutcome outcome = CRetention::Apply(files, Limits(30), Scope(), [&] { return ++asked <= 1; });
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(files.Has(open));
    EXPECT_EQ(RunsLeft(files), (std::vector<int>{110, 111}));
    EXPECT_EQ(files.Left(kLog).size(), 2u + 4u);
    EXPECT_NE(Joined(outcome.lines).find("retention could not delete ROVA_MTT_Link_20260110_120002_000.txt in the log "
                                         "folder (error 32)"),
              std::string::npos)
        << Joined(outcome.lines);
}

// One folder for the results and the recordings is looked at once, not counted twice.
TEST(Retention, ASaveFolderThatIsTheLogFolderIsCountedOnce) {
    FakeFiles files;
    files.Run(6, 1, 100 * kMB);
    files.Run(6, 2, 100 * kMB);
    RetentionScope scope = Scope();
    scope.saveFolder = kLog + L"\\";
    const RetentionOutcome outcome = CRetention::Apply(files, Limits(0, 250), scope);
    EXPECT_EQ(RunsLeft(files), (std::vector<int>{601, 602})) << Joined(outcome.lines);
    EXPECT_EQ(outcome.keptBytes, 2 * (100 * kMB + 1700));
}

// The disk's own file system: names outside the code page, times from the files themselves,
// only the old run deleted.
TEST(RetentionFiles, DeletesAnOldRunUnderAFolderNamedOutsideTheCodePage) {
    TempFolder dir;
    const std::wstring base = dir.file(L"\u6d4b\u8bd5 \u0141ukasz");
    const std::wstring log = base + L"\\Log", save = base + L"\\SaveData";
    for (const std::wstring& f : {base, log, save}) ASSERT_TRUE(::CreateDirectoryW(f.c_str(), nullptr));
    const auto make = [](const std::wstring& path, const char* text) {
        const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << TempFolder::narrow(path);
        DWORD written = 0;
        ::WriteFile(h, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
        // Written long ago, as a run of 2020 would be.
        SYSTEMTIME old{2020, 1, 3, 1, 12, 0, 0, 0};
        FILETIME ft{};
        ::SystemTimeToFileTime(&old, &ft);
        ::SetFileTime(h, nullptr, nullptr, &ft);
        ::CloseHandle(h);
    };
    make(log + L"\\ROVA_MTT_Result_20200101_120000_000.txt", "old results\r\n");
    make(log + L"\\ROVA_MTT_Link_20200101_120000_000.txt", "old events\r\n");
    make(log + L"\\\u8bb0\u5f55.txt", "the operator's own\r\n");
    const std::wstring raw = save + L"\\ROVA_MTT_Data_20200101_115959_000";
    ASSERT_TRUE(::CreateDirectoryW(raw.c_str(), nullptr));
    make(raw + L"\\FILE_Radar_Config.ini", "[Radar]\r\n");
    make(raw + L"\\ROVA_Raw_20200101_120000_000.rvraw", "frames");
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const std::wstring current = L"ROVA_MTT_Result_" + [&] {
        wchar_t text[32];
        swprintf(text, 32, L"%04d%02d%02d_%02d%02d%02d_000", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                 now.wSecond);
        return std::wstring(text);
    }() + L".txt";
    const HANDLE running = ::CreateFileW((log + L"\\" + current).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                         CREATE_NEW, 0, nullptr);
    ASSERT_NE(running, INVALID_HANDLE_VALUE);
    ::CloseHandle(running);

    CRetentionFiles files;
    RetentionScope scope;
    scope.logFolder = log;
    scope.saveFolder = save;
    scope.nowMs = CRetentionFiles::NowLocalMs();
    const RetentionOutcome outcome = CRetention::Apply(files, Limits(30), scope);
    EXPECT_EQ(outcome.lines.size(), 3u) << Joined(outcome.lines);
    EXPECT_EQ(::GetFileAttributesW(raw.c_str()), INVALID_FILE_ATTRIBUTES);
    std::vector<std::wstring> left = dir.list(L"\u6d4b\u8bd5 \u0141ukasz\\Log");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::wstring>{current, L"\u8bb0\u5f55.txt"}));
    EXPECT_TRUE(outcome.saveFreeKnown);
    EXPECT_GT(outcome.saveFreeBytes, 0u);
}

}  // namespace
