#pragma once
// The main window as monitoring that starts with the console sees it: quiet attempts at a live run
// on the remembered source, the status right of the title, the retry timer and the console's
// event log. Like CMainRunWindow it works on the dialog's members directly.
#include "radar/AutoStart.h"

class CROVAMTTDlg;

class CAutoStartWindow : public IAutoStartHost {
public:
    static constexpr UINT_PTR kRetryTimer = 4;  // alive while waiting for the sensor
    static constexpr UINT kBeginMessage = 0x505;  // posted at initialisation: the first attempt once the window shows

    explicit CAutoStartWindow(CROVAMTTDlg& dialog) noexcept : m_dialog(dialog) {}

    bool TryStartRun(const AutoStartSettings& source, std::wstring* why) override;
    void ShowAutoStartStatus(const std::wstring& text) override;
    void StartRetryTimer(UINT intervalMs) override;
    void StopRetryTimer() override;
    void LogAutoStart(const std::wstring& line) override;

private:
    CROVAMTTDlg& m_dialog;
};
