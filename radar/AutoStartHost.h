#pragma once
// What monitoring that starts with the console remembers of the source and asks of the console.
// The window implements IAutoStartHost; CAutoStart (radar/AutoStart.h) never sees a window handle.
#include <windows.h>

#include <functional>
#include <string>

#include "settings/XMLParser.h"

// The attributes of the AppConfig element this needs: "AutoStart" (off by default) and the source
// Detect Device last found, "LastSourceType" (0: none yet), "LastDeviceValue" and "LastDevicePort"
// ("COM7"; "COM9999" is the simulated sensor).
struct AutoStartSettings {
    bool enabled = false;
    int sourceType = 0;
    int deviceValue = 0;
    std::string port;

    static AutoStartSettings Load(const XMLNode& appConfig);
    static void SaveEnabled(XMLNode appConfig, bool enabled);
    static void SaveSource(XMLNode appConfig, int sourceType, int deviceValue, const char* port);
    // A source Detect Device can find (types 1 to 5) is remembered.
    bool HasSource() const noexcept { return sourceType >= 1 && sourceType <= 5; }
};

// What the auto-start asks of the console: the window fills it (the tests with fakes). Plain
// callables rather than an interface: the plain logic below stays unaware of who answers.
struct AutoStartHost {
    // One attempt at a live run on the remembered source, telling the operator nothing; false with
    // the library's reason in why.
    std::function<bool(const AutoStartSettings& source, std::wstring* why)> tryStartRun;
    // The status right of the title while waiting (empty: the waiting ended).
    std::function<void(const std::wstring& text)> showStatus;
    std::function<void(UINT intervalMs)> startRetryTimer;
    std::function<void()> stopRetryTimer;
    // A line of the console's event log under Log\.
    std::function<void(const std::wstring& line)> log;
};
