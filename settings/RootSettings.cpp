#include "settings/RootSettings.h"

#include <cstring>
#include <cwchar>
#include <optional>
#include <string>

#include "contracts/ROVA_Common.h"
#include "framework/AnsiText.h"

namespace {
// Absent and empty attributes keep the default; unparsable text keeps it too.
void ReadValue(const XMLNode& node, const char* name, void* target, int type) {
    const char* text = node.GetAttributeText(name);
    if (text && *text) DigtalStringToValue(text, -1, target, type);
}

// The ranges are documented beside the defaults in RootSettings.h.
template <typename T>
void Clamp(T& value, T low, T high) {
    value = value < low ? low : (value > high ? high : value);
}
}  // namespace

void RootSettings::Reset(double gateMinDefault, double gateMaxDefault) noexcept {
    *this = RootSettings{};
    gateMin = gateMinDefault;
    gateMax = gateMaxDefault;
}

void RootSettings::Load(const XMLNode& appConfig) {
    if (appConfig.IsNull()) {
        RecursiveCreateDirectoryW(saveDataPath);
        objectCountType = 1;
        return;
    }
    ReadValue(appConfig, "SaveData", &saveData, kDigitalTypeFlag);
    if (const char* path = appConfig.GetAttributeText("SaveDataPath")) {
        if (!rova::AnsiToWide(path, saveDataPath, MAX_PATH)) saveDataPath[0] = L'\0';
    }
    // A folder that cannot be made (a gone drive, a file of that name) leaves the path empty: the
    // console then saves to its default folder.
    if (saveDataPath[0]) {
        RecursiveCreateDirectoryW(saveDataPath);
        if (!IsDirW(saveDataPath)) saveDataPath[0] = L'\0';
    }
    int countType = 1;
    ReadValue(appConfig, "ObjectCountType", &countType, kDigitalTypeInt32);
    if (countType == 1 || countType == 3) objectCountType = countType;
    ReadValue(appConfig, "ObjectWnd_TopViewMode", &topViewMode, kDigitalTypeFlag);
    ReadValue(appConfig, "ObjectWnd_DrawLocus", &drawLocus, kDigitalTypeFlag);
    ReadValue(appConfig, "ObjectWnd_AngleStart", &angleStart, kDigitalTypeInt32);
    ReadValue(appConfig, "ObjectWnd_AngleStop", &angleStop, kDigitalTypeInt32);
    ReadValue(appConfig, "ObjectWnd_AngleStep", &angleStep, kDigitalTypeInt32);
    ReadValue(appConfig, "ObjectWnd_SectorCount", &sectorCount, kDigitalTypeInt32);
    ReadValue(appConfig, "ObjectWnd_GateMin", &gateMin, kDigitalTypeDouble);
    ReadValue(appConfig, "ObjectWnd_GateMax", &gateMax, kDigitalTypeDouble);
    ReadValue(appConfig, "ObjectWnd_RadiusScale", &radiusScale, kDigitalTypeDouble);
    ReadValue(appConfig, "ObjectWnd_LocusRadiusScale", &locusRadiusScale, kDigitalTypeDouble);
    ReadValue(appConfig, "ObjectWnd_DisplayTime", &displayTime, kDigitalTypeInt32);
    ReadValue(appConfig, "ObjectWnd_SmoothCount", &smoothCount, kDigitalTypeInt32);
    ReadValue(appConfig, "AlgorithmAreaEnable", &algorithmAreaEnable, kDigitalTypeFlag);
    ReadValue(appConfig, "LogFileLimitKB", &logFileLimitKB, kDigitalTypeInt32);
    ReadValue(appConfig, "KeepDays", &keepDays, kDigitalTypeInt32);
    ReadValue(appConfig, "MostStorageMB", &mostStorageMB, kDigitalTypeInt32);
    ReadValue(appConfig, "LeastFreeMB", &leastFreeMB, kDigitalTypeInt32);
    Clamp(angleStart, -360, 360);
    Clamp(angleStop, -360, 360);
    Clamp(angleStep, -360, 360);
    Clamp(sectorCount, 1, 1000);
    Clamp(gateMin, -1e5, 1e5);
    Clamp(gateMax, -1e5, 1e5);
    Clamp(radiusScale, 0.0, 100.0);
    Clamp(locusRadiusScale, 0.0, 100.0);
    Clamp(displayTime, 0, 600000);
    Clamp(smoothCount, 1, 1000);
    Clamp(logFileLimitKB, kLogFileLimitKBMin, kLogFileLimitKBMax);
    Clamp(keepDays, 0, 3650);
    Clamp(mostStorageMB, 0, 16777216);
    Clamp(leastFreeMB, 0, 1048576);
}

void RootSettings::Save(XMLNode appConfig, int saveDataFlag, const wchar_t* workingSavePath) {
    if (appConfig.IsNull()) return;
    appConfig.SetAttributeInt("SaveData", saveDataFlag);
    // The document holds ANSI text: a folder named outside the code page is kept by its short
    // name, one without any narrow name not at all (the default folder next time), never as "?".
    const std::optional<std::string> path = rova::AnsiPath(workingSavePath);
    appConfig.SetAttributeText("SaveDataPath", path ? path->c_str() : "");
}
