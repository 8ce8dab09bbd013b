#pragma once
// The main window as the run controller sees it: the run buttons, the waiting dialog, error
// boxes, the labels, the view and the window's private messages. It reaches the dialog's
// controls and members directly and never calls back into the dialog or its run controller.
#include "radar/RunWindow.h"

class CROVAMTTDlg;

class CMainRunWindow : public IRunWindow {
public:
    static constexpr UINT_PTR kPresenceTimer = 2;  // 1000 ms, alive during a run
    static constexpr UINT kPresenceTimerMs = 1000;
    static constexpr UINT_PTR kTitleAnimationTimer = 1;  // of the title label
    static constexpr UINT_PTR kLinkTimer = 3;            // link health of the run, alive during a run
    static constexpr UINT_PTR kSettingsTimer = 4;        // failed settings saves, alive with the window
    static constexpr COLORREF kLinkTextColor = RGB(200, 220, 200);
    static constexpr COLORREF kLinkStaleColor = RGB(200, 0, 0);

    explicit CMainRunWindow(CROVAMTTDlg& dialog) noexcept : m_dialog(dialog) {}

    void ApplyRunButtons(const RunButtons& buttons) override;
    void ShowWaiting(const std::wstring& text) override;
    void HideWaiting() override;
    void ShowRunError(const std::wstring& text, UINT captionId) override;
    void ApplyViewSettings() override;
    void SendDetectBound() override;
    void UpdateTargetLabels(const CTargetSlots::Array& slots) override;
    void ApplyModeDisplay() override;
    void ClearTargets() override;
    void StartPresenceTimer() override;
    void StopPresenceTimer() override;
    void PostPlaybackEndLater(UINT delayMs) override;
    void CancelPlaybackEndPosts() override;
    void DrainRunMessages() override;
    void StartLinkTimer() override;
    void StopLinkTimer() override;
    void ShowLinkStatus(const std::wstring& text, bool stale, bool alarm) override;

    // A start nobody watches (monitoring that starts with the console): until EndQuiet, no waiting
    // dialog and no error box; EndQuiet returns the error the start would have shown (empty: none).
    void BeginQuiet() noexcept { m_quiet = true; m_quietError.clear(); }
    std::wstring EndQuiet();

private:
    CROVAMTTDlg& m_dialog;
    bool m_quiet = false;
    std::wstring m_quietError;
    bool m_stale = false;  // the labels say that no data arrives instead of the last values
};
