#include "areas/LineFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "areas/ZoneEventLog.h"

namespace {

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(TempFolder::narrow(path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// A disk the test controls and a clock it sets: the tick clock, the local wall clock, and whether
// writes go through, stop half-way with a full disk, or are refused outright.
struct FakeDisk {
    enum Mode { Takes, StopsHalfWay, Refuses };
    uint32_t now = 1000;
    SYSTEMTIME local{2026, 12, 4, 10, 23, 59, 58, 0};
    Mode mode = Takes;
    int attempts = 0;

    CLineFile::Hooks Hooks() {
        CLineFile::Hooks hooks;
        hooks.clock = [this] { return now; };
        hooks.commit = [](HANDLE) {};
        hooks.timerMs = 0;
        hooks.write = [this](HANDLE file, const char* data, DWORD size, DWORD* error) {
            ++attempts;
            DWORD written = 0;
            if (mode != Refuses) ::WriteFile(file, data, mode == StopsHalfWay ? size / 2 : size, &written, nullptr);
            if (mode != Takes) *error = ERROR_DISK_FULL;
            return written;
        };
        hooks.localTime = [this] { return local; };
        return hooks;
    }
    // The next millisecond of the wall clock (within one second, as the cases need).
    const SYSTEMTIME& Tick() {
        ++local.wMilliseconds;
        return local;
    }
    void SetLocal(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms) {
        local = SYSTEMTIME{year, month, 0, day, hour, minute, second, ms};
    }
};

// The files of a folder in the order they were made (their names carry the date-time, then _2...).
std::vector<std::wstring> FilesOf(const TempFolder& dir, const std::wstring& sub) {
    std::vector<std::wstring> names = dir.list(sub);
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        const std::wstring sa = a.substr(0, a.find_last_of(L'.')), sb = b.substr(0, b.find_last_of(L'.'));
        return sa.size() != sb.size() ? sa.size() < sb.size() : sa < sb;
    });
    for (std::wstring& name : names) name = dir.file(sub + L"\\" + name);
    return names;
}

const CLineFile::Kind kPlain{"test file", L"T_", L".txt", "", 0};
const CLineFile::Kind kWithHeader{"test file", L"T_", L".csv", "h", 0};

// The size limit: a file reaches it at most (exactly is allowed), the line that would cross goes
// whole into the next file, a line longer than the limit gets a file of its own, and the header
// counts; whether the lines come one by one or in one batch.
TEST(LineFileTest, TheSizeLimitSplitsBetweenWholeLinesOnly) {
    const std::string a = "aaaaaaaa\r\n";  // 10 bytes
    const std::string b = "bbbbbbbbbbbb\r\n";  // 14 bytes
    const std::string c = "c\r\n";  // 3 bytes
    const struct {
        const char* what;
        const CLineFile::Kind* kind;
        uint64_t limit;
        std::vector<std::string> lines;
        std::vector<std::vector<std::string>> files;
    } cases[] = {
        {"lines that fill the file exactly", &kPlain, 20, {a, a, a, a, a}, {{"aaaaaaaa", "aaaaaaaa"}, {"aaaaaaaa", "aaaaaaaa"}, {"aaaaaaaa"}}},
        {"a line that would cross", &kPlain, 25, {a, a, a}, {{"aaaaaaaa", "aaaaaaaa"}, {"aaaaaaaa"}}},
        {"a line longer than the limit", &kPlain, 12, {c, b, c, c}, {{"c"}, {"bbbbbbbbbbbb"}, {"c", "c"}}},
        {"the header counts", &kWithHeader, 23, {a, a, a}, {{"h", "aaaaaaaa", "aaaaaaaa"}, {"h", "aaaaaaaa"}}},
        {"no limit", &kPlain, 0, {a, b, c}, {{"aaaaaaaa", "bbbbbbbbbbbb", "c"}}},
    };
    for (const auto& k : cases) {
        for (const bool batch : {false, true}) {
            SCOPED_TRACE(std::string(k.what) + (batch ? ", in one batch" : ", one by one"));
            TempFolder dir;
            FakeDisk disk;
            CLineFile file(*k.kind, disk.Hooks());
            file.SetSizeLimit(k.limit);
            ASSERT_TRUE(file.Open(dir.file(L"Log")));
            if (batch) {
                std::string all;
                for (const std::string& line : k.lines) all += line;
                file.Write(all, disk.Tick());
            } else {
                for (const std::string& line : k.lines) file.Write(line, disk.Tick());
            }
            file.Close();
            const std::vector<std::wstring> files = FilesOf(dir, L"Log");
            ASSERT_EQ(files.size(), k.files.size());
            for (size_t i = 0; i < files.size(); ++i) {
                const std::string text = ReadAll(files[i]);
                EXPECT_EQ(Lines(text), k.files[i]) << "file " << i;
                const bool single = k.files[i].size() - (*k.kind->header ? 1 : 0) == 1;
                if (k.limit != 0 && !single) {
                    EXPECT_LE(text.size(), k.limit) << "file " << i;
                }
            }
            EXPECT_FALSE(file.Health().failing);
        }
    }
}

// Local midnight: the first line of the new day opens a new file, named after its own date and
// time, with the header again; the lines written before stay in the old file.
TEST(LineFileTest, TheFirstLineOfANewDayGoesIntoANewFile) {
    TempFolder dir;
    FakeDisk disk;
    disk.SetLocal(2026, 12, 10, 23, 59, 59, 500);
    CLineFile file(kWithHeader, disk.Hooks());
    ASSERT_TRUE(file.Open(dir.file(L"Log")));
    const std::wstring first = file.Path();
    file.Write("x1\r\n", disk.local);
    disk.local.wMilliseconds = 999;
    file.Write("x2\r\n", disk.local);
    disk.SetLocal(2026, 12, 11, 0, 0, 0, 0);
    file.Write("y1\r\n", disk.local);
    disk.local.wMilliseconds = 40;
    file.Write("y2\r\n", disk.local);
    const std::wstring second = file.Path();
    file.Close();
    EXPECT_EQ(first, dir.file(L"Log\\T_20261210_235959_500.csv"));
    EXPECT_EQ(second, dir.file(L"Log\\T_20261211_000000_000.csv"));
    EXPECT_EQ(FilesOf(dir, L"Log").size(), 2u);
    EXPECT_EQ(Lines(ReadAll(first)), (std::vector<std::string>{"h", "x1", "x2"}));
    EXPECT_EQ(Lines(ReadAll(second)), (std::vector<std::string>{"h", "y1", "y2"}));
}

// Midnight passes while the disk refuses: the lines of both days wait, then each day's go into its
// own file once the disk takes them again; the new day's file is named when it is made.
TEST(LineFileTest, LinesThatWaitOverMidnightStillGoIntoTheirDaysFiles) {
    TempFolder dir;
    FakeDisk disk;
    disk.SetLocal(2026, 12, 10, 23, 59, 59, 0);
    CLineFile file(kWithHeader, disk.Hooks());
    ASSERT_TRUE(file.Open(dir.file(L"Log")));
    const std::wstring first = file.Path();
    file.Write("x1\r\n", disk.local);
    disk.mode = FakeDisk::StopsHalfWay;
    disk.local.wMilliseconds = 900;
    file.Write("x2\r\n", disk.local);
    EXPECT_TRUE(file.Health().failing);
    disk.SetLocal(2026, 12, 11, 0, 0, 0, 100);
    file.Write("y1\r\n", disk.local);
    EXPECT_EQ(ReadAll(first), "h\r\nx1\r\n") << "a part of a line was left, or a line went while refused";
    disk.mode = FakeDisk::Takes;
    disk.now += CLineFile::kRetryMs;
    disk.SetLocal(2026, 12, 11, 0, 0, 2, 100);
    file.Flush();
    EXPECT_FALSE(file.Health().failing);
    const std::wstring second = file.Path();
    file.Close();
    EXPECT_EQ(second, dir.file(L"Log\\T_20261211_000002_100.csv"));
    EXPECT_EQ(Lines(ReadAll(first)), (std::vector<std::string>{"h", "x1", "x2"}));
    EXPECT_EQ(Lines(ReadAll(second)), (std::vector<std::string>{"h", "y1"}));
    EXPECT_EQ(file.Health().lostLines, 0u);
}

// A file opened just before midnight that has no line yet takes the new day's lines: no file is
// left behind with nothing but its header.
TEST(LineFileTest, ADayWithoutLinesLeavesNoEmptyFile) {
    TempFolder dir;
    FakeDisk disk;
    disk.SetLocal(2026, 12, 10, 23, 59, 59, 990);
    CLineFile file(kWithHeader, disk.Hooks());
    ASSERT_TRUE(file.Open(dir.file(L"Log")));
    disk.SetLocal(2026, 12, 11, 0, 0, 1, 0);
    file.Write("y1\r\n", disk.local);
    file.Close();
    const std::vector<std::wstring> files = FilesOf(dir, L"Log");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(Lines(ReadAll(files[0])), (std::vector<std::string>{"h", "y1"}));
}

// The zone event file on a disk that refuses: only whole lines stay in the file, the run's events
// wait and follow in order once it takes them; the status hears of it.
TEST(LineFileTest, TheZoneFileKeepsWholeLinesOnRefusedWritesAndResumes) {
    for (const FakeDisk::Mode refusal : {FakeDisk::StopsHalfWay, FakeDisk::Refuses}) {
        SCOPED_TRACE(refusal == FakeDisk::Refuses ? "refused outright" : "stopped half-way");
        TempFolder dir;
        FakeDisk disk;
        ZoneEventLog log(disk.Hooks());
        ASSERT_TRUE(log.OpenInFolder(dir.file(L"Log").c_str()));
        const std::wstring path = log.Path();
        int id = 0;
        const auto events = [&](int count) {
            std::vector<ZoneEvent> batch;
            for (int i = 0; i < count; ++i, ++id) batch.push_back(ZoneEvent{ZoneEvent::Entry, 1, id, 100u * id, 2.5, 1.0, 0});
            log.Write(batch);
            log.Flush();
        };
        events(3);
        disk.mode = refusal;
        events(4);
        const LineFileHealth failing = log.Health();
        EXPECT_TRUE(failing.failing);
        EXPECT_EQ(failing.error, static_cast<uint32_t>(ERROR_DISK_FULL));
        const std::string refused = ReadAll(path);
        EXPECT_EQ(Lines(refused).size(), 4u) << refused;
        EXPECT_EQ(refused.substr(refused.size() - 2), "\r\n") << "a part of a line was left";
        const int tries = disk.attempts;
        events(2);  // before the retry interval: no new attempt
        EXPECT_EQ(disk.attempts, tries);
        disk.mode = FakeDisk::Takes;
        disk.now += CLineFile::kRetryMs;
        log.Flush();
        EXPECT_FALSE(log.Health().failing) << "writing did not resume";
        log.Close();
        const std::vector<std::string> lines = Lines(ReadAll(path));
        ASSERT_EQ(lines.size(), static_cast<size_t>(id) + 1);
        EXPECT_EQ(lines[0], ZoneEventLog::kHeader);
        for (int i = 0; i < id; ++i) EXPECT_EQ(lines[i + 1].rfind("entry,1," + std::to_string(i) + ",", 0), 0u) << lines[i + 1];
        EXPECT_EQ(log.Health().lostLines, 0u);
    }
}

// A Log folder that cannot take the zone file at the start: the events wait and land, after the
// header, in a file made there once it can.
TEST(LineFileTest, AZoneFileThatCannotBeMadeAtTheStartIsMadeLaterWithItsHeader) {
    TempFolder dir;
    const std::wstring folder = dir.file(L"Log");
    ::CloseHandle(::CreateFileW(folder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    FakeDisk disk;
    ZoneEventLog log(disk.Hooks());
    EXPECT_FALSE(log.OpenInFolder(folder.c_str()));
    EXPECT_TRUE(log.Health().failing);
    log.Write({ZoneEvent{ZoneEvent::Exit, 2, 9, 700, 1.0, 2.0, 300}});
    ::DeleteFileW(folder.c_str());
    disk.now += CLineFile::kRetryMs;
    log.Flush();
    EXPECT_FALSE(log.Health().failing);
    const std::wstring path = log.Path();
    log.Close();
    EXPECT_EQ(Lines(ReadAll(path)), (std::vector<std::string>{ZoneEventLog::kHeader, "exit,2,9,700,,1.00,2.00,300"}));
}

// The zone file at the size limit: every file starts with the header, no event is lost or doubled.
TEST(LineFileTest, EveryZoneFileOfARunStartsWithTheHeader) {
    TempFolder dir;
    FakeDisk disk;
    ZoneEventLog log(disk.Hooks());
    log.SetSizeLimit(200);
    ASSERT_TRUE(log.OpenInFolder(dir.file(L"Log").c_str()));
    const int count = 20;
    for (int i = 0; i < count; ++i) {
        disk.Tick();
        log.Write({ZoneEvent{ZoneEvent::Entry, 1, i, 10u * i, 2.5, 1.0, 0}});
    }
    log.Close();
    const std::vector<std::wstring> files = FilesOf(dir, L"Log");
    ASSERT_GT(files.size(), 1u);
    int next = 0;
    for (const std::wstring& path : files) {
        const std::string text = ReadAll(path);
        EXPECT_LE(text.size(), 200u);
        const std::vector<std::string> lines = Lines(text);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], ZoneEventLog::kHeader);
        for (size_t i = 1; i < lines.size(); ++i, ++next)
            EXPECT_EQ(lines[i].rfind("entry,1," + std::to_string(next) + ",", 0), 0u) << lines[i];
    }
    EXPECT_EQ(next, count);
}

}  // namespace
