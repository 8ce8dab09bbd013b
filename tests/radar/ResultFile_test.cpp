#include "radar/ResultFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "TempFolder.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ResultFileTest, LineFormat) {
    SYSTEMTIME t{};
    t.wHour = 10;
    t.wMinute = 5;
    t.wSecond = 7;
    t.wMilliseconds = 42;
    const struct {
        int64_t id;
        double distance, angle, velocity;
        const char* expected;
    } cases[] = {
        {3, 1.234, -5.0, 0.25, "[10:05:07.042], 3, 1.23, -5.00, 0.25\r\n"},
        {7, 0.0, 0.0, 0.0, "[10:05:07.042], 7, 0.00, 0.00, 0.00\r\n"},
        {0x100000005LL, 2.0, 12.345, -1.5, "[10:05:07.042], 4294967301, 2.00, 12.35, -1.50\r\n"},
        {-2, 100.0, -90.0, 3.0, "[10:05:07.042], -2, 100.00, -90.00, 3.00\r\n"},
        {11, 123456789.126, -0.004, 99999.9949, "[10:05:07.042], 11, 123456789.13, -0.00, 99999.99\r\n"},
        {INT64_MIN, 65535.999, 179.996, -0.5, "[10:05:07.042], -9223372036854775808, 65536.00, 180.00, -0.50\r\n"},
    };
    for (const auto& c : cases) {
        char line[160];
        const int n = CResultFile::FormatLine(line, sizeof line, t, c.id, c.distance, c.angle, c.velocity);
        EXPECT_EQ(std::string(line, n), c.expected);
    }
}

// The fields of a line "[time], id, distance, angle, velocity\r\n", or nothing when it does not end
// with its line end.
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    if (line.size() < 2 || line.compare(line.size() - 2, 2, "\r\n") != 0) return fields;
    const std::string body = line.substr(0, line.size() - 2);
    for (size_t at = 0;;) {
        const size_t comma = body.find(", ", at);
        fields.push_back(body.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
        if (comma == std::string::npos) break;
        at = comma + 2;
    }
    return fields;
}

// Values no sensor measures still make a whole line with every field, in the buffer the file
// itself uses and in the file: a recording that checks out may hold them.
TEST(ResultFileTest, ValuesOfAnySizeKeepEveryFieldAndTheLineEnd) {
    SYSTEMTIME t{};
    t.wHour = 23;
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        double distance, angle, velocity;
    } cases[] = {
        {"huge", 1e200, 1e300, 1.7976931348623157e308},
        {"negative huge", -1e200, -1e300, -1.7976931348623157e308},
        {"infinite", inf, -inf, inf},
        {"not a number", nan, -nan, nan},
        {"mixed", 1e200, nan, -5.0},
    };
    TempFolder dir;
    CResultFile file(CResultFile::Hooks{nullptr, [](HANDLE) {}, 0});
    ASSERT_TRUE(file.Open(dir.path().c_str()));
    for (const auto& c : cases) {
        char line[160];
        const int n = CResultFile::FormatLine(line, sizeof line, t, INT64_MIN, c.distance, c.angle, c.velocity);
        const std::vector<std::string> fields = Fields(std::string(line, static_cast<size_t>(std::max(n, 0))));
        ASSERT_EQ(fields.size(), 5u) << c.name << ": " << std::string(line, static_cast<size_t>(std::max(n, 0)));
        EXPECT_EQ(fields[0], "[23:00:00.000]") << c.name;
        EXPECT_EQ(fields[1], "-9223372036854775808") << c.name;
        const double values[] = {c.distance, c.angle, c.velocity};
        for (int k = 0; k < 3; ++k) {
            // Each field reads back as the value: relative error of the printed digits at most.
            const double read = strtod(fields[2 + k].c_str(), nullptr);
            if (std::isnan(values[k])) {
                EXPECT_TRUE(std::isnan(read)) << c.name << " field " << k << ": " << fields[2 + k];
            } else if (std::isinf(values[k]) || std::fabs(values[k]) < 1e6) {
                EXPECT_EQ(read, values[k]) << c.name << " field " << k << ": " << fields[2 + k];
            } else {
                EXPECT_NEAR(read / values[k], 1.0, 1e-6) << c.name << " field " << k << ": " << fields[2 + k];
            }
        }
        file.WriteLine(7, c.distance, c.angle, c.velocity);
    }
    file.Close();
    std::istringstream text(ReadAll(TempFolder::narrow(file.Path())));
    int count = 0;
    for (std::string line; std::getline(text, line); ++count) {
        EXPECT_EQ(Fields(line + "\n").size(), 5u) << line;
    }
    EXPECT_EQ(count, 5);
}

TEST(ResultFileTest, OpenMakesTheFolderAndANewDatedFileEachTime) {
    TempFolder dir;
    const std::wstring folder = dir.file(L"Log\\nested");
    CResultFile file;
    ASSERT_TRUE(file.Open(folder.c_str()));
    const std::string first = TempFolder::narrow(file.Path());
    file.WriteLine(3, 1.234, -5.0, 0.25);
    ASSERT_TRUE(file.Open(folder.c_str()));  // closes the first
    const std::string second = TempFolder::narrow(file.Path());
    file.Close();
    EXPECT_NE(first, second);
    EXPECT_TRUE(std::regex_match(first, std::regex(R"(.*\\ROVA_MTT_Result_[^\\]+\.txt)"))) << first;
    EXPECT_TRUE(std::regex_match(ReadAll(first), std::regex(R"(\[\d\d:\d\d:\d\d\.\d{3}\], 3, 1\.23, -5\.00, 0\.25\r\n)")));
    EXPECT_EQ(ReadAll(second), "");
    file.WriteLine(1, 1, 1, 1);  // closed: dropped silently
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(CResultFile().Open(nullptr));
}

// The clock set back brings a run's name back: the older file is never truncated or appended to,
// the new run gets the next free name; a run that wrote nothing can go without a trace.
TEST(ResultFileTest, AnOlderFileOfTheSameNameIsLeftAlone) {
    TempFolder dir;
    const std::wstring folder = dir.file(L"Log");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring stem = L"ROVA_MTT_Result_20261211_031500_000";
    const std::string older = TempFolder::narrow(folder + L"\\" + stem + L".txt");
    std::ofstream(older, std::ios::binary) << "[03:15:00.000], 1, 1.00, 2.00, 3.00\r\n";
    CResultFile file(CResultFile::Hooks{{}, {}, 0, [&] { return stem; }});
    for (const wchar_t* expected : {L"_2.txt", L"_3.txt"}) {
        ASSERT_TRUE(file.Open(folder.c_str()));
        EXPECT_EQ(file.Path(), folder + L"\\" + stem + expected);
        file.WriteLine(4, 1.0, 2.0, 3.0);
        file.Close();
    }
    EXPECT_EQ(ReadAll(older), "[03:15:00.000], 1, 1.00, 2.00, 3.00\r\n");
    EXPECT_NE(ReadAll(TempFolder::narrow(folder + L"\\" + stem + L"_2.txt")).find(", 4, 1.00, 2.00, 3.00\r\n"),
              std::string::npos);
    // Discarding keeps a file with lines and removes an empty one.
    ASSERT_TRUE(file.Open(folder.c_str()));
    const std::wstring empty = file.Path();
    file.CloseDiscardingEmpty();
    EXPECT_EQ(::GetFileAttributesW(empty.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(file.Open(folder.c_str()));
    const std::wstring kept = file.Path();
    file.WriteLine(5, 1.0, 2.0, 3.0);
    file.CloseDiscardingEmpty();
    EXPECT_NE(::GetFileAttributesW(kept.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ResultFileTest, ClosingWhileAThreadWritesLeavesOnlyWholeLines) {
    TempFolder dir;
    CResultFile file;
    ASSERT_TRUE(file.Open(dir.path().c_str()));
    const std::string path = TempFolder::narrow(file.Path());
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int64_t i = 0; !stop; ++i) {
            file.WriteLine(i, 1.5, -2.25, 0.5);
            if (i % 64 == 0) std::this_thread::yield();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    file.Close();
    stop = true;
    writer.join();
    const std::string text = ReadAll(path);
    ASSERT_FALSE(text.empty());
    std::istringstream lines(text);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        const std::string tail = ", 1.50, -2.25, 0.50\r";
        ASSERT_TRUE(line.size() > tail.size() + 16 && line[0] == '[' && line.compare(13, 3, "], ") == 0 &&
                    line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
            << line;
    }
    EXPECT_EQ(text.back(), '\n');
    EXPECT_GT(count, 0);
}

TEST(ResultFileTest, LinesReachTheDiskWithinASecondWhileTheyArrive) {
    TempFolder dir;
    CResultFile file;
    ASSERT_TRUE(file.Open(dir.path().c_str()));
    file.WriteLine(1, 1.0, 0.0, 0.0);
    // Keep lines coming for a little over the flush interval, without closing the file.
    const DWORD until = ::GetTickCount() + CResultFile::kCommitIntervalMs + 300;
    while (::GetTickCount() < until) {
        file.WriteLine(2, 1.0, 0.0, 0.0);
        ::Sleep(20);
    }
    // Read through a second handle: what the C library still buffers would be missing here.
    const std::string text = ReadAll(TempFolder::narrow(file.Path()));
    EXPECT_EQ(text.rfind("[", 0), 0u);
    EXPECT_NE(text.find(", 1, 1.00, 0.00, 0.00\r\n"), std::string::npos);
    file.Close();
}

// Lines read through a second handle: what the C library still buffers is missing there.
int LinesOnFile(const std::string& path) {
    const std::string text = ReadAll(path);
    int count = 0;
    for (char c : text) count += c == '\n';
    return count;
}

// A run on an injected clock, with Flush called as the timer would: lines come every 50 ms for two
// seconds, then nothing. Every line is with the operating system kHandOverMs plus a timer period
// after it was written, whether more lines follow or not; the file is forced to the disk at most
// once a second and, after the last line, within about a second.
TEST(ResultFileTest, LinesReachTheSystemByTimeAndTheDiskAtMostOnceASecond) {
    TempFolder dir;
    std::atomic<uint32_t> now{10000};
    std::vector<uint32_t> commits;
    CResultFile file(CResultFile::Hooks{[&] { return now.load(); },
                                        [&](HANDLE f) {
                                            commits.push_back(now.load());
                                            ::FlushFileBuffers(f);
                                        },
                                        0});
    ASSERT_TRUE(file.Open(dir.path().c_str()));
    const std::string path = TempFolder::narrow(file.Path());
    std::vector<uint32_t> written;
    const uint32_t start = now;
    for (uint32_t t = start; t <= start + 5000; t += CResultFile::kTimerMs / 5) {
        now = t;
        if (t < start + 2000 && (t - start) % 50 == 0) {
            file.WriteLine(static_cast<int64_t>(written.size()), 1.0, 2.0, 3.0);
            written.push_back(t);
        }
        if ((t - start) % CResultFile::kTimerMs == 0) file.Flush();
        int due = 0;
        for (uint32_t w : written) due += t - w >= CResultFile::kHandOverMs + CResultFile::kTimerMs;
        ASSERT_GE(LinesOnFile(path), due) << "at " << t - start << " ms";
    }
    ASSERT_FALSE(commits.empty());
    for (size_t i = 1; i < commits.size(); ++i) {
        EXPECT_GE(commits[i] - commits[i - 1], CResultFile::kCommitIntervalMs) << "commit " << i;
    }
    EXPECT_LE(commits.back() - written.back(),
              CResultFile::kHandOverMs + CResultFile::kCommitIntervalMs + CResultFile::kTimerMs);
    EXPECT_EQ(LinesOnFile(path), static_cast<int>(written.size()));
    // Nothing new: closing hands nothing over and needs no forcing.
    const size_t before = commits.size();
    file.Close();
    EXPECT_EQ(commits.size(), before);
}

// Close forces what is buffered to the disk, however young it is.
TEST(ResultFileTest, CloseForcesTheLastLinesToTheDisk) {
    TempFolder dir;
    int commits = 0;
    CResultFile file(CResultFile::Hooks{[] { return 5000u; }, [&](HANDLE) { ++commits; }, 0});
    ASSERT_TRUE(file.Open(dir.path().c_str()));
    file.WriteLine(4, 1.0, 2.0, 3.0);
    file.Close();
    EXPECT_EQ(commits, 1);
    EXPECT_EQ(LinesOnFile(TempFolder::narrow(file.Path())), 1);
}

// With the file's own timer and the real clock: one line and then silence still reaches the
// operating system, without a next line, a flush call or a close.
TEST(ResultFileTest, ALoneLineReachesTheSystemWithoutAnotherWrite) {
    TempFolder dir;
    CResultFile file;
    ASSERT_TRUE(file.Open(dir.path().c_str()));
    file.WriteLine(1, 1.0, 0.0, 0.0);
    // Generous against a slow machine; without the timer the line never arrives.
    const DWORD until = ::GetTickCount() + 3000;
    while (LinesOnFile(TempFolder::narrow(file.Path())) == 0 && ::GetTickCount() < until) ::Sleep(50);
    EXPECT_EQ(LinesOnFile(TempFolder::narrow(file.Path())), 1);
    file.Close();
}

TEST(ResultFileTest, OpensInAFolderNamedOutsideTheCodePage) {
    TempFolder dir;
    const std::wstring folder = dir.file(L"\u6d4b\u8bd5 \u0141ukasz\\Log");
    CResultFile file;
    ASSERT_TRUE(file.Open(folder.c_str()));
    file.WriteLine(3, 1.234, -5.0, 0.25);
    const std::wstring path = file.Path();
    file.Close();
    EXPECT_EQ(path.rfind(folder + L"\\ROVA_MTT_Result_", 0), 0u);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_GT(data.nFileSizeLow, 0u);
}

}  // namespace

namespace {

// A disk that refuses lines: what it took of the last line is cut off again, the lines wait and go
// once it has room, in order; past the bound the oldest whole lines go and are counted.
TEST(ResultFileTest, AFullDiskKeepsWholeLinesAndWritesThemOnceItHasRoom) {
    TempFolder dir;
    uint32_t now = 1000;
    bool full = false;
    int attempts = 0;
    CResultFile::Hooks hooks{[&] { return now; }, [](HANDLE) {}, 0, nullptr,
                             [&](HANDLE file, const char* data, DWORD size, DWORD* error) {
                                 ++attempts;
                                 DWORD written = 0;
                                 ::WriteFile(file, data, full ? size / 2 : size, &written, nullptr);
                                 if (full) *error = ERROR_DISK_FULL;
                                 return written;
                             }};
    CResultFile file(hooks);
    ASSERT_TRUE(file.Open(dir.path().c_str()));
    const std::string path = TempFolder::narrow(file.Path());
    int id = 0;
    const auto write = [&](int lines) {
        for (int i = 0; i < lines; ++i) file.WriteLine(id++, 1.0, 2.0, 3.0);
        now += CResultFile::kHandOverMs;
        file.Flush();
    };
    write(5);
    full = true;
    write(10);
    EXPECT_TRUE(file.Health().failing);
    EXPECT_EQ(file.Health().error, static_cast<uint32_t>(ERROR_DISK_FULL));
    const std::string afterRefusal = ReadAll(path);
    EXPECT_EQ(std::count(afterRefusal.begin(), afterRefusal.end(), '\n'), 5);
    EXPECT_EQ(afterRefusal.substr(afterRefusal.size() - 2), "\r\n") << "a part of a line was left";
    const int tries = attempts;
    write(3);  // before the retry interval: no new attempt
    EXPECT_EQ(attempts, tries);
    full = false;
    now += CResultFile::kRetryMs;
    file.Flush();
    EXPECT_FALSE(file.Health().failing) << "writing did not resume";
    file.Close();
    std::istringstream text(ReadAll(path));
    int expected = 0;
    for (std::string line; std::getline(text, line); ++expected) {
        EXPECT_EQ(line.find("], " + std::to_string(expected) + ", 1.00, 2.00, 3.00\r"), 13u) << line;
    }
    EXPECT_EQ(expected, id) << "lines lost";
    EXPECT_EQ(file.Health().lostLines, 0u);
}

TEST(ResultFileTest, WhatWaitsForAFullDiskStaysInBounds) {
    TempFolder dir;
    uint32_t now = 1000;
    bool full = true;
    CResultFile::Hooks hooks{[&] { return now; }, [](HANDLE) {}, 0, nullptr,
                             [&](HANDLE file, const char* data, DWORD size, DWORD* error) {
                                 DWORD written = 0;
                                 if (!full) ::WriteFile(file, data, size, &written, nullptr);
                                 if (full) *error = ERROR_DISK_FULL;
                                 return written;
                             }};
    CResultFile file(hooks);
    ASSERT_TRUE(file.Open(dir.path().c_str()));
    const int lines = static_cast<int>(CResultFile::kMostHeldBytes / 30);
    for (int i = 0; i < lines; ++i) {
        file.WriteLine(i, 1.0, 2.0, 3.0);
        if (i % 10000 == 0) {
            now += CResultFile::kRetryMs;
            file.Flush();
        }
    }
    EXPECT_GT(file.Health().lostLines, 0u);
    full = false;
    now += CResultFile::kRetryMs;
    file.Flush();
    const uint64_t lost = file.Health().lostLines;
    const std::string path = TempFolder::narrow(file.Path());
    file.Close();
    const std::string text = ReadAll(path);
    EXPECT_LE(text.size(), CResultFile::kMostHeldBytes);
    EXPECT_EQ(static_cast<uint64_t>(std::count(text.begin(), text.end(), '\n')) + lost, static_cast<uint64_t>(lines));
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_NE(text.find("], " + std::to_string(lines - 1) + ", 1.00, 2.00, 3.00\r\n"), std::string::npos)
        << "the newest lines are kept";
    EXPECT_EQ(text.find("], 0, 1.00, 2.00, 3.00\r\n"), std::string::npos) << "the oldest lines go first";
}

// A folder that cannot take a file at the start of the run: the lines wait and land in a file
// there once it can.
TEST(ResultFileTest, AFileThatCannotBeMadeAtTheStartIsMadeLater) {
    TempFolder dir;
    const std::wstring folder = dir.file(L"Log");
    ::CloseHandle(::CreateFileW(folder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    uint32_t now = 1000;
    CResultFile file(CResultFile::Hooks{[&] { return now; }, [](HANDLE) {}, 0});
    EXPECT_FALSE(file.Open(folder.c_str()));
    EXPECT_TRUE(file.IsOpen()) << "the run's results are given up";
    EXPECT_TRUE(file.Health().failing);
    file.WriteLine(1, 1.0, 2.0, 3.0);
    ::DeleteFileW(folder.c_str());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    now += CResultFile::kRetryMs;
    file.Flush();
    EXPECT_FALSE(file.Health().failing);
    const std::string path = TempFolder::narrow(file.Path());
    file.Close();
    EXPECT_NE(ReadAll(path).find("], 1, 1.00, 2.00, 3.00\r\n"), std::string::npos) << path;
}

// A run's results over midnight and past the size limit: each line's time stamp and the file it
// lands in come from the same clock, the new files are named after their own date and time, and
// the ids of all files together run on without a gap or a double.
TEST(ResultFileTest, ResultsGoOnInNewFilesAtMidnightAndAtTheSizeLimit) {
    TempFolder dir;
    uint32_t now = 5000;
    SYSTEMTIME local{2026, 12, 4, 10, 23, 59, 59, 0};
    CResultFile::Hooks hooks{[&] { return now; }, [](HANDLE) {}, 0};
    hooks.localTime = [&] { return local; };
    CResultFile file(hooks);
    char line[CResultFile::kMaxLineBytes];
    const int lineBytes = CResultFile::FormatLine(line, sizeof line, local, 0, 1.0, 2.0, 3.0);
    file.SetSizeLimit(4u * lineBytes);  // four lines fill a file exactly
    ASSERT_TRUE(file.Open(dir.path().c_str()));
    int id = 0;
    const auto write = [&] {
        file.WriteLine(id++, 1.0, 2.0, 3.0);
        now += CResultFile::kHandOverMs;
        file.Flush();
    };
    for (WORD ms = 0; ms < 600; ms += 100) {
        local.wMilliseconds = ms;
        write();
    }
    local = SYSTEMTIME{2026, 12, 5, 11, 0, 0, 0, 0};
    write();
    local.wMilliseconds = 1;
    write();
    const std::wstring last = file.Path();
    file.Close();
    std::vector<std::wstring> names = dir.list(L".");
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], L"ROVA_MTT_Result_20261210_235959_000.txt");
    EXPECT_EQ(names[1], L"ROVA_MTT_Result_20261210_235959_400.txt") << "the fifth line starts the second file";
    EXPECT_EQ(names[2], L"ROVA_MTT_Result_20261211_000000_000.txt");
    EXPECT_EQ(last, dir.file(names[2]));
    const int perFile[] = {4, 2, 2};
    int next = 0;
    for (size_t f = 0; f < names.size(); ++f) {
        const std::string text = ReadAll(TempFolder::narrow(dir.file(names[f])));
        EXPECT_LE(text.size(), 4u * lineBytes);
        std::istringstream lines(text);
        int count = 0;
        for (std::string l; std::getline(lines, l); ++count, ++next) {
            EXPECT_EQ(l.rfind(f < 2 ? "[23:59:59." : "[00:00:00.", 0), 0u) << l;
            EXPECT_EQ(l.find("], " + std::to_string(next) + ", 1.00, 2.00, 3.00\r"), 13u) << l;
        }
        EXPECT_EQ(count, perFile[f]) << "file " << f;
    }
    EXPECT_EQ(next, id) << "lines lost";
}

}  // namespace
