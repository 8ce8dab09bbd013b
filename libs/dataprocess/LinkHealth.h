// The counters of one run's link to its source, shared by the run's threads and the device's
// reader thread: every frame that arrives whole is counted once and ends delivered, discarded
// during a pause or dropped, so none goes missing from the figures. Clock readings (ms) are
// passed in; the state is derived when read.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>

#include "ROVA_LinkHealth.h"

class CLinkHealth {
public:
    static constexpr uint64_t kRateWindowMs = 2000;
    static constexpr uint64_t kSilentAfterMs = 1000;
    // A run younger than the window is measured over its own age, but not less than this.
    static constexpr uint64_t kMinRateSpanMs = 500;

    CLinkHealth(eRADAR_LINK_SOURCE source, int32_t port, uint32_t runNumber, uint64_t startMs);

    void FrameReceived(uint64_t nowMs);
    void AddDiscardedBytes(uint64_t count);
    void AddBadChecksums(uint64_t count);
    void AddLost(uint64_t count);
    void AddDropped(uint64_t count);
    void AddPaused(uint64_t count);
    void AddDelivered(uint64_t count);

    // The link failed (port error or silence): the device closed the port.
    void LinkLost();
    void ReconnectStarted();
    void ReconnectFailed(eRADAR_RECONNECT_FAILURE why);
    // The sensor answers and streams again; the silence is measured from nowMs.
    void Reconnected(uint64_t nowMs);
    // The run stopped: the state reads IDLE from now on.
    void Stopped();

    tagRADARLINKHEALTH Read(uint64_t nowMs) const;

private:
    enum class Phase { Running, Lost, Reconnecting, Stopped };

    mutable std::mutex mutex_;
    tagRADARLINKHEALTH counters_{};
    Phase phase_ = Phase::Running;
    uint64_t startMs_;
    uint64_t lastFrameMs_;  // of the last frame, or of the start (or of the reconnect)
    std::deque<uint64_t> recent_;  // arrival times within the rate window
};
