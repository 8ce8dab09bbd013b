#pragma once
// The command line of ROVA_Zones:
//   ROVA_Zones <recording folder> [--config appConfig.xml] [--csv events.csv] [--summary]
//              [--heatmap picture.png] [--size WxH]
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
};

struct ZoneCommandLine {
    std::wstring recording;
    std::wstring config;  // empty: appConfig.xml beside the program
    std::wstring csv;     // empty: Log\ROVA_MTT_Zones_<date-time>.csv beside the program
    std::wstring heatmap;
    bool summary = false;
    bool help = false;
    int width = 0, height = 0;  // 0: the fan size the areas were stored with

    // False with error set when the arguments cannot be understood.
    bool Parse(const std::vector<std::wstring>& args, std::wstring& error);
    static const char* Usage();
};
