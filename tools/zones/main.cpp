// ROVA_Zones: replays a recording through the radar library at full speed and writes the zone
// events the console would have written live, with a summary and a heatmap on request.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "settings/RootSettings.h"
#include "settings/XMLParser.h"
#include "areas/ZoneEventLog.h"
#include "contracts/ROVA_Common.h"
#include "contracts/ROVA_DataProcess.h"
#include "framework/AnsiText.h"
#include "framework/GdiplusRaii.h"
#include "tools/zones/ZoneCommandLine.h"
#include "tools/zones/ZoneHeatmap.h"
#include "tools/zones/ZonePlayback.h"
#include "tools/zones/ZoneReplay.h"

namespace {

constexpr int kDefaultFanWidth = 800, kDefaultFanHeight = 400;

std::string Utf8(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(0, n)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

int Fail(int code, const std::wstring& text) {
    fprintf(stderr, "ROVA_Zones: %s\n", Utf8(text).c_str());
    return code;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : folder.substr(0, slash);
}

bool IsFile(const std::wstring& path) {
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> RawFiles(const std::wstring& folder) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*.rvraw").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + L"\\" + data.cFileName);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return files;
}

// The settings store takes what it can of a damaged document; a replay must not: its areas would
// silently be fewer than the operator drew.
bool CheckSettingsFile(const std::wstring& path, std::wstring& damage) {
    std::ifstream in(path.c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
    if (parsed) return true;
    const std::string what = parsed.description();
    damage = std::wstring(what.begin(), what.end()) + L" at byte " + std::to_wstring(parsed.offset);
    return false;
}

std::string Seconds(uint64_t ms) {
    char text[32];
    snprintf(text, sizeof text, "%.1f", ms / 1000.0);
    return text;
}

void PrintSummary(const ZoneReplay& replay) {
    printf("%-6s %8s %12s %12s %8s\n", "area", "entries", "total_s", "longest_s", "most");
    for (const ZoneAreaSummary& s : replay.Summary()) {
        printf("%-6d %8d %12s %12s %8d\n", s.area, s.entries, Seconds(s.totalDwellMs).c_str(),
               Seconds(s.longestDwellMs).c_str(), s.mostAtOnce);
    }
}

int Replay(int argc, wchar_t** argv) {
    ZoneCommandLine options;
    std::wstring error;
    if (!options.Parse(std::vector<std::wstring>(argv + 1, argv + argc), error)) {
        Fail(kZoneExitUsage, error);
        fputs(ZoneCommandLine::Usage(), stderr);
        return kZoneExitUsage;
    }
    if (options.help) {
        fputs(ZoneCommandLine::Usage(), stdout);
        return kZoneExitOk;
    }
    const std::wstring program = ProgramFolder();
    // The console traces every delivered object at level 2; over a whole recording at full speed
    // those lines would cost more than the replay itself.
    DbgSetLevel(1);

    // The settings file first: a wrong one must not cost a replay.
    const std::wstring configPath = options.config.empty() ? program + L"\\appConfig.xml" : options.config;
    if (!IsFile(configPath)) return Fail(kZoneExitSettings, L"settings file not found: " + configPath);
    std::wstring damage;
    if (!CheckSettingsFile(configPath, damage)) return Fail(kZoneExitSettings, L"settings file is damaged (" + damage + L"): " + configPath);
    XMLParser config;
    config.LoadFromFile(configPath.c_str());
    if (config.AppConfig().IsNull())
        return Fail(kZoneExitSettings, L"settings file is damaged or not a settings file (no AppConfig element): " + configPath);
    // Reading the settings makes the console's save folder; a replay has no business there.
    config.AppConfig().Native().remove_attribute("SaveDataPath");

    // The recording: its folder, its configuration and at least one data file.
    const std::wstring& folder = options.recording;
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(kZoneExitRecording, L"recording folder not found: " + folder);
    if (!IsFile(folder + L"\\FILE_Radar_Config.ini"))
        return Fail(kZoneExitRecording, L"not a recording (no FILE_Radar_Config.ini): " + folder);
    // The library reads through ANSI names: the short form where the folder's name has none.
    const std::optional<std::string> folderA = rova::AnsiPath(folder.c_str());
    const std::optional<std::string> iniA = rova::AnsiPath((folder + L"\\FILE_Radar_Config.ini").c_str());
    if (!folderA || !iniA) return Fail(kZoneExitRecording, L"recording folder path cannot be used: " + folder);
    if (!ROVA_Interface_RadarCtrl_LoadConfigFromFile(iniA->c_str()))
        return Fail(kZoneExitRecording, L"the recording's FILE_Radar_Config.ini is damaged: " + folder);
    const std::vector<std::wstring> files = RawFiles(folder);
    if (files.empty()) return Fail(kZoneExitRecording, L"the recording holds no data files (*.rvraw): " + folder);

    int fanWidth = options.width, fanHeight = options.height;
    if (fanWidth == 0 && ZoneReplay::StoredFanSize(config, &fanWidth, &fanHeight) &&
        !ZoneCommandLine::FanSizeAllowed(fanWidth, fanHeight)) {
        Fail(kZoneExitUsage, L"the settings file's areas were stored with a fan of " + std::to_wstring(fanWidth) + L"x" +
                                 std::to_wstring(fanHeight) +
                                 L" pixels, beyond what a replay lays out (at least 16x8, at most 4096x4096); give --size WxH");
        return kZoneExitUsage;
    }
    if (fanWidth == 0) {
        fanWidth = kDefaultFanWidth;
        fanHeight = kDefaultFanHeight;
    }
    ZoneReplay replay;
    replay.Configure(config, gRadarParameter, fanWidth, fanHeight);
    if (replay.MonitorAreaCount() == 0) fputs("ROVA_Zones: the settings file has no monitor area; no events to find\n", stderr);

    ZoneEventLog log;
    if (!options.csv.empty()) {
        if (!log.OpenFile(options.csv.c_str()))
            return Fail(kZoneExitOutput, L"cannot write the event file: " + options.csv);
    } else {
        wchar_t logFolder[MAX_PATH] = {};
        CombinePathNameW(logFolder, program.c_str(), L"Log");
        if (!log.OpenInFolder(logFolder)) return Fail(kZoneExitOutput, L"cannot write an event file in the Log folder beside the program");
    }
    uint64_t eventCount = 0;
    replay.SetEventSink([&](const std::vector<ZoneEvent>& events) {
        // Each recorded file dates its own events.
        log.SetStreamStart(replay.ClockStart());
        log.Write(events);
        eventCount += events.size();
    });

    const ZonePlaybackResult played = PlayRecording(folderA->c_str(), replay);
    log.Close();
    // Events the disk refused to the end are a broken output, whatever else went well.
    const LineFileHealth written = log.Health();
    if (written.failing || written.lostLines > 0)
        return Fail(kZoneExitOutput, L"the event file could not be written whole (" + std::to_wstring(written.lostLines) +
                                         L" lines lost, error " + std::to_wstring(written.error) + L"): " + log.Path());
    if (!played.played) {
        wchar_t text[1024] = {};
        AnsiToWide(played.error.c_str(), text, 1024);
        return Fail(kZoneExitRecording, std::wstring(L"the recording cannot be played: ") + text);
    }
    if (played.framesRead == 0)
        return Fail(kZoneExitRecording, L"the recording holds no readable frame (its data files are damaged): " + folder);

    printf("%llu events in %d monitor areas from %llu frames with targets (%s s of recording, replayed in %s s), written to %s\n",
           static_cast<unsigned long long>(eventCount), replay.MonitorAreaCount(),
           static_cast<unsigned long long>(replay.Deliveries()), Seconds(replay.LastMs() - replay.FirstMs()).c_str(),
           Seconds(static_cast<uint64_t>(played.seconds * 1000)).c_str(), rova::WideToAnsi(log.Path().c_str()).c_str());
    if (options.summary) PrintSummary(replay);

    int code = kZoneExitOk;
    if (!options.heatmap.empty()) {
        rova::GdiplusSession gdiplus;
        const std::vector<uint32_t> picture = ZoneHeatmap::Render(replay.Scene(), replay.Density());
        const SectorGeometry& g = replay.Scene().Geometry();
        if (!gdiplus.ok() || !ZoneHeatmap::SavePng(picture, g.width, g.height, options.heatmap))
            code = Fail(kZoneExitOutput, L"cannot write the heatmap: " + options.heatmap);
    }
    if (code == kZoneExitOk && played.damagedFrames > 0) {
        code = Fail(kZoneExitDamagedFrames, L"the recording is partly damaged: " + std::to_wstring(played.damagedFrames) +
                                                L" damaged frames were skipped");
    }
    return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    return ZoneCommandLine::Guarded([&] { return Replay(argc, argv); },
                                    [](const char* text) { fprintf(stderr, "ROVA_Zones: %s\n", text); });
}
