#include "radar/PlaybackReview.h"

#include <algorithm>

#include "contracts/ROVA_DataProcess.h"
#include "framework/AnsiText.h"

CPlaybackReview::Library CPlaybackReview::Exports() {
    Library l;
    l.state = [](tagRADARPLAYBACKSTATE& s) {
        s = tagRADARPLAYBACKSTATE{};
        s.structSize = sizeof s;
        return ROVA_Interface_RadarPlayback_GetState(&s) == 1;
    };
    l.seek = [](uint64_t ms) { return ROVA_Interface_RadarPlayback_Seek(ms, nullptr) == 1; };
    l.speed = [](double factor) { return ROVA_Interface_RadarPlayback_SetSpeed(factor) == 1; };
    l.step = [] { return ROVA_Interface_RadarPlayback_Step() == 1; };
    l.loop = [](bool loop) { ROVA_Interface_RadarDevice_File_SetLoopReadFile(loop ? 1 : 0); };
    return l;
}

CPlaybackReview::CPlaybackReview(Library library, std::function<void(const std::string&)> log)
    : m_library(std::move(library)), m_log(std::move(log)) {}

bool CPlaybackReview::Refresh(TimelineModel& model) {
    tagRADARPLAYBACKSTATE s{};
    if (!m_library.state || !m_library.state(s) || !s.started) return false;
    // The spacing of frames as they come, for a step back while paused.
    if (s.generation == m_lastGeneration && s.currentMs > m_lastCurrent && s.currentMs - m_lastCurrent <= 1000 &&
        s.pass == m_state.pass) {
        const uint64_t spacing = s.currentMs - m_lastCurrent;
        if (m_state.paused || spacing < m_frameMs * 2) m_frameMs = spacing;
    }
    m_lastCurrent = s.currentMs;
    m_lastGeneration = s.generation;
    m_state = s;
    model.SetRange(s.firstMs, s.lastMs);
    model.SetPosition(s.currentMs);
    model.SetLoop(s.loop != 0);
    return true;
}

bool CPlaybackReview::SeekTo(uint64_t ms, TimelineModel& model) {
    const uint64_t from = model.Position();
    if (!m_library.seek || !m_library.seek(ms)) return false;
    model.SetPosition(ms);
    if (m_log) {
        auto at = [&model](uint64_t t) { return rova::WideToAnsi(TimelineModel::FormatDuration(t - model.First()).c_str()); };
        m_log("playback jumped from " + at(from) + " to " + at(model.Position()) + " (stream time " +
              std::to_string(from) + " ms to " + std::to_string(ms) + " ms)");
    }
    // A paused playback shows the frame it jumped to.
    if (m_state.paused && m_library.step) m_library.step();
    return true;
}

bool CPlaybackReview::ApplySpeed(int index) {
    if (index < 0 || index >= TimelineModel::kSpeedCount || !m_library.speed) return false;
    return m_library.speed(TimelineModel::kSpeeds[index]);
}

bool CPlaybackReview::Step() { return m_state.paused && m_library.step && m_library.step(); }

void CPlaybackReview::ApplyLoop(bool loop) {
    if (m_library.loop) m_library.loop(loop);
}

bool CPlaybackReview::OnKey(Key key, TimelineModel& model) {
    switch (key) {
    case Key::Left:
        if (m_state.paused) {
            // The frame before: the first frame at or after a point between it and the one before
            // it, whatever the spacing's jitter.
            if (model.Position() <= model.First()) return false;
            const uint64_t back = m_frameMs + m_frameMs / 2;
            return SeekTo(model.Position() - std::min(back, model.Position() - model.First()), model);
        }
        return SeekTo(model.Back(), model);
    case Key::Right:
        return m_state.paused ? Step() : SeekTo(model.Forward(), model);
    case Key::Home:
        return SeekTo(model.First(), model);
    case Key::End:
        return SeekTo(model.Last(), model);
    case Key::Faster:
        return model.Faster() && ApplySpeed(model.SpeedIndex());
    case Key::Slower:
        return model.Slower() && ApplySpeed(model.SpeedIndex());
    case Key::NextMark:
    case Key::PreviousMark: {
        const int mark = key == Key::NextMark ? model.NextMark() : model.PreviousMark();
        return mark >= 0 && SeekTo(model.MarkTarget(mark), model);
    }
    }
    return false;
}
