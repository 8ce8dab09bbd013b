// Shared state behind the simulated-sensor control API and the library's frame counters.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "RadarFrame.h"

class CSimulationControl {
public:
    static CSimulationControl& Instance();

    void Reset();

    bool present() const { return present_.load(); }
    void SetPresent(bool present) { present_ = present; }
    std::string OpenFailure() const;
    void SetOpenFailure(const char* text);
    std::vector<RadarFrame> Script() const;
    void ClearScript();
    void AddScriptFrame(RadarFrame frame);
    int frameIntervalMs() const { return frameIntervalMs_.load(); }
    void SetFrameIntervalMs(int ms) { frameIntervalMs_ = ms < 0 ? 0 : ms; }
    double playbackSpeed() const { return playbackSpeed_.load(); }
    void SetPlaybackSpeed(double factor) { playbackSpeed_ = factor < 0 ? 0 : factor; }
    // The clock a playback paces its frames by (tests put a clock of their own in): now in ticks of
    // QueryPerformanceFrequency, wait in microseconds. Null functions: the real clock.
    struct PlaybackClock {
        int64_t (*now)(void* user) = nullptr;
        void (*wait)(void* user, uint32_t microseconds) = nullptr;
        void* user = nullptr;
    };
    PlaybackClock playbackClock() const;
    void SetPlaybackClock(const PlaybackClock& clock);
    void RecordCommand(int command);
    int LastCommand(int* command) const;
    // Start requests are refused with this text while it is not empty.
    std::string StartRefusal() const;
    void SetStartRefusal(const char* text);
    // How long a start request takes to be answered (a sensor slow to acknowledge).
    int startStallMs() const { return startStallMs_.load(); }
    void SetStartStallMs(int ms) { startStallMs_ = ms < 0 ? 0 : ms; }

    std::atomic<uint64_t> framesAcquired{0};
    std::atomic<uint64_t> framesProcessed{0};
    std::atomic<uint64_t> framesDropped{0};
    std::atomic<uint64_t> framesRecorded{0};
    std::atomic<uint64_t> recordingFailures{0};
    std::atomic<uint64_t> damagedFrames{0};
    std::atomic<uint64_t> liveDataEnds{0};
    std::atomic<uint64_t> serialFramesReceived{0};
    std::atomic<uint64_t> serialLostFrames{0};
    std::atomic<uint64_t> serialCrcErrors{0};
    std::atomic<uint64_t> serialSkippedBytes{0};
    std::atomic<uint64_t> nonFinitePoints{0};
    // Stream start and stop requests the simulated sensor received (since load or reset).
    std::atomic<int> streamStarts{0};
    std::atomic<int> streamStops{0};

private:
    CSimulationControl() = default;

    mutable std::mutex mutex_;
    std::atomic<bool> present_{true};
    std::string openFailure_;
    std::vector<RadarFrame> script_;
    std::atomic<int> frameIntervalMs_{0};
    std::atomic<double> playbackSpeed_{1.0};
    PlaybackClock playbackClock_;
    std::string startRefusal_;
    std::atomic<int> startStallMs_{0};
    int lastCommand_ = -1;
    int commandCount_ = 0;
};
