#include "radar/ZoneRecorder.h"

#include "contracts/RadarListeners.h"

std::vector<ZoneReport> CZoneRecorder::Reports(const std::vector<CalibratedObject>& objects,
                                               const std::vector<SectorScene::TrackMembership>& accepted) {
    std::vector<ZoneReport> reports;
    reports.reserve(accepted.size());
    for (const SectorScene::TrackMembership& m : accepted) {
        ZoneReport r{m.id, 0, 0, m.areas};
        for (const CalibratedObject& c : objects) {
            if (c.objectId == m.id) {
                r.distance = c.distance;
                r.angle = c.angle;
            }
        }
        reports.push_back(r);
    }
    return reports;
}

void CZoneRecorder::Start(const wchar_t* logFolder) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_tracker = ZoneTracker();
    m_log.OpenInFolder(logFolder);
    m_running = true;
    m_timed = false;
}

void CZoneRecorder::OnDelivery(CPtrCtrl* objects, const std::vector<CalibratedObject>& calibrated,
                               const std::vector<SectorScene::TrackMembership>& accepted) {
    if (!objects || objects->GetCount() == 0) return;
    const auto* first = static_cast<const DetectedObject*>(objects->GetAt(0));
    if (!first) return;
    const std::vector<ZoneReport> reports = Reports(calibrated, accepted);
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_running) return;
    if (!m_timed) {
        // The wall clock of stream time 0, for the clock column.
        FILETIME now;
        ::GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER start{{now.dwLowDateTime, now.dwHighDateTime}};
        start.QuadPart -= static_cast<uint64_t>(first->streamMs) * 10000;
        m_log.SetStreamStart(FILETIME{start.LowPart, start.HighPart});
        m_timed = true;
    }
    m_lastStreamMs = first->streamMs;
    m_lastTick = MS_GetTime();
    std::vector<ZoneEvent> events;
    m_tracker.Frame(first->streamMs, reports.data(), static_cast<int>(reports.size()), events);
    m_log.Write(events);
}

void CZoneRecorder::Tick() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_running) return;
    if (m_timed) {
        // Stream time goes on while no target is delivered: the last frame's time plus the time since.
        std::vector<ZoneEvent> events;
        m_tracker.Expire(m_lastStreamMs + (MS_GetTime() - m_lastTick), events);
        m_log.Write(events);
    }
    m_log.Flush();
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
