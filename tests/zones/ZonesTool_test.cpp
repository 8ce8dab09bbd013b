// ROVA_Zones.exe as scripts use it: its command line, its messages and its exit codes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "radar/ZoneMarks.h"
#include "tools/zones/ZoneCommandLine.h"
#include "zones/RecordingWriter.h"

namespace {

std::wstring BinFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct ToolRun {
    DWORD code = 0xFFFFFFFF;
    std::string out, err;
};

// Runs exe with the arguments, its output in files of the temp folder.
ToolRun RunTool(const std::wstring& exe, const std::wstring& arguments, const TempFolder& folder) {
    ToolRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::wstring outPath = folder.file(L"stdout.txt"), errPath = folder.file(L"stderr.txt");
    HANDLE out = ::CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = ::CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    if (::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.path().c_str(), &si, &pi)) {
        ::WaitForSingleObject(pi.hProcess, 120000);
        ::GetExitCodeProcess(pi.hProcess, &run.code);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    ::CloseHandle(out);
    ::CloseHandle(err);
    run.out = ReadAll(outPath);
    run.err = ReadAll(errPath);
    return run;
}

const char* kBand = "<?xml version=\"1.0\"?>\n<AppConfig ObjectWnd_SmoothCount=\"1\">"
                    "<MonitorArea BoundSize=\"400,200\" Points=\"50,150; 50,250; 100,250; 100,150; \"/></AppConfig>\n";

std::vector<RadarFrame> Walk() {
    std::vector<RadarFrame> frames;
    for (int i = 0; i < 24; ++i)
        frames.push_back(recording::TrackFrame(static_cast<uint32_t>(i), i * 66667ull, {recording::Point(5, 2.0 + i, 0.0)}));
    return frames;
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A private copy of the program and its libraries: the default settings file and Log folder are
// the ones beside it.
class ZonesToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* name : {L"ROVA_Zones.exe", L"ROVA_Common.dll", L"ROVA_DataProcess.dll", L"ROVA_DlgResource.dll"}) {
            ASSERT_TRUE(::CopyFileW((BinFolder() + L"\\" + name).c_str(), folder_.file(name).c_str(), FALSE));
        }
        exe_ = folder_.file(L"ROVA_Zones.exe");
        ASSERT_TRUE(recording::Write(folder_.fileA("rec"), Walk()));
        WriteText(folder_.fileA("appConfig.xml"), kBand);
    }
    ToolRun Run(const std::wstring& arguments) { return RunTool(exe_, arguments, folder_); }

    TempFolder folder_;
    std::wstring exe_;
};

TEST_F(ZonesToolTest, WritesTheEventsOfTheRecordingBesideTheProgramByDefault) {
    std::string settings = kBand;
    settings.replace(settings.find("<AppConfig "), 11, "<AppConfig SaveDataPath=\"" + folder_.fileA("console_saves") + "\" ");
    WriteText(folder_.fileA("appConfig.xml"), settings);
    const ToolRun run = Run(L"rec --summary");
    ASSERT_EQ(run.code, static_cast<DWORD>(kZoneExitOk)) << run.err;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(folder_.file(L"Log\\ROVA_MTT_Zones_*.csv").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE) << run.out;
    ::FindClose(find);
    const std::string csv = ReadAll(folder_.file(std::wstring(L"Log\\") + data.cFileName));
    // The recording starts at 12:00:00 UTC; the clock column is local time, so only its end is fixed.
    EXPECT_EQ(csv.rfind("event,area,id,time_ms,clock,distance_m,angle_deg,dwell_ms\r\nentry,1,5,400,2026-01-01 ", 0), 0u) << csv;
    EXPECT_NE(csv.find(":00:00.400,2.00,0.00,\r\nexit,1,5,1000,2026-01-01 "), std::string::npos) << csv;
    EXPECT_NE(csv.find(":00:01.000,4.25,0.00,600\r\n"), std::string::npos) << csv;
    EXPECT_NE(run.out.find("2 events in 1 monitor areas"), std::string::npos) << run.out;
    // The console's save folder named in the settings is not the replay's to make.
    EXPECT_EQ(::GetFileAttributesW(folder_.file(L"console_saves").c_str()), INVALID_FILE_ATTRIBUTES);
    // The summary: a heading, then area 1 with one entry, 0.6 s in all and at the longest, one target at most.
    const size_t row = run.out.find("\n", run.out.find("most")) + 1;
    int area = 0, entries = 0, most = 0;
    double total = 0, longest = 0;
    ASSERT_EQ(sscanf(run.out.c_str() + row, "%d %d %lf %lf %d", &area, &entries, &total, &longest, &most), 5) << run.out;
    EXPECT_EQ(area, 1);
    EXPECT_EQ(entries, 1);
    EXPECT_DOUBLE_EQ(total, 0.6);
    EXPECT_DOUBLE_EQ(longest, 0.6);
    EXPECT_EQ(most, 1);
}

struct ErrorCase {
    const char* name;
    std::wstring arguments;
    std::string prepare;  // what to break before the run
    ZoneExitCode code;
    std::string message;  // part of the error output
};

class ZonesToolErrorTest : public ZonesToolTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ZonesToolErrorTest, SaysWhatIsWrongWithAnExitCodeScriptsCanTest) {
    const ErrorCase& c = GetParam();
    if (c.prepare == "no ini") ::DeleteFileA((folder_.fileA("rec") + "\\FILE_Radar_Config.ini").c_str());
    if (c.prepare == "bad ini") WriteText(folder_.fileA("rec") + "\\FILE_Radar_Config.ini", std::string("\x01\x02garbage[", 10));
    if (c.prepare == "no data") ::DeleteFileA((folder_.fileA("rec") + "\\ROVA_Raw_20260101_120000_000.rvraw").c_str());
    if (c.prepare == "no config") ::DeleteFileA(folder_.fileA("appConfig.xml").c_str());
    if (c.prepare == "bad config") WriteText(folder_.fileA("appConfig.xml"), "<AppConfig ObjectWnd_SmoothCount=\"1\"><Monit");
    if (c.prepare == "huge stored size") {
        std::string settings = kBand;
        settings.replace(settings.find("400,200"), 7, "100000,100000");
        WriteText(folder_.fileA("appConfig.xml"), settings);
    }
    if (c.prepare == "damaged file") WriteText(folder_.fileA("rec") + "\\ROVA_Raw_20260101_120000_000.rvraw", "RVRAWDAX garbage");
    if (c.prepare == "damaged frame") {
        // A byte of the fifth frame's payload: its CRC no longer checks out.
        const std::string path = folder_.fileA("rec") + "\\ROVA_Raw_20260101_120000_000.rvraw";
        std::string bytes = ReadAll(std::wstring(path.begin(), path.end()));
        bytes[32 + 4 * (28 + 48) + 28 + 10] ^= 0x55;
        WriteText(path, bytes);
    }
    const std::string settingsBefore = ReadAll(folder_.file(L"appConfig.xml"));
    const ToolRun run = Run(c.arguments);
    EXPECT_EQ(run.code, static_cast<DWORD>(c.code)) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    // Whatever went wrong, the settings file is as it was.
    EXPECT_EQ(ReadAll(folder_.file(L"appConfig.xml")), settingsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ZonesToolErrorTest,
    ::testing::Values(
        ErrorCase{"NoArguments", L"", "", kZoneExitUsage, "no recording folder given"},
        ErrorCase{"UnknownOption", L"rec --fast", "", kZoneExitUsage, "unknown option --fast"},
        ErrorCase{"OptionWithoutValue", L"rec --csv", "", kZoneExitUsage, "--csv needs a value"},
        ErrorCase{"BadSize", L"rec --size 800by400", "", kZoneExitUsage, "--size wants WxH"},
        // Fans beyond the bound would cost gigabytes of pixels: refused before any is allocated.
        ErrorCase{"SizeBeyondTheBound", L"rec --csv events.csv --size 20000x20000", "", kZoneExitUsage,
                  "at most 4096x4096"},
        ErrorCase{"NarrowSizeBeyondTheBound", L"rec --csv events.csv --size 4097x8", "", kZoneExitUsage,
                  "at most 4096x4096"},
        ErrorCase{"StoredSizeBeyondTheBound", L"rec --csv events.csv", "huge stored size", kZoneExitUsage,
                  "stored with a fan of 100000x100000 pixels"},
        ErrorCase{"RecordingMissing", L"nowhere", "", kZoneExitRecording, "recording folder not found: nowhere"},
        ErrorCase{"NoRecordingConfiguration", L"rec", "no ini", kZoneExitRecording, "no FILE_Radar_Config.ini"},
        ErrorCase{"DamagedRecordingConfiguration", L"rec", "bad ini", kZoneExitRecording, "FILE_Radar_Config.ini is damaged"},
        ErrorCase{"NoDataFiles", L"rec", "no data", kZoneExitRecording, "holds no data files"},
        ErrorCase{"DataFileDamaged", L"rec", "damaged file", kZoneExitRecording, "holds no readable frame"},
        ErrorCase{"SettingsMissing", L"rec --config other.xml", "", kZoneExitSettings, "settings file not found: other.xml"},
        ErrorCase{"DefaultSettingsMissing", L"rec", "no config", kZoneExitSettings, "settings file not found"},
        ErrorCase{"SettingsDamaged", L"rec", "bad config", kZoneExitSettings, "settings file is damaged ("},
        ErrorCase{"EventFileNotWritable", L"rec --csv nofolder\\events.csv", "", kZoneExitOutput,
                  "cannot write the event file: nofolder\\events.csv"},
        ErrorCase{"HeatmapNotWritable", L"rec --csv events.csv --heatmap nofolder\\heat.png", "", kZoneExitOutput,
                  "cannot write the heatmap: nofolder\\heat.png"},
        ErrorCase{"DamagedFrame", L"rec --csv events.csv", "damaged frame", kZoneExitDamagedFrames,
                  "1 damaged frames were skipped"}),
    [](const ::testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.name); });

// A folder with a second recording, made half an hour later, whose stream starts again: its
// events are dated by its own file, and time goes on rather than back.
TEST_F(ZonesToolTest, EachRecordedFileDatesItsOwnEvents) {
    ASSERT_TRUE(recording::AddFile(folder_.fileA("rec"), "ROVA_Raw_20260101_123000_000.rvraw",
                                   recording::kRecordingStart + 30 * 60 * 10000000LL, Walk()));
    const ToolRun run = Run(L"rec --csv events.csv");
    ASSERT_EQ(run.code, static_cast<DWORD>(kZoneExitOk)) << run.err;
    const std::string csv = ReadAll(folder_.file(L"events.csv"));
    EXPECT_NE(csv.find(":00:00.400,2.00,0.00,\r\nexit,1,5,1000,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\nentry,1,5,1800400,2026-01-01 "), std::string::npos) << csv;
    EXPECT_NE(csv.find(":30:00.400,2.00,0.00,\r\nexit,1,5,1801000,2026-01-01 "), std::string::npos) << csv;
    EXPECT_NE(csv.find(":30:01.000,4.25,0.00,600\r\n"), std::string::npos) << csv;
    EXPECT_NE(run.out.find("4 events in 1 monitor areas"), std::string::npos) << run.out;
}

TEST_F(ZonesToolTest, HelpListsTheOptionsAndExitCodes) {
    const ToolRun run = Run(L"--help");
    EXPECT_EQ(run.code, static_cast<DWORD>(kZoneExitOk));
    for (const char* part : {"--config", "--csv", "--summary", "--heatmap", "--size", "Exit codes: 0 done"}) {
        EXPECT_NE(run.out.find(part), std::string::npos) << part;
    }
}

// Memory that runs out anywhere in a replay ends it with its own exit code and a message, never
// with the abort of an unhandled exception.
TEST(ZonesToolGuard, RunningOutOfMemoryHasItsOwnExitCode) {
    const struct {
        const char* name;
        std::function<int()> run;
        int code;
    } cases[] = {
        {"done", [] { return static_cast<int>(kZoneExitOk); }, kZoneExitOk},
        {"output", [] { return static_cast<int>(kZoneExitOutput); }, kZoneExitOutput},
        {"no memory", []() -> int { throw std::bad_alloc(); }, kZoneExitMemory},
        {"no memory for a vector", [] { return static_cast<int>(std::vector<char>(SIZE_MAX / 2).size()); }, kZoneExitMemory},
    };
    for (const auto& c : cases) {
        std::string message;
        EXPECT_EQ(ZoneCommandLine::Guarded(c.run, [&](const char* text) { message = text; }), c.code) << c.name;
        if (c.code == kZoneExitMemory) {
            EXPECT_NE(message.find("not enough memory"), std::string::npos) << c.name << ": " << message;
        } else {
            EXPECT_EQ(message, "") << c.name;
        }
    }
    EXPECT_NE(std::string(ZoneCommandLine::Usage()).find("6 not enough memory"), std::string::npos);
    EXPECT_NE(std::string(ZoneCommandLine::Usage()).find("4096x4096"), std::string::npos);
}

TEST_F(ZonesToolTest, SizeAppliesTheAreasToAnotherFan) {
    // At 800 x 400 the stored band is scaled twice as large and covers the same gates.
    const ToolRun run = Run(L"rec --csv events.csv --size 800x400 --heatmap heat.png");
    ASSERT_EQ(run.code, static_cast<DWORD>(kZoneExitOk)) << run.err;
    const std::string csv = ReadAll(folder_.file(L"events.csv"));
    EXPECT_NE(csv.find("entry,1,5,400,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("exit,1,5,1000,"), std::string::npos) << csv;
    EXPECT_EQ(ReadAll(folder_.file(L"heat.png")).substr(1, 3), "PNG");
}

}  // namespace

namespace {

// The playback timeline's marks: the events the replay writes for the recording, read back from
// a pass run in the background; a failed pass gives none and removes what it left.
TEST_F(ZonesToolTest, TimelineMarksAreTheEventsTheReplayWrites) {
    const ToolRun reference = Run(L"rec --csv reference.csv");
    ASSERT_EQ(reference.code, static_cast<DWORD>(kZoneExitOk)) << reference.err;
    std::vector<TimelineMark> want;
    {
        std::ifstream in(folder_.file(L"reference.csv").c_str(), std::ios::binary);
        ASSERT_EQ(CZoneMarks::ParseEvents(in, &want), 2u);
    }
    CZoneMarks marks;
    ASSERT_TRUE(marks.Start(exe_, folder_.file(L"rec"), folder_.file(L"appConfig.xml"), folder_.file(L"marks.csv")));
    std::vector<TimelineMark> got;
    bool ok = false;
    for (int i = 0; i < 1200 && !marks.TakeResult(&got, &ok); ++i) ::Sleep(50);
    ASSERT_TRUE(ok);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].ms, want[i].ms);
        EXPECT_EQ(got[i].area, want[i].area);
        EXPECT_EQ(got[i].id, want[i].id);
        EXPECT_EQ(got[i].entry, want[i].entry);
    }
    EXPECT_EQ(got[0].ms, 400u);  // target 5 enters the band at gate 8...
    EXPECT_TRUE(got[0].entry);
    EXPECT_EQ(got[1].ms, 1000u);  // ...and leaves it at gate 17
    EXPECT_FALSE(got[1].entry);
    EXPECT_EQ(::GetFileAttributesW(folder_.file(L"marks.csv").c_str()), INVALID_FILE_ATTRIBUTES);

    // A folder that is no recording: the pass fails, no marks.
    ASSERT_TRUE(marks.Start(exe_, folder_.file(L"nothing here"), folder_.file(L"appConfig.xml"), folder_.file(L"m2.csv")));
    got.push_back(TimelineMark{});
    for (int i = 0; i < 1200 && !marks.TakeResult(&got, &ok); ++i) ::Sleep(50);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(got.empty());
    EXPECT_FALSE(marks.Start(folder_.file(L"no such program.exe"), folder_.file(L"rec"), folder_.file(L"appConfig.xml"),
                             folder_.file(L"m3.csv")));
    EXPECT_FALSE(marks.TakeResult(&got, &ok));
}

TEST(ZoneMarksTest, OnlyWholeEventRowsBecomeMarks) {
    std::istringstream in(
        "event,area,id,time_ms,clock,distance_m,angle_deg,dwell_ms\r\n"
        "entry,3,17,1500,2026-01-01 12:00:01.500,2.00,0.00,\r\n"
        "exit,3,17,2500,,2.00,0.00,1000\r\n"
        "exit,32,17,2600,,2.00,0.00,1000\r\n"     // no such area
        "entry,0,17,2600,,2.00,0.00,\r\n"         // the detect area is no monitor area
        "entry,2,x,2700,,2.00,0.00,\r\n"          // no id
        "entry,2,5,-1,,2.00,0.00,\r\n"            // no time
        "leave,2,5,2800,,2.00,0.00,\r\n"          // no such event
        "entry,2,9007199254740993,3000\n"        // a 64-bit id, a file cut after the time
        "entry,2,5\r\n");
    std::vector<TimelineMark> marks;
    ASSERT_EQ(CZoneMarks::ParseEvents(in, &marks), 3u);
    EXPECT_EQ(marks[0].ms, 1500u);
    EXPECT_EQ(marks[0].area, 3);
    EXPECT_EQ(marks[0].id, 17);
    EXPECT_TRUE(marks[0].entry);
    EXPECT_FALSE(marks[1].entry);
    EXPECT_EQ(marks[2].id, 9007199254740993LL);
    EXPECT_EQ(marks[2].ms, 3000u);
}

}  // namespace
