#include "tools/zones/ZoneReplay.h"

#include <algorithm>

#include "areas/AreaConfigStore.h"
#include "areas/DetectBound.h"

namespace {

// The view's overlay operations on a scene without a window.
class SceneOverlayTarget : public IAreaOverlayTarget {
public:
    explicit SceneOverlayTarget(SectorScene& scene) : m_scene(scene) {}
    void SetDetectArea(const AreaVertex* v, int count) override { m_scene.SetDetectArea(v, count); }
    int AddMonitorArea(const AreaVertex* v, int count, uint32_t inactive, uint32_t active) override {
        return m_scene.AddMonitorArea(v, count, inactive, active);
    }
    void ClearMonitorAreas() override { m_scene.ClearMonitorAreas(); }
    void ClearDetectArea() override { m_scene.ClearDetectArea(); }
    // Monitor points play no part in zones.
    void ClearMonitorPoints() override {}
    void AddMonitorPoint(double, double, double, const wchar_t*, uint32_t, uint32_t, uint32_t) override {}
    void SetGateRange(double gateMin, double gateMax, int gateCount) override {
        m_scene.SetGateRange(gateMin, gateMax, gateCount);
    }
    FanLayout GetFanLayout() const override {
        const SectorGeometry& g = m_scene.Geometry();
        return FanLayout{g.fan.right - g.fan.left, g.fan.bottom - g.fan.top, g.fan.top - g.plot.top,
                         g.fan.left - g.plot.left};
    }
    std::vector<AreaVertex> GetDetectAreaPlotVertices() const override {
        const AreaSlot& s = m_scene.Slot(kDetectAreaSlot);
        return s.used ? s.vertices : std::vector<AreaVertex>();
    }

private:
    SectorScene& m_scene;
};

}  // namespace

ZoneReplay::ZoneReplay() {
    // Track points age by the recording's clock, not by how fast the replay runs.
    m_scene.SetClock([this] { return m_nowMs; });
    for (int k = 0; k < kZoneAreaCount; ++k) m_summary[k].area = k;
}

bool ZoneReplay::StoredFanSize(XMLParser& config, int* width, int* height) {
    const XMLNode root = config.AppConfig();
    if (root.IsNull()) return false;
    bool found = false;
    auto look = [&](const XMLNode& element) {
        if (found) return;
        int32_t bound[2] = {};
        if (element.ParsePointPairs("BoundSize", kDigitalTypeInt32, bound, 1) == 1 && bound[0] > 0 && bound[1] > 0) {
            *width = bound[0];
            *height = bound[1];
            found = true;
        }
    };
    root.ForEachChild("MonitorArea", look);
    root.ForEachChild("AlgorithmArea", look);
    return found;
}

void ZoneReplay::Configure(XMLParser& config, const tagRADARPARAMETER& record, int fanWidth, int fanHeight) {
    m_settings = RootSettings{};
    m_settings.Reset(record.gateMinDefault, record.gateMaxDefault);
    m_settings.Load(config.AppConfig());
    SectorScene::Settings view;
    view.displayTime = static_cast<uint32_t>(m_settings.displayTime);
    view.smoothCount = m_settings.smoothCount;
    view.drawLocus = m_settings.drawLocus;
    view.locusRadiusScale = m_settings.locusRadiusScale;
    m_scene.ApplySettings(m_settings.topViewMode, m_settings.angleStart, m_settings.angleStop, m_settings.angleStep,
                          m_settings.sectorCount, m_settings.radiusScale, view);
    m_scene.SetGateRange(m_settings.gateMin, m_settings.gateMax, record.gateCount);
    // A plot of the fan's own size puts the fan at its corner: the fan of a w x h plot is 2R x R
    // with R = min(w / 2, h).
    m_scene.Layout(std::max(1, fanWidth), std::max(1, fanHeight));
    SceneOverlayTarget target(m_scene);
    AreaConfigStore store(config, [] { return true; });
    store.LoadAreas(target);
    m_angleSlope = record.angleSlope;
    m_angleOffset = record.angleOffset;
    m_density.assign(static_cast<size_t>(m_scene.Geometry().width) * m_scene.Geometry().height, 0);
}

std::vector<int32_t> ZoneReplay::DetectBoundPairs(const tagRADARPARAMETER& record) const {
    const SectorGeometry& g = m_scene.Geometry();
    std::vector<AreaVertex> v = m_scene.Slot(kDetectAreaSlot).used ? m_scene.Slot(kDetectAreaSlot).vertices
                                                                   : std::vector<AreaVertex>();
    for (AreaVertex& p : v) {
        p.row -= g.fan.top - g.plot.top;
        p.column -= g.fan.left - g.plot.left;
    }
    DetectBoundParams params;
    params.gateCount = record.gateCount;
    params.boundLimit = record.boundLimit;
    params.angleSlope = record.angleSlope;
    params.topViewMode = m_settings.topViewMode;
    return DetectBound::Compute(v.data(), static_cast<int>(v.size()), g.fan.right - g.fan.left,
                                g.fan.bottom - g.fan.top, params);
}

int ZoneReplay::MonitorAreaCount() const noexcept {
    int n = 0;
    for (int k = 1; k < kAreaSlotCount; ++k) n += m_scene.Slot(k).used ? 1 : 0;
    return n;
}

void ZoneReplay::Emit(std::vector<ZoneEvent>& events) {
    for (const ZoneEvent& e : events) {
        ZoneAreaSummary& s = m_summary[e.area];
        if (e.kind == ZoneEvent::Entry) {
            ++s.entries;
        } else {
            s.totalDwellMs += e.dwellMs;
            s.longestDwellMs = std::max(s.longestDwellMs, e.dwellMs);
        }
    }
    if (m_sink && !events.empty()) m_sink(events);
    events.clear();
}

void ZoneReplay::BeginFile(const FILETIME& startUtc, bool firstStampKnown, uint32_t firstStampMs) {
    m_fileStart = (static_cast<uint64_t>(startUtc.dwHighDateTime) << 32) | startUtc.dwLowDateTime;
    m_fileKnown = m_fileStart != 0;
    m_fileStampKnown = firstStampKnown;
    m_fileStampMs = firstStampMs;
    m_fileBegins = true;
}

FILETIME ZoneReplay::ClockStart() const noexcept {
    const uint64_t start = m_clock.Anchor();
    return FILETIME{static_cast<DWORD>(start), static_cast<DWORD>(start >> 32)};
}

void ZoneReplay::Delivery(CPtrCtrl* objects) {
    const DeliveredFrame& frame = m_delivery.Read(objects, m_angleSlope, m_angleOffset);
    if (!frame.timed) return;
    m_nowMs = frame.streamMs;
    // When the first delivery of a file happened: the file's start plus the time from its first
    // frame (at the file's start when that frame is damaged). A recording says nothing of the wall
    // clock of later frames: a stream that starts again within a file goes on from the last time.
    uint64_t wall = 0;
    const bool fileBegins = m_fileBegins;
    if (fileBegins) {
        m_fileBegins = false;
        const uint32_t sinceFileStart = m_fileStampKnown ? m_nowMs - m_fileStampMs : 0;
        if (m_fileKnown && sinceFileStart < 0x80000000u) {
            wall = m_fileStart + static_cast<uint64_t>(sinceFileStart) * ZoneClock::kFileTimePerMs;
        }
    }
    const uint64_t zoneMs = m_clock.Frame(m_nowMs, wall, fileBegins);
    if (!m_started) {
        m_started = true;
        m_firstMs = zoneMs;
    }
    m_lastMs = zoneMs;
    ++m_deliveries;

    // The console's own step, with the view's clock at the frame's stream time.
    m_delivery.Complete();
    if (m_deliverySink) m_deliverySink(frame);

    const std::vector<ZoneReport>& reports = frame.reports;
    const SectorGeometry& g = m_scene.Geometry();
    for (const TrackMembership& m : frame.accepted) {
        int x, y;
        if (g.RangeAngleToPixel(m.range, m.angle, &x, &y)) ++m_density[static_cast<size_t>(y) * g.width + x];
    }
    m_reports += reports.size();
    std::vector<ZoneEvent> events;
    m_tracker.Frame(zoneMs, reports.data(), static_cast<int>(reports.size()), events);
    for (int k = 1; k < kZoneAreaCount; ++k) {
        m_summary[k].mostAtOnce = std::max(m_summary[k].mostAtOnce, m_tracker.Inside(k));
    }
    Emit(events);
}

void ZoneReplay::Finish() {
    std::vector<ZoneEvent> events;
    m_tracker.Finish(events);
    Emit(events);
}

std::vector<ZoneAreaSummary> ZoneReplay::Summary() const {
    std::vector<ZoneAreaSummary> out;
    for (int k = 1; k < kAreaSlotCount; ++k) {
        if (m_scene.Slot(k).used) out.push_back(m_summary[k]);
    }
    return out;
}
