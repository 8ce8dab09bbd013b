#include "app/AutoStartWindow.h"

#include "app/ConsoleLog.h"
#include "app/ROVAMTTDlg.h"
#include "framework/ProgramFolder.h"

bool CAutoStartWindow::TryStartRun(const AutoStartSettings& source, std::wstring* why) {
    CRunController& run = m_dialog.m_run;
    if (run.IsRunning()) return true;
    // As Detect Device does: the configuration from the file (a file fixed meanwhile counts), then
    // the remembered source, kept for every stop to return to.
    if (!ROVA_Interface_RadarCtrl_IsConfigLoad()) ROVA_Interface_RadarCtrl_LoadConfigFromFile(ProgramFileA("Radar_Config.ini").c_str());
    gRadarParameter.sourceType = source.sourceType;
    gRadarParameter.detectedDeviceValue = source.deviceValue;
    run.SaveRadarRecord();
    m_dialog.m_runWindow.BeginQuiet();
    const bool started = run.StartRun();
    std::wstring error = m_dialog.m_runWindow.EndQuiet();
    if (why) *why = std::move(error);
    // Still on while waiting: the operator's click on Start is the Stop that ends the waiting.
    if (!started) m_dialog.SetCheck(m_dialog.m_btnStart, true);
    return started;
}

void CAutoStartWindow::ShowAutoStartStatus(const std::wstring& text) {
    // Waiting for a sensor is a fault of an unattended console: shown as an alarm.
    m_dialog.m_runWindow.ShowLinkStatus(text, false, !text.empty());
}

void CAutoStartWindow::StartRetryTimer(UINT intervalMs) {
    ::SetTimer(m_dialog.GetSafeHwnd(), kRetryTimer, intervalMs, nullptr);
}

void CAutoStartWindow::StopRetryTimer() { ::KillTimer(m_dialog.GetSafeHwnd(), kRetryTimer); }

void CAutoStartWindow::LogAutoStart(const std::wstring& line) { ConsoleLog().Write(line); }
