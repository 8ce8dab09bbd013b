#include "PlaybackPacer.h"

#include <algorithm>
#include <cmath>

CPlaybackPacer::CPlaybackPacer(int64_t frequency, double speed)
    : frequency_(frequency > 0 ? frequency : 1), speed_(speed > 0 ? speed : 0) {}

void CPlaybackPacer::SetSpeed(double speed, int64_t now) {
    speed = speed > 0 ? speed : 0;
    if (anchored_ && any_) {
        // Where the playback stands now at the old speed: the pace goes on from there.
        uint64_t position = lastUs_;
        if (speed_ > 0 && now > baseTicks_) {
            const double elapsedUs = static_cast<double>(now - baseTicks_) * 1e6 / static_cast<double>(frequency_);
            position = std::max(lastUs_, baseUs_ + static_cast<uint64_t>(elapsedUs * speed_));
        }
        baseTicks_ = now;
        baseUs_ = position;
    } else {
        anchored_ = false;
    }
    speed_ = speed;
}

int64_t CPlaybackPacer::Wait(uint64_t timeUs, int64_t now) {
    // As fast as possible, every frame is the anchor: a slower speed goes on from the last one.
    if (speed_ <= 0 || !anchored_ || timeUs < baseUs_ || (any_ && (timeUs < lastUs_ || timeUs - lastUs_ > kMaxGapUs))) {
        anchored_ = true;
        baseTicks_ = now;
        baseUs_ = timeUs;
        return 0;
    }
    const double dueTicks = static_cast<double>(timeUs - baseUs_) / 1e6 / speed_ * static_cast<double>(frequency_);
    const int64_t due = baseTicks_ + std::llround(dueTicks);
    if (now - due > frequency_ / 5) {
        // Held up (a slow listener, a busy machine): go on from here at the recorded pace.
        baseTicks_ = now;
        baseUs_ = timeUs;
        return 0;
    }
    return due > now ? due - now : 0;
}
