#include "radar/ZoneRecorder.h"


CZoneRecorder::CZoneRecorder() : CZoneRecorder(Hooks{}) {}

CZoneRecorder::CZoneRecorder(Hooks hooks) : m_hooks(std::move(hooks)) {
    if (!m_hooks.tickMs) m_hooks.tickMs = [] { return MS_GetTime(); };
    if (!m_hooks.wallClock) {
        m_hooks.wallClock = [] {
            FILETIME now;
            ::GetSystemTimeAsFileTime(&now);
            return now;
        };
    }
}

void CZoneRecorder::Start(const wchar_t* logFolder) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_tracker = ZoneTracker();
    m_log.OpenInFolder(logFolder);
    m_running = true;
    m_clock = ZoneClock();
    m_paused = false;
    m_runningMs = 0;
}

void CZoneRecorder::OnDelivery(const DeliveredFrame& frame) {
    if (!frame.timed) return;
    const std::vector<ZoneReport>& reports = frame.reports;
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_running) return;
    const FILETIME wall = m_hooks.wallClock();
    const uint64_t anchor = m_clock.Anchor();
    const uint64_t nowMs =
        m_clock.Frame(frame.streamMs, (static_cast<uint64_t>(wall.dwHighDateTime) << 32) | wall.dwLowDateTime);
    // The clock column: the wall clock of zone time 0, set at the first delivery and again when
    // the stream started over.
    if (m_clock.Anchor() != anchor) {
        const uint64_t start = m_clock.Anchor();
        m_log.SetStreamStart(FILETIME{static_cast<DWORD>(start), static_cast<DWORD>(start >> 32)});
    }
    m_lastTick = m_hooks.tickMs();
    m_runningMs = 0;
    std::vector<ZoneEvent> events;
    m_tracker.Frame(nowMs, reports.data(), static_cast<int>(reports.size()), events);
    m_log.Write(events);
}

void CZoneRecorder::SetPaused(bool paused) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (paused == m_paused) return;
    const uint32_t now = m_hooks.tickMs();
    if (paused) {
        m_runningMs += now - m_lastTick;
    } else {
        m_lastTick = now;
    }
    m_paused = paused;
}

void CZoneRecorder::Tick() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_running) return;
    if (m_clock.Started() && !m_paused) {
        // The stream goes on while no target is delivered: the last frame's time plus the running
        // time since.
        const uint64_t runningMs = static_cast<uint64_t>(m_runningMs) + (m_hooks.tickMs() - m_lastTick);
        std::vector<ZoneEvent> events;
        m_tracker.Expire(m_clock.LastMs() + runningMs, events);
        m_log.Write(events);
    }
    m_log.Flush();
}

void CZoneRecorder::Jump() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_running) return;
    std::vector<ZoneEvent> events;
    m_tracker.Finish(events);
    m_log.Write(events);
    m_tracker = ZoneTracker();
    m_clock = ZoneClock();
    m_runningMs = 0;
}

void CZoneRecorder::Stop() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_running) return;
    std::vector<ZoneEvent> events;
    m_tracker.Finish(events);
    m_log.Write(events);
    m_log.Close();
    m_running = false;
}

void CZoneRecorder::Abandon() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_running) return;
    m_log.Discard();
    m_running = false;
}

int CZoneRecorder::Inside(int area) const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_tracker.Inside(area);
}
