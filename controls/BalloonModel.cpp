#include "controls/BalloonModel.h"

#include <algorithm>

BalloonSign SignOfIcon(int32_t icon) noexcept {
    switch (icon) {
    case BalloonIconInfo:
    case BalloonIconInfoLarge:
        return BalloonSign::Info;
    case BalloonIconWarning:
    case BalloonIconWarningLarge:
        return BalloonSign::Warning;
    case BalloonIconError:
    case BalloonIconErrorLarge:
        return BalloonSign::Error;
    default:
        return BalloonSign::None;
    }
}

CBalloonModel::~CBalloonModel() {
    DeleteAllMessages();
}

BalloonMessage* CBalloonModel::At(int index) const {
    return static_cast<BalloonMessage*>(m_messages.GetAt(index));
}

int CBalloonModel::GetMessageCount() const {
    return m_messages.GetCount();
}

const BalloonMessage* CBalloonModel::MessageAt(int index) const {
    return At(index);
}

int CBalloonModel::GetLiveMessageCount() const {
    CAutoBaseLock hold(m_listLock);
    int live = 0;
    for (int i = 0; i < m_messages.GetCount(); ++i)
        live += At(i)->remainingMs != 0;
    return live;
}

void CBalloonModel::DeleteAllMessages() {
    for (int i = 0; i < m_messages.GetCount(); ++i)
        delete At(i);
    m_messages.RemoveAll();
}

void CBalloonModel::AddOrRefresh(const std::wstring& title, const std::wstring& text, int32_t icon) {
    CAutoBaseLock hold(m_listLock);
    const uint32_t displayTime = static_cast<uint32_t>(m_displayTimeMs);
    for (int i = 0; i < m_messages.GetCount(); ++i) {
        BalloonMessage* message = At(i);
        if (message->title == title && message->text == text) {
            message->icon = icon;
            message->remainingMs = displayTime;
            m_messages.MoveToFront(i);
            return;
        }
    }
    auto* message = new BalloonMessage;
    message->title = title;
    message->text = text;
    message->icon = icon;
    message->remainingMs = displayTime;
    if (m_messages.AddData(message, 0) < 0) delete message;
}

void CBalloonModel::StopTimers(BalloonActions& actions) {
    actions.stopCountdown = true;
    actions.stopFade = true;
    m_countdownRunning = false;
    m_fadeRunning = false;
}

void CBalloonModel::StartCountdown(BalloonActions& actions) {
    actions.startCountdown = true;
    m_countdownRunning = true;
}

void CBalloonModel::StartFade(BalloonActions& actions) {
    actions.startFade = true;
    m_fadeRunning = true;
}

void CBalloonModel::HideAndEmpty(BalloonActions& actions) {
    actions.hide = true;
    m_visible = false;
    m_mouseInside = 0;
    m_closeHot = 0;
    DeleteAllMessages();
}

BalloonActions CBalloonModel::Show(const std::wstring& title, const std::wstring& text, int32_t icon) {
    BalloonActions actions;
    StopTimers(actions);
    AddOrRefresh(title, text, icon);
    actions.rebuild = true;
    m_visible = true;
    m_mouseInside = 0;
    m_closeHot = 0;
    m_alpha = 255;
    actions.applyAlpha = true;
    StartCountdown(actions);
    return actions;
}

BalloonActions CBalloonModel::CountdownTick() {
    BalloonActions actions;
    if (!m_countdownRunning) return actions;
    bool anyAlive = false;
    bool anyExpired = false;
    {
        CAutoBaseLock hold(m_listLock);
        for (int i = 0; i < m_messages.GetCount(); ++i) {
            BalloonMessage* message = At(i);
            if (message->remainingMs > kCountdownPeriodMs) {
                message->remainingMs -= kCountdownPeriodMs;
                anyAlive = true;
            } else if (message->remainingMs != 0) {
                message->remainingMs = 0;
                anyExpired = true;
            }
        }
    }
    if (!anyAlive) {
        // The last messages stay in the picture while it fades.
        actions.stopCountdown = true;
        m_countdownRunning = false;
        m_alpha = 255;
        StartFade(actions);
    } else if (anyExpired) {
        actions.rebuild = true;
    }
    return actions;
}

BalloonActions CBalloonModel::FadeTick() {
    BalloonActions actions;
    if (!m_fadeRunning) return actions;
    m_alpha -= kFadeStep;
    if (m_alpha > 0) {
        actions.applyAlpha = true;
    } else {
        actions.stopFade = true;
        m_fadeRunning = false;
        HideAndEmpty(actions);
    }
    return actions;
}

BalloonActions CBalloonModel::MouseMove(bool overClose) {
    BalloonActions actions;
    if (!m_mouseInside && m_alpha > 0) {
        StopTimers(actions);
        m_alpha = 255;
        actions.applyAlpha = true;
        m_mouseInside = 1;
    }
    const int hot = overClose ? 1 : 0;
    if (hot != m_closeHot) {
        m_closeHot = hot;
        actions.repaint = true;
    }
    return actions;
}

BalloonActions CBalloonModel::MouseLeave() {
    BalloonActions actions;
    if (m_closeHot) {
        m_closeHot = 0;
        actions.repaint = true;
    }
    if (!m_mouseInside) return actions;
    m_mouseInside = 0;
    {
        CAutoBaseLock hold(m_listLock);
        for (int i = 0; i < m_messages.GetCount(); ++i) {
            BalloonMessage* message = At(i);
            message->remainingMs = std::max(message->remainingMs, kLeaveGraceMs);
        }
    }
    StartCountdown(actions);
    return actions;
}

BalloonActions CBalloonModel::Dismiss() {
    BalloonActions actions;
    StopTimers(actions);
    HideAndEmpty(actions);
    return actions;
}

BalloonActions CBalloonModel::FocusLost() {
    BalloonActions actions;
    // A hidden balloon has nothing to fade (it can lose an activation it got while hiding).
    if (!m_fadeOnFocusLoss || !m_visible) return actions;
    actions.stopCountdown = true;
    m_countdownRunning = false;
    m_alpha = 255;
    StartFade(actions);
    DeleteAllMessages();
    return actions;
}

void CBalloonModel::Reset() {
    m_countdownRunning = false;
    m_fadeRunning = false;
    m_visible = false;
    m_mouseInside = 0;
    m_closeHot = 0;
    DeleteAllMessages();
}

BalloonLayout CBalloonModel::Layout(const MeasureFn& measure) {
    CAutoBaseLock hold(m_listLock);
    // Expired messages leave the picture for good: the cursor leaving the balloon later must not
    // bring back a message the operator already saw go away.
    for (int i = m_messages.GetCount() - 1; i >= 0; --i) {
        if (At(i)->remainingMs == 0) delete static_cast<BalloonMessage*>(m_messages.RemoveAt(i));
    }
    int y = 32;
    int maxRight = 0;
    for (int i = 0; i < m_messages.GetCount(); ++i) {
        BalloonMessage* message = At(i);
        message->titleSize = measure(message->title, true);
        message->textSize = measure(message->text, false);
        message->iconRect = RECT{14, y, 44, y + 30};
        message->titleRect = RECT{54, y, message->titleSize.cx + 56, y + message->titleSize.cy + 2};
        const int t = message->titleRect.bottom + 2;
        message->textRect = RECT{54, t, message->textSize.cx + 56, t + message->textSize.cy + 2};
        maxRight =
            std::max({maxRight, static_cast<int>(message->titleRect.right), static_cast<int>(message->textRect.right)});
        y = std::max({message->iconRect.bottom, message->titleRect.bottom, message->textRect.bottom}) + 8;
    }
    BalloonLayout layout;
    layout.width = (maxRight + 40 + 3) / 4 * 4;
    layout.height = y + 6;
    layout.closeRect = RECT{layout.width - 30, 32, layout.width - 10, 52};
    return layout;
}

CBalloonModel::Phase CBalloonModel::GetPhase() const noexcept {
    if (!m_visible) return Phase::Hidden;
    if (m_fadeRunning) return Phase::Fading;
    if (m_countdownRunning) return Phase::Shown;
    return Phase::Paused;
}
