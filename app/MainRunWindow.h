#pragma once
// The main window as the run controller sees it: the run buttons, the waiting dialog, error
// boxes, the labels, the view and the window's private messages. The dialog hands it the parts
// it works on at construction; it never calls back into the dialog or its run controller.
#include "contracts/ROVA_DlgResource.h"
#include "controls/OwnedBitmap.h"
#include "radar/RunWindow.h"

class AreaOverlayController;
class CASkinButton;
class CAreaOperations;
class CColorStatic;
class CDelayPostMsgEngine;
class CObjectSectorWnd;
class CWnd;
struct RootSettings;

class CMainRunWindow : public IRunWindow {
public:
    // Timers of the main window set here; the window passes them back to the run controller.
    static constexpr UINT_PTR kPresenceTimer = 2;  // alive during a run
    static constexpr UINT kPresenceTimerMs = 1000;
    static constexpr UINT_PTR kLinkTimer = 3;  // link health of the run, alive during a run
    static constexpr COLORREF kLinkTextColor = RGB(200, 220, 200);
    static constexpr COLORREF kLinkStaleColor = RGB(200, 0, 0);

    // What of the main window the run side works on. The dialog owns all of it and outlives this
    // object; the waiting dialog is created at initialisation, after this object.
    struct Parts {
        CWnd& window;  // owner of the boxes, the timers and the private messages
        CDelayPostMsgEngine& delayPostEngine;
        const ROVA_WAITINGDLG_HANDLE& waitingDlg;
        const RootSettings& settings;
        const OwnedBitmap& backgroundImage;
        COLORREF background;  // of the window, behind the link status while all is well
        CASkinButton& start;
        CASkinButton& modeSwitch;
        CASkinButton& pause;
        CASkinButton& playback;
        CASkinButton& saveData;
        CASkinButton& savePath;
        CColorStatic& title;
        CColorStatic& labelTarget;  // single-target mode
        CColorStatic& labelTarget1;  // multi-target mode, three labels
        CColorStatic& labelTarget2;
        CColorStatic& labelTarget3;
        CColorStatic& linkStatus;
        CObjectSectorWnd& targetView;
        AreaOverlayController& areas;
        CAreaOperations& areaOps;
    };

    explicit CMainRunWindow(const Parts& parts) noexcept : m_parts(parts) {}

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
    Parts m_parts;
    bool m_quiet = false;
    std::wstring m_quietError;
    bool m_stale = false;  // the labels say that no data arrives instead of the last values
};
