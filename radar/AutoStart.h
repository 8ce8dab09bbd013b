#pragma once
// Monitoring that starts with the console, for a console that runs unattended: with the setting on,
// the console starts a live run on the source Detect Device last found, without a click. While
// that sensor is absent it is tried again every few seconds, the status text saying so, until it
// answers or the operator takes over (Stop, Detect Device, Playback). Nothing on this path asks
// the operator anything. Plain logic; the window behind IAutoStartHost makes the attempts.
#include <windows.h>

#include <string>

#include "radar/AutoStartHost.h"

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

    CAutoStart(AutoStartHost host, AutoStartTexts texts);
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

    AutoStartHost m_host;
    AutoStartTexts m_texts;
    AutoStartSettings m_settings;
    State m_state = State::Off;
    int m_attempts = 0;
    std::wstring m_lastWhy;
};
