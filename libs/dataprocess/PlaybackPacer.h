// The pace of a playback: a frame is due when its time, divided by the speed, has passed since
// the anchor (a frame and the moment it went out). The anchor is set again where keeping it would
// make frames come in a burst or after a long wait: at the start, after a seek, a step, a resume
// or a new pass, when the playback was held up, at a gap of more than kMaxGapUs between two
// frames (a recording that stood still), and at a change of speed, which keeps the position the
// playback had reached. Plain logic on the ticks of any clock of the given frequency.
#pragma once

#include <cstdint>

class CPlaybackPacer {
public:
    static constexpr uint64_t kMaxGapUs = 5'000'000;

    explicit CPlaybackPacer(int64_t frequency, double speed = 1.0);

    // The next frame is due at once and sets the anchor.
    void Restart() { anchored_ = false; }
    // speed: factor of the recorded pace; 0 or less: no pacing at all.
    void SetSpeed(double speed, int64_t now);
    double speed() const { return speed_; }
    // Ticks to wait from now until the frame of timeUs is due; 0 when it is due.
    int64_t Wait(uint64_t timeUs, int64_t now);
    // The frame of timeUs went out.
    void Delivered(uint64_t timeUs) {
        lastUs_ = timeUs;
        any_ = true;
    }

private:
    int64_t frequency_;
    double speed_;
    bool anchored_ = false;
    bool any_ = false;
    int64_t baseTicks_ = 0;
    uint64_t baseUs_ = 0;
    uint64_t lastUs_ = 0;
};
