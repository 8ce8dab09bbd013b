#pragma once
// The command line of ROVA_Zones:
//   ROVA_Zones <recording folder> [--config appConfig.xml] [--csv events.csv] [--summary]
//              [--heatmap picture.png] [--size WxH]
#include <functional>
#include <string>
#include <vector>

// Exit codes that scripts can test.
enum ZoneExitCode : int {
    kZoneExitOk = 0,
    kZoneExitUsage = 1,           // bad command line
    kZoneExitRecording = 2,       // recording folder missing, without its configuration or data
    kZoneExitSettings = 3,        // settings file missing or damaged
    kZoneExitOutput = 4,          // an output file could not be written
    kZoneExitDamagedFrames = 5,   // the replay finished, but damaged frames of the recording were skipped
    kZoneExitMemory = 6,          // not enough memory for the replay
};

struct ZoneCommandLine {
    std::wstring recording;
    std::wstring config;  // empty: appConfig.xml beside the program
    std::wstring csv;     // empty: Log\ROVA_MTT_Zones_<date-time>.csv beside the program
    std::wstring heatmap;
    bool summary = false;
    bool help = false;
    int width = 0, height = 0;  // 0: the fan size the areas were stored with

    // The largest fan a replay lays out, either side in pixels: four times a full-HD screen's fan,
    // and a few hundred MiB of pixel buffers.
    static constexpr int kMaxFanSide = 4096;
    static constexpr int kMinFanWidth = 16, kMinFanHeight = 8;
    static bool FanSizeAllowed(int width, int height) noexcept;

    // Runs the replay; memory that runs out anywhere in it says so through report and gives
    // kZoneExitMemory instead of ending the program with an unhandled exception.
    static int Guarded(const std::function<int()>& run, const std::function<void(const char*)>& report);

    // False with error set when the arguments cannot be understood.
    bool Parse(const std::vector<std::wstring>& args, std::wstring& error);
    static const char* Usage();
};
