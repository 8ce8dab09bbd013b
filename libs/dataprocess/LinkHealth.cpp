#include "LinkHealth.h"

CLinkHealth::CLinkHealth(eRADAR_LINK_SOURCE source, int32_t port, uint32_t runNumber, uint64_t startMs)
    : startMs_(startMs), lastFrameMs_(startMs) {
    counters_.structSize = sizeof counters_;
    counters_.source = source;
    counters_.port = port;
    counters_.runNumber = runNumber;
}

void CLinkHealth::FrameReceived(uint64_t nowMs) {
    std::lock_guard lock(mutex_);
    counters_.framesReceived += 1;
    counters_.anyFrame = 1;
    lastFrameMs_ = nowMs;
    recent_.push_back(nowMs);
    while (!recent_.empty() && nowMs - recent_.front() > kRateWindowMs) recent_.pop_front();
}

void CLinkHealth::AddDiscardedBytes(uint64_t count) {
    std::lock_guard lock(mutex_);
    counters_.bytesDiscarded += count;
}

void CLinkHealth::AddBadChecksums(uint64_t count) {
    std::lock_guard lock(mutex_);
    counters_.badChecksumFrames += count;
}

void CLinkHealth::AddLost(uint64_t count) {
    std::lock_guard lock(mutex_);
    counters_.framesLost += count;
}

void CLinkHealth::AddDropped(uint64_t count) {
    std::lock_guard lock(mutex_);
    counters_.framesDropped += count;
}

void CLinkHealth::AddPaused(uint64_t count) {
    std::lock_guard lock(mutex_);
    counters_.framesPaused += count;
}

void CLinkHealth::AddDelivered(uint64_t count) {
    std::lock_guard lock(mutex_);
    counters_.framesDelivered += count;
}

void CLinkHealth::LinkLost() {
    std::lock_guard lock(mutex_);
    counters_.linkLosses += 1;
    if (phase_ != Phase::Stopped) phase_ = Phase::Lost;
}

void CLinkHealth::ReconnectStarted() {
    std::lock_guard lock(mutex_);
    counters_.reconnectAttempts += 1;
    if (phase_ != Phase::Stopped) phase_ = Phase::Reconnecting;
}

void CLinkHealth::ReconnectFailed(eRADAR_RECONNECT_FAILURE why) {
    std::lock_guard lock(mutex_);
    counters_.reconnectFailures += 1;
    counters_.lastReconnectFailure = why;
    if (phase_ != Phase::Stopped) phase_ = Phase::Lost;
}

void CLinkHealth::Reconnected(uint64_t nowMs) {
    std::lock_guard lock(mutex_);
    counters_.reconnects += 1;
    if (phase_ != Phase::Stopped) phase_ = Phase::Running;
    // Silence is counted from the sensor's return, not from before the loss.
    if (nowMs > lastFrameMs_) lastFrameMs_ = nowMs;
}

void CLinkHealth::Stopped() {
    std::lock_guard lock(mutex_);
    phase_ = Phase::Stopped;
}

tagRADARLINKHEALTH CLinkHealth::Read(uint64_t nowMs) const {
    std::lock_guard lock(mutex_);
    tagRADARLINKHEALTH h = counters_;
    h.msSinceLastFrame = nowMs > lastFrameMs_ ? nowMs - lastFrameMs_ : 0;
    size_t inWindow = 0;
    for (uint64_t t : recent_) inWindow += nowMs - t <= kRateWindowMs ? 1 : 0;
    const uint64_t age = nowMs > startMs_ ? nowMs - startMs_ : 0;
    const uint64_t span = age < kRateWindowMs ? (age < kMinRateSpanMs ? kMinRateSpanMs : age) : kRateWindowMs;
    h.framesPerSecond = static_cast<double>(inWindow) * 1000.0 / static_cast<double>(span);
    switch (phase_) {
    case Phase::Stopped: h.state = RADAR_LINK_IDLE; break;
    case Phase::Lost: h.state = RADAR_LINK_LOST; break;
    case Phase::Reconnecting: h.state = RADAR_LINK_RECONNECTING; break;
    case Phase::Running: h.state = h.msSinceLastFrame > kSilentAfterMs ? RADAR_LINK_SILENT : RADAR_LINK_STREAMING; break;
    }
    return h;
}
