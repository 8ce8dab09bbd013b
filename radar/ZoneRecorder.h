#pragma once
// The zone events of the console's runs: one event file per run, fed by every delivery with the
// view's membership of the reports it accepted, expired by the presence tick, closed at the stop.
// Deliveries arrive on the radar library's thread, the rest on the user-interface thread.
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "areas/ZoneClock.h"
#include "areas/ZoneEventLog.h"
#include "areas/ZoneTracker.h"
#include "radar/FrameDelivery.h"

class CZoneRecorder {
public:
    // What a test replaces: the millisecond clock of the presence tick (MS_GetTime) and the wall
    // clock (UTC) that dates the stream.
    struct Hooks {
        std::function<uint32_t()> tickMs;
        std::function<FILETIME()> wallClock;
    };

    CZoneRecorder();
    explicit CZoneRecorder(Hooks hooks);
    CZoneRecorder(const CZoneRecorder&) = delete;
    CZoneRecorder& operator=(const CZoneRecorder&) = delete;

    // A run starts: a new event file in logFolder (none when it cannot be made; the run goes on).
    void Start(const wchar_t* logFolder);
    // Library thread: the frame's accepted reports at its stream time. A stream that starts again
    // (a reconnect) goes on from the wall clock; see ZoneClock.
    void OnDelivery(const DeliveredFrame& frame);
    // Presence tick: targets silent for too long leave (the zone time runs on by the tick clock
    // from the last delivery, except while paused), and the file reaches the disk.
    void Tick();
    // A paused playback delivers nothing and its targets stand still: the zone time stops with it,
    // so that the events are those of a replay of the same recording. The run controller says so
    // at every pause and resume.
    void SetPaused(bool paused);
    // A playback jumped: open stays close where their targets were last seen, and the zone time
    // starts again at the stream time of the next frame, so nothing is counted across the jump and
    // the times after it are the recording's. The file stays open.
    void Jump();
    // The run stopped (no delivery runs any more): open stays close, the file closes.
    void Stop();
    // The run never started: its event file goes.
    void Abandon();

    int Inside(int area) const;
    // Bytes an event file may reach before the events go on in a new one; 0: no limit.
    void SetFileLimit(uint64_t bytes) { m_log.SetSizeLimit(bytes); }
    // Whether the event file takes the events; its own lock, never the recorder's.
    LineFileHealth FileHealth() const { return m_log.Health(); }
    bool FileOpen() const { return m_log.IsOpen(); }

private:
    Hooks m_hooks;
    mutable std::mutex m_lock;
    ZoneTracker m_tracker;
    ZoneEventLog m_log;
    bool m_running = false;
    ZoneClock m_clock;          // the zone time of the deliveries
    bool m_paused = false;
    uint32_t m_lastTick = 0;    // tick clock at the last delivery, or at the end of a pause
    uint32_t m_runningMs = 0;   // running time from the last delivery to the pause
};
