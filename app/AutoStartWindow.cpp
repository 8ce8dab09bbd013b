#include "app/AutoStartWindow.h"

#include "app/ConsoleLog.h"
#include "app/MainRunWindow.h"
#include "contracts/ROVA_DataProcess.h"
#include "framework/ProgramFolder.h"
#include "framework/Wnd.h"
#include "radar/RunController.h"

bool CAutoStartWindow::TryStartRun(const AutoStartSettings& source, std::wstring* why) {
    CRunController& run = m_run;
    if (run.IsRunning()) return true;
    // As Detect Device does: the configuration from the file (a file fixed meanwhile counts), then
    // the remembered source, kept for every stop to return to.
    if (!ROVA_Interface_RadarCtrl_IsConfigLoad()) ROVA_Interface_RadarCtrl_LoadConfigFromFile(ProgramFileA("Radar_Config.ini").c_str());
    gRadarParameter.sourceType = source.sourceType;
    gRadarParameter.detectedDeviceValue = source.deviceValue;
    run.SaveRadarRecord();
    m_runWindow.BeginQuiet();
    const bool started = run.StartRun();
    std::wstring error = m_runWindow.EndQuiet();
    if (why) *why = std::move(error);
    // Still on while waiting: the operator's click on Start is the Stop that ends the waiting.
    if (!started && m_keepStartOn) m_keepStartOn();
    return started;
}

void CAutoStartWindow::ShowAutoStartStatus(const std::wstring& text) {
    // Waiting for a sensor is a fault of an unattended console: shown as an alarm.
    m_runWindow.ShowLinkStatus(text, false, !text.empty());
}

void CAutoStartWindow::StartRetryTimer(UINT intervalMs) {
    ::SetTimer(m_dialog.GetSafeHwnd(), kRetryTimer, intervalMs, nullptr);
}

void CAutoStartWindow::StopRetryTimer() { ::KillTimer(m_dialog.GetSafeHwnd(), kRetryTimer); }

void CAutoStartWindow::LogAutoStart(const std::wstring& line) { ConsoleLog().Write(line); }

AutoStartHost CAutoStartWindow::Host() {
    AutoStartHost host;
    host.tryStartRun = [this](const AutoStartSettings& source, std::wstring* why) { return TryStartRun(source, why); };
    host.showStatus = [this](const std::wstring& text) { ShowAutoStartStatus(text); };
    host.startRetryTimer = [this](UINT intervalMs) { StartRetryTimer(intervalMs); };
    host.stopRetryTimer = [this] { StopRetryTimer(); };
    host.log = [this](const std::wstring& line) { LogAutoStart(line); };
    return host;
}
