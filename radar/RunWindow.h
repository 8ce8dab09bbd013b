#pragma once
// What the run controller asks of the main window. The window implements it; the controller never
// sees a window handle, so the whole run state machine runs without one in the tests.
#include <windows.h>

#include <string>

#include "radar/DetectionPipeline.h"
#include "radar/RunButtons.h"

class IRunWindow {
public:
    virtual ~IRunWindow() = default;

    virtual void ApplyRunButtons(const RunButtons& buttons) = 0;
    // The library's waiting dialog while the sensor starts.
    virtual void ShowWaiting(const std::wstring& text) = 0;
    virtual void HideWaiting() = 0;
    // An error of a run in a message box over the console (caption: a string id).
    virtual void ShowRunError(const std::wstring& text, UINT captionId) = 0;
    // Settings to the target view, overlays reloaded from appConfig.xml.
    virtual void ApplyViewSettings() = 0;
    // The view's detect area to the library's filters.
    virtual void SendDetectBound() = 0;
    // The distance labels from the target slots.
    virtual void UpdateTargetLabels(const CTargetSlots::Array& slots) = 0;
    // Title, Mode Switch check and label layout from the object count mode.
    virtual void ApplyModeDisplay() = 0;
    // All targets and tracks off the view, repainted.
    virtual void ClearTargets() = 0;
    virtual void StartPresenceTimer() = 0;
    virtual void StopPresenceTimer() = 0;
    // The end-of-playback check, posted again later through the delayed-message engine.
    virtual void PostPlaybackEndLater(UINT delayMs) = 0;
    virtual void CancelPlaybackEndPosts() = 0;
    // Removes every queued presence tick and end-of-playback message.
    virtual void DrainRunMessages() = 0;
    // The link timer of a run (CRunController::OnLinkTimer every kLinkTimerMs).
    virtual void StartLinkTimer() = 0;
    virtual void StopLinkTimer() = 0;
    // The link status right of the title (empty: nothing shown). Stale data shows it as an alarm,
    // dims the view's targets and has the next label update say that no data arrives; alarm alone
    // (a file that cannot be written) shows it as an alarm and leaves the view as it is.
    virtual void ShowLinkStatus(const std::wstring& text, bool stale, bool alarm) = 0;
};
