#pragma once
// A playback the operator reviews: the library's position into the timeline, and the timeline's
// and the keyboard's choices (seek, speed, step, loop) into the library. Every jump leaves a line
// in the run's event log, so the files of a reviewed playback can be read afterwards.
// User-interface thread only.
#include <cstdint>
#include <functional>
#include <string>

#include "contracts/ROVA_Playback.h"
#include "controls/TimelineModel.h"

class CPlaybackReview {
public:
    // The library's review functions; tests give their own.
    struct Library {
        std::function<bool(tagRADARPLAYBACKSTATE&)> state;
        std::function<bool(uint64_t)> seek;
        std::function<bool(double)> speed;
        std::function<bool()> step;
        std::function<void(bool)> loop;
    };
    static Library Exports();

    static constexpr uint64_t kDefaultFrameMs = 50;

    CPlaybackReview(Library library, std::function<void(const std::string&)> log);

    // The library's state into model (range, position, loop); false when no playback runs.
    bool Refresh(TimelineModel& model);
    const tagRADARPLAYBACKSTATE& State() const noexcept { return m_state; }
    bool Paused() const noexcept { return m_state.paused != 0; }

    // Jumps to ms; a paused playback shows the frame there. Logged from where to where.
    bool SeekTo(uint64_t ms, TimelineModel& model);
    bool ApplySpeed(int index);
    bool Step();
    void ApplyLoop(bool loop);

    enum class Key { Left, Right, Home, End, Faster, Slower, NextMark, PreviousMark };
    // Left/Right: 5 s back or on, one frame while paused; Home/End; +/-: the speed choices;
    // N/P: the next or previous zone mark, two seconds before it. True when something was done.
    bool OnKey(Key key, TimelineModel& model);

private:
    Library m_library;
    std::function<void(const std::string&)> m_log;
    tagRADARPLAYBACKSTATE m_state{};
    uint64_t m_frameMs = kDefaultFrameMs;  // the recording's frame spacing as last seen
    uint64_t m_lastCurrent = 0;
    uint32_t m_lastGeneration = 0;
};
