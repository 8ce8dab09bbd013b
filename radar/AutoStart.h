#pragma once
// Monitoring that starts with the console, for a console that runs unattended: with the setting on,
// the console starts a live run on the source Detect Device last found, without a click. While
// that sensor is absent it is tried again every few seconds, the status text saying so, until it
// answers or the operator takes over (Stop, Detect Device, Playback). Nothing on this path asks
// the operator anything. Plain logic; the window behind IAutoStartHost makes the attempts.
#include <windows.h>

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

// What the auto-start asks of the console.
class IAutoStartHost {
public:
    virtual ~IAutoStartHost() = default;
    // One attempt at a live run on the remembered source, telling the operator nothing; false with
    // the library's reason in why.
    virtual bool TryStartRun(const AutoStartSettings& source, std::wstring* why) = 0;
    // The status right of the title while waiting (empty: the waiting ended).
    virtual void ShowAutoStartStatus(const std::wstring& text) = 0;
    virtual void StartRetryTimer(UINT intervalMs) = 0;
    virtual void StopRetryTimer() = 0;
    // A line of the console's event log under Log\.
    virtual void LogAutoStart(const std::wstring& line) = 0;
};

// The texts of the string table, placeholders {source} and {attempts}.
struct AutoStartTexts {
    std::wstring waiting;   // {source} {attempts}
    std::wstring noSource;  // the setting is on but nothing was ever detected
    std::wstring serialSource;     // {port}
    std::wstring simulatedSource;
};

class CAutoStart {
public:
    static constexpr UINT kRetryMs = 3000;

    enum class State {
        Off,        // the setting is off, or the console has not started yet
        NoSource,   // on, but Detect Device never found anything: nothing to start
        Waiting,    // the sensor did not answer; tried again every kRetryMs
        Started,    // a run started
        Cancelled,  // the operator took over while waiting
    };

    CAutoStart(IAutoStartHost& host, AutoStartTexts texts);
    CAutoStart(const CAutoStart&) = delete;
    CAutoStart& operator=(const CAutoStart&) = delete;

    // At console start: the first attempt at once when the setting is on.
    void Begin(const AutoStartSettings& settings);
    // The retry timer fired.
    void OnRetryTimer();
    // The operator took over (or the console closes, as `how` says): no more attempts. True when
    // a waiting was ended.
    bool Cancel(const wchar_t* how = L"by the operator");

    State GetState() const noexcept { return m_state; }
    bool Waiting() const noexcept { return m_state == State::Waiting; }
    // Attempts made so far (the first one included).
    int Attempts() const noexcept { return m_attempts; }
    // "COM7", the simulated sensor's name, ...: the source as the status names it.
    std::wstring SourceText() const;

private:
    void Attempt();

    IAutoStartHost& m_host;
    AutoStartTexts m_texts;
    AutoStartSettings m_settings;
    State m_state = State::Off;
    int m_attempts = 0;
    std::wstring m_lastWhy;
};
