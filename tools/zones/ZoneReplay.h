#pragma once
// The zone side of a replay, without the radar library: the settings file's view settings and
// areas laid out at a fan size, the deliveries of the recording turned into view targets exactly as
// the console turns them, the view's own area membership of every accepted report, the zone events
// of those, and what the summary and the heatmap need. The clock of the view is the recording's.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/RootSettings.h"
#include "settings/XMLParser.h"
#include "areas/ZoneClock.h"
#include "areas/ZoneTracker.h"
#include "contracts/ROVA_DataProcess.h"
#include "radar/FrameDelivery.h"
#include "view/SectorScene.h"

struct ZoneAreaSummary {
    int area = 0;
    int entries = 0;
    uint64_t totalDwellMs = 0;
    uint64_t longestDwellMs = 0;
    int mostAtOnce = 0;
};

class ZoneReplay {
public:
    using EventSink = std::function<void(const std::vector<ZoneEvent>&)>;

    ZoneReplay();
    ZoneReplay(const ZoneReplay&) = delete;
    ZoneReplay& operator=(const ZoneReplay&) = delete;

    // The fan size the areas were stored with: the first "BoundSize" of a monitor or detect area;
    // false when no area has one.
    static bool StoredFanSize(XMLParser& config, int* width, int* height);

    // Lays the view out so that its fan is fanWidth x fanHeight, applies the view settings of
    // config (the gate range of record where the file has none) and loads its areas.
    void Configure(XMLParser& config, const tagRADARPARAMETER& record, int fanWidth, int fanHeight);
    // The detect area in the units of the radar library's filters, as the console sends it at start.
    std::vector<int32_t> DetectBoundPairs(const tagRADARPARAMETER& record) const;

    void SetEventSink(EventSink sink) { m_sink = std::move(sink); }
    // What the console's zone recorder is given of each delivery: the frame after the delivery step.
    using DeliverySink = std::function<void(const DeliveredFrame&)>;
    void SetDeliverySink(DeliverySink sink) { m_deliverySink = std::move(sink); }
    // The deliveries that follow come from a recorded file that started at startUtc (its header),
    // whose first frame is stamped firstStampMs (when known): they are dated by it, and a stream
    // that starts again there goes on from it (see ZoneClock).
    void BeginFile(const FILETIME& startUtc, bool firstStampKnown, uint32_t firstStampMs);
    // The wall clock (UTC) of zone time 0 for the clock column; zero when no file said it.
    FILETIME ClockStart() const noexcept;
    // One delivery of the radar library (DetectedObject pointers). Deliveries without objects
    // carry no time and change nothing.
    void Delivery(CPtrCtrl* objects);
    // The recording ended: open stays close.
    void Finish();

    const SectorScene& Scene() const noexcept { return m_scene; }
    int MonitorAreaCount() const noexcept;
    std::vector<ZoneAreaSummary> Summary() const;
    // Accepted report positions per plot pixel over the whole replay.
    const std::vector<uint32_t>& Density() const noexcept { return m_density; }
    uint64_t Deliveries() const noexcept { return m_deliveries; }
    uint64_t Reports() const noexcept { return m_reports; }
    // Zone times (ms) of the first and the last delivery.
    uint64_t FirstMs() const noexcept { return m_firstMs; }
    uint64_t LastMs() const noexcept { return m_lastMs; }

private:
    void Emit(std::vector<ZoneEvent>& events);

    SectorScene m_scene;
    CFrameDelivery m_delivery{nullptr, nullptr, m_scene};  // the console's own step, without labels or files
    RootSettings m_settings;
    ZoneTracker m_tracker;
    double m_angleSlope = 1.0, m_angleOffset = 0.0;
    uint32_t m_nowMs = 0;  // the stream stamp of the delivery, the view's clock
    ZoneClock m_clock;
    // The file the deliveries come from: its start and the stamp of its first frame.
    bool m_fileBegins = false, m_fileKnown = false, m_fileStampKnown = false;
    uint64_t m_fileStart = 0;
    uint32_t m_fileStampMs = 0;
    EventSink m_sink;
    DeliverySink m_deliverySink;
    ZoneAreaSummary m_summary[kZoneAreaCount];
    std::vector<uint32_t> m_density;
    uint64_t m_deliveries = 0, m_reports = 0;
    uint64_t m_firstMs = 0, m_lastMs = 0;
    bool m_started = false;
};
