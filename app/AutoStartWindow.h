#pragma once
// The main window as monitoring that starts with the console sees it: quiet attempts at a live run
// on the remembered source, the status right of the title, the retry timer and the console's
// event log. It gets exactly the parts of the main window it works on.
#include <functional>

#include "radar/AutoStartHost.h"

class CMainRunWindow;
class CRunController;
class CWnd;

class CAutoStartWindow {
public:
    static constexpr UINT_PTR kRetryTimer = 5;  // alive while waiting for the sensor
    static constexpr UINT kBeginMessage = 0x505;  // posted at initialisation: the first attempt once the window shows

    // keepStartOn shows Start as on while waiting: the operator's click on it is the Stop.
    CAutoStartWindow(CWnd& dialog, CRunController& run, CMainRunWindow& runWindow, std::function<void()> keepStartOn)
        : m_dialog(dialog), m_run(run), m_runWindow(runWindow), m_keepStartOn(std::move(keepStartOn)) {}

    bool TryStartRun(const AutoStartSettings& source, std::wstring* why);
    void ShowAutoStartStatus(const std::wstring& text);
    void StartRetryTimer(UINT intervalMs);
    void StopRetryTimer();
    void LogAutoStart(const std::wstring& line);
    // This window as the auto-start's host.
    AutoStartHost Host();

private:
    CWnd& m_dialog;
    CRunController& m_run;
    CMainRunWindow& m_runWindow;
    std::function<void()> m_keepStartOn;
};
