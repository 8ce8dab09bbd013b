#pragma once
// The zone events of the console's runs: one event file per run, fed by every delivery with the
// view's membership of the reports it accepted, expired by the presence tick, closed at the stop.
// Deliveries arrive on the radar library's thread, the rest on the user-interface thread.
#include <cstdint>
#include <mutex>
#include <vector>

#include "areas/ZoneEventLog.h"
#include "areas/ZoneTracker.h"
#include "radar/DetectionPipeline.h"
#include "view/SectorScene.h"

class CZoneRecorder {
public:
    // The reports of one delivery: the accepted ones, at the position the library delivered.
    static std::vector<ZoneReport> Reports(const std::vector<CalibratedObject>& objects,
                                           const std::vector<SectorScene::TrackMembership>& accepted);

    // A run starts: a new event file in logFolder (none when it cannot be made; the run goes on).
    void Start(const wchar_t* logFolder);
    // Library thread: objects (DetectedObject pointers) carry the frame's stream time.
    void OnDelivery(CPtrCtrl* objects, const std::vector<CalibratedObject>& calibrated,
                    const std::vector<SectorScene::TrackMembership>& accepted);
    // Presence tick: targets silent for too long leave, and the file reaches the disk.
    void Tick();
    // The run stopped (no delivery runs any more): open stays close, the file closes.
    void Stop();
    // The run never started: its event file goes.
    void Abandon();

    int Inside(int area) const;

private:
    mutable std::mutex m_lock;
    ZoneTracker m_tracker;
    ZoneEventLog m_log;
    bool m_running = false;
    bool m_timed = false;       // a delivery with a time has arrived
    uint32_t m_lastStreamMs = 0;
    uint32_t m_lastTick = 0;    // MS_GetTime at that delivery
};
