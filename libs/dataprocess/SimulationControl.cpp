#include "SimulationControl.h"

CSimulationControl& CSimulationControl::Instance() {
    static CSimulationControl instance;
    return instance;
}

void CSimulationControl::Reset() {
    std::lock_guard lock(mutex_);
    present_ = true;
    openFailure_.clear();
    script_.clear();
    frameIntervalMs_ = 0;
    playbackSpeed_ = 1.0;
    playbackClock_ = PlaybackClock{};
    lastCommand_ = -1;
    commandCount_ = 0;
    startRefusal_.clear();
    startStallMs_ = 0;
    streamStarts = 0;
    streamStops = 0;
}

std::string CSimulationControl::OpenFailure() const {
    std::lock_guard lock(mutex_);
    return openFailure_;
}

void CSimulationControl::SetOpenFailure(const char* text) {
    std::lock_guard lock(mutex_);
    openFailure_ = text ? text : "";
}

std::vector<RadarFrame> CSimulationControl::Script() const {
    std::lock_guard lock(mutex_);
    return script_;
}

void CSimulationControl::ClearScript() {
    std::lock_guard lock(mutex_);
    script_.clear();
}

void CSimulationControl::AddScriptFrame(RadarFrame frame) {
    std::lock_guard lock(mutex_);
    script_.push_back(std::move(frame));
}

void CSimulationControl::RecordCommand(int command) {
    std::lock_guard lock(mutex_);
    lastCommand_ = command;
    commandCount_ += 1;
}

int CSimulationControl::LastCommand(int* command) const {
    std::lock_guard lock(mutex_);
    if (command) *command = lastCommand_;
    return commandCount_;
}

std::string CSimulationControl::StartRefusal() const {
    std::lock_guard lock(mutex_);
    return startRefusal_;
}

void CSimulationControl::SetStartRefusal(const char* text) {
    std::lock_guard lock(mutex_);
    startRefusal_ = text ? text : "";
}

CSimulationControl::PlaybackClock CSimulationControl::playbackClock() const {
    std::lock_guard lock(mutex_);
    return playbackClock_;
}

void CSimulationControl::SetPlaybackClock(const PlaybackClock& clock) {
    std::lock_guard lock(mutex_);
    playbackClock_ = clock.now && clock.wait ? clock : PlaybackClock{};
}
