#pragma once
// The attributes of the "AppConfig" element: the operator's settings read once at start and the
// two values written back on exit.
#include <windows.h>

#include "framework/AnsiText.h"
#include "settings/XMLParser.h"

// Each number read from the file is clamped into the range beside its default, wide enough for
// every sensible view and narrow enough that no value can ask for unbounded memory or time (the
// marker discs and trails grow with the scales, the kept points with the display time). The view
// narrows some of them further when it applies them.
struct RootSettings {
    int saveData = 0;
    wchar_t saveDataPath[MAX_PATH] = {};
    int objectCountType = 1;
    int topViewMode = 1;
    int drawLocus = 1;
    int angleStart = -150;         // -360 to 360 degrees
    int angleStop = -30;           // -360 to 360 degrees
    int angleStep = 10;            // -360 to 360 degrees
    int sectorCount = 20;          // 1 to 1000 rings
    double gateMin = 0.0;          // -100000 to 100000 gates
    double gateMax = 0.0;          // -100000 to 100000 gates
    double radiusScale = 1.0;      // 0 to 100
    double locusRadiusScale = 0.5; // 0 to 100
    int displayTime = 2000;        // 0 to 600000 ms
    int smoothCount = 3;           // 1 to 1000
    int algorithmAreaEnable = 0;
    // Result, zone and link files of a run go on in a new file past this size (LogFileLimitKB).
    int logFileLimitKB = kLogFileLimitKBDefault;  // kLogFileLimitKBMin to kLogFileLimitKBMax
    static constexpr int kLogFileLimitKBDefault = 64 * 1024;
    static constexpr int kLogFileLimitKBMin = 4;
    static constexpr int kLogFileLimitKBMax = 4 * 1024 * 1024;
    // What is kept of old runs in Log and the save folder (radar/Retention.h); 0: no limit. The
    // defaults suit a 64 GB system disk that Windows shares: about 25 GB go to Windows and its
    // updates, 20 GB for the console's runs leaves room for the rest, a month covers any look
    // back an operator asks for, and 2 GB free keep Windows, its updates and the result files
    // working when something else fills the disk; raw recording pauses below that floor.
    int keepDays = 30;             // 0 to 3650 days
    int mostStorageMB = 20480;     // 0 to 16777216 MiB (16 TiB)
    int leastFreeMB = 2048;        // 0 to 1048576 MiB (1 TiB)

    // Defaults of the table, with the visible gate range from the radar record.
    void Reset(double gateMinDefault, double gateMaxDefault) noexcept;
    // Reads the attributes of appConfig in their fixed order (missing element: defaults, single target).
    // Creates the folder named by SaveDataPath, as the operator expects it to exist; the path is
    // left empty when that folder cannot be made.
    void Load(const XMLNode& appConfig);
    // Writes SaveData and SaveDataPath (from the working save path) into appConfig.
    static void Save(XMLNode appConfig, int saveDataFlag, const wchar_t* workingSavePath);
};

// The buffer forms of the ANSI conversion pair live in framework/AnsiText.h; some callers name
// them without the namespace.
using rova::AnsiToWide;
using rova::WideToAnsi;
