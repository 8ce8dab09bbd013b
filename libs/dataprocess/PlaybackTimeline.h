// The time of a playback: the recorded time stamps, made to grow where a folder holds several
// recordings one after the other and the stamps start over. The index and the reading thread
// apply it to the same frames in the same order, so they agree on every frame's time.
#pragma once

#include <cstdint>

class CPlaybackTimeline {
public:
    // A later recording continues this long after the last frame of the one before.
    static constexpr uint64_t kSeamUs = 100'000;

    // The first frame from now on keeps its time stamp (a new pass over the files).
    void Reset() {
        any_ = false;
        anchored_ = false;
        offsetUs_ = 0;
    }
    // The next frame gets timeUs: reading resumes at a frame whose time the index knows.
    void AnchorAt(uint64_t timeUs) {
        anchored_ = true;
        anchorUs_ = timeUs;
    }
    // The time of the next frame read, from its recorded stamp.
    uint64_t Next(uint64_t stampUs) {
        if (anchored_) {
            offsetUs_ = static_cast<int64_t>(anchorUs_) - static_cast<int64_t>(stampUs);
            anchored_ = false;
        } else if (any_ && stampUs < lastStampUs_) {
            const uint64_t last = static_cast<uint64_t>(static_cast<int64_t>(lastStampUs_) + offsetUs_);
            offsetUs_ = static_cast<int64_t>(last + kSeamUs) - static_cast<int64_t>(stampUs);
        }
        any_ = true;
        lastStampUs_ = stampUs;
        return static_cast<uint64_t>(static_cast<int64_t>(stampUs) + offsetUs_);
    }

private:
    bool any_ = false;
    bool anchored_ = false;
    uint64_t anchorUs_ = 0;
    uint64_t lastStampUs_ = 0;
    int64_t offsetUs_ = 0;
};
