#pragma once
// The balloon tip's messages, their countdown, the fade and the layout of its picture, without a
// window: every event returns what the window has to do, so the timing can be driven by tests.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "contracts/ROVA_Common.h"

// The sign in front of a message.
enum BalloonIcon : int32_t {
    BalloonIconNone = 0,
    BalloonIconInfo = 1,
    BalloonIconWarning = 2,
    BalloonIconError = 3,
    BalloonIconInfoLarge = 4,
    BalloonIconWarningLarge = 5,
    BalloonIconErrorLarge = 6,
};

enum class BalloonSign { None, Info, Warning, Error };
BalloonSign SignOfIcon(int32_t icon) noexcept;

struct BalloonMessage {
    std::wstring title;
    std::wstring text;  // line breaks are kept
    int32_t icon = BalloonIconNone;
    SIZE titleSize{};
    SIZE textSize{};
    RECT iconRect{};
    RECT titleRect{};
    RECT textRect{};
    uint32_t remainingMs = 0;  // 0: expired
};

// What the window has to do after an event, applied in the order of the fields.
struct BalloonActions {
    bool stopCountdown = false;
    bool stopFade = false;
    bool rebuild = false;
    bool hide = false;
    bool applyAlpha = false;
    bool startCountdown = false;
    bool startFade = false;
    bool repaint = false;
};

struct BalloonLayout {
    int width = 0;
    int height = 0;
    RECT closeRect{};
};

class CBalloonModel {
public:
    static constexpr uint32_t kCountdownPeriodMs = 500;
    static constexpr uint32_t kFadePeriodMs = 100;
    static constexpr int kFadeStep = 17;             // 15 steps from opaque to gone
    static constexpr uint32_t kLeaveGraceMs = 2000;  // what every message keeps after the cursor left
    static constexpr int kDefaultDisplayTimeMs = 5000;

    enum class Phase { Hidden, Shown, Paused, Fading };

    CBalloonModel() = default;
    ~CBalloonModel();
    CBalloonModel(const CBalloonModel&) = delete;
    CBalloonModel& operator=(const CBalloonModel&) = delete;

    // Adds the message at the front, or refreshes an equal one (same title and text) and moves it
    // to the front.
    void AddOrRefresh(const std::wstring& title, const std::wstring& text, int32_t icon);
    // The whole show sequence: timers stopped, message added or refreshed, picture rebuilt,
    // opaque, countdown started. The window moves and shows itself between rebuild and alpha.
    BalloonActions Show(const std::wstring& title, const std::wstring& text, int32_t icon);
    BalloonActions CountdownTick();
    BalloonActions FadeTick();
    // overClose: the cursor is inside the close button.
    BalloonActions MouseMove(bool overClose);
    BalloonActions MouseLeave();
    // Left button released over the close button, or the owner window is hidden.
    BalloonActions Dismiss();
    BalloonActions FocusLost();
    // The window no longer exists.
    void Reset();

    // Places the live messages (measure gives the size of a title or a text) and drops the
    // expired ones, which the new picture no longer shows.
    using MeasureFn = std::function<SIZE(const std::wstring& text, bool title)>;
    BalloonLayout Layout(const MeasureFn& measure);

    void DeleteAllMessages();

    Phase GetPhase() const noexcept;
    int GetAlpha() const noexcept { return m_alpha; }
    bool IsMouseInside() const noexcept { return m_mouseInside != 0; }
    bool IsCloseHot() const noexcept { return m_closeHot != 0; }
    bool IsCountdownRunning() const noexcept { return m_countdownRunning; }
    bool IsFadeRunning() const noexcept { return m_fadeRunning; }

    int GetDisplayTimeMs() const noexcept { return m_displayTimeMs; }
    void SetDisplayTimeMs(int ms) noexcept { m_displayTimeMs = ms > 0 ? ms : kDefaultDisplayTimeMs; }
    bool GetFadeOnFocusLoss() const noexcept { return m_fadeOnFocusLoss != 0; }
    void SetFadeOnFocusLoss(bool fade) noexcept { m_fadeOnFocusLoss = fade ? 1 : 0; }

    // The list in display order (newest first); take ListLock() around a walk through it.
    CBaseLock& ListLock() noexcept { return m_listLock; }
    int GetMessageCount() const;
    const BalloonMessage* MessageAt(int index) const;
    int GetLiveMessageCount() const;

private:
    BalloonMessage* At(int index) const;
    void StopTimers(BalloonActions& actions);
    void StartCountdown(BalloonActions& actions);
    void StartFade(BalloonActions& actions);
    void HideAndEmpty(BalloonActions& actions);

    int m_displayTimeMs = kDefaultDisplayTimeMs;
    int m_fadeOnFocusLoss = 1;
    int m_alpha = 255;
    CPtrListCtrl m_messages;
    mutable CBaseLock m_listLock;
    int m_mouseInside = 0;
    int m_closeHot = 0;
    bool m_visible = false;
    bool m_countdownRunning = false;
    bool m_fadeRunning = false;
};
