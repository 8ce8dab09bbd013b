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
    return static_cast<BalloonMessage*>(messages_.GetAt(index));
}

int CBalloonModel::GetMessageCount() const {
    return messages_.GetCount();
}

const BalloonMessage* CBalloonModel::MessageAt(int index) const {
    return At(index);
}

int CBalloonModel::GetLiveMessageCount() const {
    CAutoBaseLock hold(listLock_);
    int live = 0;
    for (int i = 0; i < messages_.GetCount(); ++i)
        live += At(i)->remainingMs != 0;
    return live;
}

void CBalloonModel::DeleteAllMessages() {
    for (int i = 0; i < messages_.GetCount(); ++i)
        delete At(i);
    messages_.RemoveAll();
}

void CBalloonModel::AddOrRefresh(const std::wstring& title, const std::wstring& text, int32_t icon) {
    CAutoBaseLock hold(listLock_);
    const uint32_t displayTime = static_cast<uint32_t>(displayTimeMs_);
    for (int i = 0; i < messages_.GetCount(); ++i) {
        BalloonMessage* message = At(i);
        if (message->title == title && message->text == text) {
            message->icon = icon;
            message->remainingMs = displayTime;
            messages_.MoveToFront(i);
            return;
        }
    }
    auto* message = new BalloonMessage;
    message->title = title;
    message->text = text;
    message->icon = icon;
    message->remainingMs = displayTime;
    if (messages_.AddData(message, 0) < 0) delete message;
}

void CBalloonModel::StopTimers(BalloonActions& actions) {
    actions.stopCountdown = true;
    actions.stopFade = true;
    countdownRunning_ = false;
    fadeRunning_ = false;
}

void CBalloonModel::StartCountdown(BalloonActions& actions) {
    actions.startCountdown = true;
    countdownRunning_ = true;
}

void CBalloonModel::StartFade(BalloonActions& actions) {
    actions.startFade = true;
    fadeRunning_ = true;
}

void CBalloonModel::HideAndEmpty(BalloonActions& actions) {
    actions.hide = true;
    visible_ = false;
    mouseInside_ = 0;
    closeHot_ = 0;
    DeleteAllMessages();
}

BalloonActions CBalloonModel::Show(const std::wstring& title, const std::wstring& text, int32_t icon) {
    BalloonActions actions;
    StopTimers(actions);
    AddOrRefresh(title, text, icon);
    actions.rebuild = true;
    visible_ = true;
    mouseInside_ = 0;
    closeHot_ = 0;
    alpha_ = 255;
    actions.applyAlpha = true;
    StartCountdown(actions);
    return actions;
}

BalloonActions CBalloonModel::CountdownTick() {
    BalloonActions actions;
    if (!countdownRunning_) return actions;
    bool anyAlive = false;
    bool anyExpired = false;
    {
        CAutoBaseLock hold(listLock_);
        for (int i = 0; i < messages_.GetCount(); ++i) {
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
        countdownRunning_ = false;
        alpha_ = 255;
        StartFade(actions);
    } else if (anyExpired) {
        actions.rebuild = true;
    }
    return actions;
}

BalloonActions CBalloonModel::FadeTick() {
    BalloonActions actions;
    if (!fadeRunning_) return actions;
    alpha_ -= kFadeStep;
    if (alpha_ > 0) {
        actions.applyAlpha = true;
    } else {
        actions.stopFade = true;
        fadeRunning_ = false;
        HideAndEmpty(actions);
    }
    return actions;
}

BalloonActions CBalloonModel::MouseMove(bool overClose) {
    BalloonActions actions;
    if (!mouseInside_ && alpha_ > 0) {
        StopTimers(actions);
        alpha_ = 255;
        actions.applyAlpha = true;
        mouseInside_ = 1;
    }
    const int hot = overClose ? 1 : 0;
    if (hot != closeHot_) {
        closeHot_ = hot;
        actions.repaint = true;
    }
    return actions;
}

BalloonActions CBalloonModel::MouseLeave() {
    BalloonActions actions;
    if (closeHot_) {
        closeHot_ = 0;
        actions.repaint = true;
    }
    if (!mouseInside_) return actions;
    mouseInside_ = 0;
    {
        CAutoBaseLock hold(listLock_);
        for (int i = 0; i < messages_.GetCount(); ++i) {
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
    if (!fadeOnFocusLoss_ || !visible_) return actions;
    actions.stopCountdown = true;
    countdownRunning_ = false;
    alpha_ = 255;
    StartFade(actions);
    DeleteAllMessages();
    return actions;
}

void CBalloonModel::Reset() {
    countdownRunning_ = false;
    fadeRunning_ = false;
    visible_ = false;
    mouseInside_ = 0;
    closeHot_ = 0;
    DeleteAllMessages();
}

BalloonLayout CBalloonModel::Layout(const MeasureFn& measure) {
    CAutoBaseLock hold(listLock_);
    // Expired messages leave the picture for good: the cursor leaving the balloon later must not
    // bring back a message the operator already saw go away.
    for (int i = messages_.GetCount() - 1; i >= 0; --i) {
        if (At(i)->remainingMs == 0) delete static_cast<BalloonMessage*>(messages_.RemoveAt(i));
    }
    int y = 32;
    int maxRight = 0;
    for (int i = 0; i < messages_.GetCount(); ++i) {
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
    if (!visible_) return Phase::Hidden;
    if (fadeRunning_) return Phase::Fading;
    if (countdownRunning_) return Phase::Shown;
    return Phase::Paused;
}
