#include "view/SectorScene.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cmath>
#include <cstring>

#include "view/AreaMapBuilder.h"
#include "view/MarkerImage.h"
#include "view/PixelMath.h"
#include "view/RectUnion.h"
#include "view/TrackLineRaster.h"

using namespace pixelmath;

SectorScene::SectorScene()
    : clock_([] { return MS_GetTime(); }),
      markerRenderer_([](uint32_t* pixels, int w, int h, uint32_t colour, const std::wstring&, COLORREF) {
          RenderMarkerDisc(pixels, w, h, colour);
      }) {}

SectorScene::~SectorScene() {
    ClearTargets();
    ClearMonitorPoints();
}

void SectorScene::SetClock(Clock clock) {
    CAutoBaseLock lock(targetLock_);
    clock_ = std::move(clock);
}

void SectorScene::SetMarkerRenderer(MarkerRenderer renderer) { markerRenderer_ = std::move(renderer); }

void SectorScene::ApplySettings(int32_t topViewMode, double angleStart, double angleStop, double angleStep,
                                int32_t sectorCount, double radiusScale, const Settings& settings) {
    CAutoBaseLock lock(targetLock_);
    geom_.topViewMode = topViewMode;
    geom_.angleStart = SectorGeometry::ClampAngle(angleStart);
    geom_.angleStop = SectorGeometry::ClampAngle(angleStop);
    geom_.angleStep = SectorGeometry::ClampAngleStep(angleStep);
    geom_.sectorCount = sectorCount;
    geom_.radiusScale = radiusScale;
    settings_ = settings;
    settings_.smoothCount = SectorGeometry::ClampSmoothCount(settings.smoothCount);
    lastFrameValid_ = false;
}

bool SectorScene::SetGateRange(double gateMin, double gateMax, int32_t gateCount) {
    SectorGeometry g = geom_;
    g.SetGateRange(gateMin, gateMax, gateCount);
    std::vector<uint8_t> mask;
    if (laidOut_) {
        mask.resize(static_cast<size_t>(g.width) * g.height);
        g.BuildFanMask(mask.data());
    }
    CAutoBaseLock lock(targetLock_);
    geom_.gateMin = g.gateMin;
    geom_.gateMax = g.gateMax;
    geom_.gateCount = g.gateCount;
    if (laidOut_) fanMask_.swap(mask);
    lastFrameValid_ = false;
    return laidOut_;
}

void SectorScene::Layout(int w, int h) {
    SectorGeometry g = geom_;
    g.Layout(w, h);
    const size_t total = static_cast<size_t>(g.width) * g.height;
    std::vector<uint8_t> mask(total);
    g.BuildFanMask(mask.data());
    std::vector<uint32_t> map(total);
    std::vector<int> first, last;
    std::vector<uint64_t> detect;
    AreaMapBuilder::Build(slots_, kAreaSlotCount, g.width, g.height, map.data(), &first, &last, &detect);

    // Marker images at the new size, rendered before the lock (only this thread adds points).
    std::vector<MonitorPointEntry> fresh;
    for (int i = 0; i < monitorPoints_.GetCount(); ++i) {
        auto* e = static_cast<MonitorPointEntry*>(monitorPoints_.GetAt(i));
        MonitorPointEntry copy;
        copy.label = e->label;
        copy.textColour = e->textColour;
        copy.inactiveColour = e->inactiveColour;
        copy.activeColour = e->activeColour;
        copy.markerRadius = g.MarkerRadius(e->radiusScale);
        if (copy.markerRadius != e->markerRadius) RenderMonitorImages(copy);
        fresh.push_back(std::move(copy));
    }

    {
        CAutoBaseLock lock(targetLock_);
        geom_ = g;
        fanMask_.swap(mask);
        areaMap_.swap(map);
        detectBits_.swap(detect);
        laidOut_ = true;
        // Discs follow the dot radius, so a disc is never drawn with a radius it was not made for.
        for (int i = 0; i < tracks_.GetCount(); ++i) {
            auto* t = static_cast<TargetTrack*>(tracks_.GetAt(i));
            if (t->DiscRadius() != g.dotRadius) t->RenderDisc(g.dotRadius);
        }
    }
    {
        CAutoBaseLock lock(monitorLock_);
        for (int i = 0; i < monitorPoints_.GetCount() && i < static_cast<int>(fresh.size()); ++i) {
            auto* e = static_cast<MonitorPointEntry*>(monitorPoints_.GetAt(i));
            if (fresh[i].markerRadius == e->markerRadius) continue;
            e->markerRadius = fresh[i].markerRadius;
            e->inactiveImage.swap(fresh[i].inactiveImage);
            e->activeImage.swap(fresh[i].activeImage);
            ++monitorPointsVersion_;
        }
    }
    areaRowFirst_.swap(first);
    areaRowLast_.swap(last);
    areaLayerValid_ = false;
}

void SectorScene::ReleaseLayout() {
    ClearTargets();
    CAutoBaseLock lock(targetLock_);
    std::vector<uint8_t>().swap(fanMask_);
    std::vector<uint32_t>().swap(areaMap_);
    std::vector<uint64_t>().swap(detectBits_);
    std::vector<uint32_t>().swap(areaLayer_);
    std::vector<uint8_t>().swap(coverage_);
    std::vector<uint32_t>().swap(spareMap_);
    std::vector<uint64_t>().swap(spareDetect_);
    for (AreaSlot& s : slots_) s = AreaSlot{};
    areaRowFirst_.clear();
    areaRowLast_.clear();
    geom_.Layout(0, 0);
    laidOut_ = false;
    areaLayerValid_ = false;
}

// ---------------------------------------------------------------------------------------------
// Tracks
// ---------------------------------------------------------------------------------------------

TargetTrack* SectorScene::FindTrack(int64_t id, int* index) {
    *index = tracks_.FindIf([id](void* t) { return static_cast<TargetTrack*>(t)->Id() == id; });
    return static_cast<TargetTrack*>(tracks_.GetAt(*index));
}

TargetTrack* SectorScene::CreateTrack(int64_t id) {
    for (int i = tracks_.GetCount() - 1; i >= kMaxTracks - 1; --i) {
        delete static_cast<TargetTrack*>(tracks_.RemoveAt(i));
    }
    auto* track = new TargetTrack(id, settings_.targetColour, geom_.dotRadius);
    if (tracks_.AddData(track, 0) < 0) {
        delete track;
        return nullptr;
    }
    return track;
}

void SectorScene::UpdateTargets(std::span<const ViewTarget> targets, std::vector<TrackMembership>* accepted) {
    CAutoBaseLock lock(targetLock_);
    // The clock is read under the lock: an update that waited for another one must not stamp
    // its points earlier than the points already stored, or they would count as decades old.
    const uint32_t now = clock_();
    // Target lock, then monitor-point lock: taken once for the whole update.
    CAutoBaseLock pointLock(monitorLock_);
    for (int i = 0; i < monitorPoints_.GetCount(); ++i) static_cast<MonitorPointEntry*>(monitorPoints_.GetAt(i))->active = 0;

    for (int i = tracks_.GetCount() - 1; i >= 0; --i) {
        auto* t = static_cast<TargetTrack*>(tracks_.GetAt(i));
        if (t->PointCount() == 0) {
            tracks_.RemoveAt(i);
            delete t;
        }
    }
    for (int i = 0; i < tracks_.GetCount(); ++i) {
        static_cast<TargetTrack*>(tracks_.GetAt(i))->DropExpired(now, settings_.displayTime);
    }
    const int count = static_cast<int>(targets.size());
    const bool detect = slots_[kDetectAreaSlot].used != 0;
    const size_t words = (static_cast<size_t>(geom_.width) + 63) / 64;
    // The detect test and the monitor points often want the cosine and sine of the same angle.
    Direction direction;
    for (int i = 0; i < count; ++i) {
        const ViewTarget* v = &targets[static_cast<size_t>(i)];
        if (v->range < geom_.gateMin || v->range > geom_.gateMax) continue;
        if (v->angle < geom_.angleStart || v->angle > geom_.angleStop) continue;
        if (detect) {
            int x, y;
            direction.Set(geom_.Theta(v->angle));
            if (!geom_.RangeDirectionToPixel(v->range, direction.c, direction.s, &x, &y)) continue;
            if (!((detectBits_[words * y + (x >> 6)] >> (x & 63)) & 1u)) continue;
        }
        int index = -1;
        TargetTrack* track = FindTrack(v->id, &index);
        if (track) {
            tracks_.MoveToFront(index);
        } else {
            track = CreateTrack(v->id);
            if (!track) continue;
        }
        if (!track->AddNewest(v->range, v->angle, now, settings_.smoothCount)) continue;
        MarkMonitorPoints(*track->Newest(), direction);
        if (accepted) {
            const TrackPoint& p = *track->Newest();
            accepted->push_back(TrackMembership{v->id, p.smoothRange, p.smoothAngle, SlotsAtLocked(p), i});
        }
    }
}

void SectorScene::ClearTargets() {
    CAutoBaseLock lock(targetLock_);
    for (int i = tracks_.GetCount() - 1; i >= 0; --i) delete static_cast<TargetTrack*>(tracks_.GetAt(i));
    tracks_.RemoveAll();
}

void SectorScene::ForEachTrack(const std::function<void(const TargetTrack&)>& visit) const {
    CAutoBaseLock lock(targetLock_);
    for (int i = 0; i < tracks_.GetCount(); ++i) visit(*static_cast<const TargetTrack*>(tracks_.GetAt(i)));
}

int SectorScene::TrackCount() const {
    CAutoBaseLock lock(targetLock_);
    return tracks_.GetCount();
}

// ---------------------------------------------------------------------------------------------
// Overlays
// ---------------------------------------------------------------------------------------------

void SectorScene::SwapInAreaMap(std::vector<uint32_t>& map, std::vector<uint64_t>& detect, std::vector<int>& first,
                                std::vector<int>& last) {
    {
        CAutoBaseLock lock(targetLock_);
        if (map.size() == areaMap_.size()) {
            areaMap_.swap(map);
            detectBits_.swap(detect);
        }
    }
    areaRowFirst_.swap(first);
    areaRowLast_.swap(last);
    areaLayerValid_ = false;
}

void SectorScene::BuildAreaMap() {
    if (!laidOut_) return;
    // Built aside and swapped in: a concurrent update sees the old map or the new one.
    // The previous buffers are reused: fresh ones of this size cost page faults on every rebuild.
    spareMap_.resize(static_cast<size_t>(geom_.width) * geom_.height);
    AreaMapBuilder::Build(slots_, kAreaSlotCount, geom_.width, geom_.height, spareMap_.data(), &spareFirst_,
                          &spareLast_, &spareDetect_);
    SwapInAreaMap(spareMap_, spareDetect_, spareFirst_, spareLast_);
    for (int k = 0; k < kAreaSlotCount; ++k) {
        const AreaSlot& s = slots_[k];
        RECT box{geom_.width, geom_.height, -1, -1};
        for (int i = 0; s.used && i < s.count && i < static_cast<int>(s.vertices.size()); ++i) {
            box.left = std::min<LONG>(box.left, std::max(0, s.vertices[i].column));
            box.right = std::max<LONG>(box.right, std::min(geom_.width - 1, s.vertices[i].column));
            box.top = std::min<LONG>(box.top, std::max(0, s.vertices[i].row));
            box.bottom = std::max<LONG>(box.bottom, std::min(geom_.height - 1, s.vertices[i].row));
        }
        slotBox_[k] = box;
    }
}

namespace {
std::vector<AreaVertex> ToPlot(const AreaVertex* vertices, int count, const SectorGeometry& g) {
    std::vector<AreaVertex> out(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        out[i].row = vertices[i].row + g.fan.top - g.plot.top;
        out[i].column = vertices[i].column + g.fan.left - g.plot.left;
    }
    return out;
}
}  // namespace

bool SectorScene::SetDetectArea(const AreaVertex* vertices, int count) {
    {
        CAutoBaseLock lock(targetLock_);
        AreaSlot& s = slots_[kDetectAreaSlot];
        s = AreaSlot{};
        if (vertices && count >= 3) {
            s.vertices = ToPlot(vertices, count, geom_);
            s.count = count;
            s.used = 1;
            s.inactiveColour = s.activeColour = kDetectAreaColour;
        }
    }
    // Rebuilt even when the new polygon was refused: the old one must leave the map too.
    BuildAreaMap();
    return true;
}

int SectorScene::AddMonitorArea(const AreaVertex* vertices, int count, COLORREF inactive, COLORREF active) {
    if (!vertices || count < 3) return -1;
    int k = 1;
    while (k < kAreaSlotCount && slots_[k].used) ++k;
    if (k == kAreaSlotCount) return -1;
    {
        CAutoBaseLock lock(targetLock_);
        AreaSlot& s = slots_[k];
        s.vertices = ToPlot(vertices, count, geom_);
        s.count = count;
        s.used = 1;
        s.inactiveColour = SwapRedBlue(inactive);
        s.activeColour = SwapRedBlue(active);
    }
    BuildAreaMap();
    return k;
}

void SectorScene::ClearMonitorAreas() {
    {
        CAutoBaseLock lock(targetLock_);
        for (int k = 1; k < kAreaSlotCount; ++k) {
            slots_[k].used = 0;
            std::vector<AreaVertex>().swap(slots_[k].vertices);
        }
    }
    BuildAreaMap();
}

void SectorScene::ClearDetectArea() {
    {
        CAutoBaseLock lock(targetLock_);
        AreaSlot& s = slots_[kDetectAreaSlot];
        s.used = 0;
        std::vector<AreaVertex>().swap(s.vertices);
        s.count = 0;
    }
    BuildAreaMap();
}

void SectorScene::RenderMonitorImages(MonitorPointEntry& e) const {
    const int side = 2 * std::max(0, e.markerRadius) + 1;
    e.inactiveImage.assign(static_cast<size_t>(side) * side, 0u);
    e.activeImage.assign(static_cast<size_t>(side) * side, 0u);
    markerRenderer_(e.inactiveImage.data(), side, side, e.inactiveColour, e.label, e.textColour);
    markerRenderer_(e.activeImage.data(), side, side, e.activeColour, std::wstring(), e.textColour);
}

void SectorScene::AddMonitorPoint(double range, double angle, double radiusScale, const std::wstring& label,
                                  COLORREF textColour, COLORREF inactive, COLORREF active) {
    auto* e = new MonitorPointEntry;
    e->range = range;
    e->angle = angle;
    e->radiusScale = radiusScale;
    e->label = label;
    e->textColour = textColour;
    e->inactiveColour = SwapRedBlue(inactive);
    e->activeColour = SwapRedBlue(active);
    double b = angle * SectorGeometry::kPi / 180;
    e->gateX = std::cos(b) * range;
    e->gateY = std::sin(b) * range;
    e->markerRadius = geom_.MarkerRadius(radiusScale);
    RenderMonitorImages(*e);
    CAutoBaseLock lock(monitorLock_);
    if (monitorPoints_.AddData(e, -1) < 0) delete e;
    ++monitorPointsVersion_;
}

void SectorScene::ClearMonitorPoints() {
    CAutoBaseLock lock(monitorLock_);
    for (int i = monitorPoints_.GetCount() - 1; i >= 0; --i) delete static_cast<MonitorPointEntry*>(monitorPoints_.GetAt(i));
    monitorPoints_.RemoveAll();
    ++monitorPointsVersion_;
}

void SectorScene::ForEachMonitorPoint(const std::function<void(const MonitorPointEntry&)>& visit) const {
    CAutoBaseLock lock(monitorLock_);
    for (int i = 0; i < monitorPoints_.GetCount(); ++i) visit(*static_cast<const MonitorPointEntry*>(monitorPoints_.GetAt(i)));
}

void SectorScene::MarkMonitorPoints(const TrackPoint& newest, Direction& direction) {
    direction.Set(newest.smoothAngle * SectorGeometry::kPi / 180);
    const double px = direction.c * newest.smoothRange, py = direction.s * newest.smoothRange;
    for (int i = 0; i < monitorPoints_.GetCount(); ++i) {
        auto* e = static_cast<MonitorPointEntry*>(monitorPoints_.GetAt(i));
        if (e->active) continue;
        const double dx = px - e->gateX, dy = py - e->gateY;
        const double d2 = dx * dx + dy * dy;
        const double limit = (geom_.radiusScale + e->radiusScale) * 0.5;
        // Clearly far points skip the square root; near the limit the exact test decides.
        if (limit <= 0 || d2 > limit * limit * 1.000001) continue;
        if (std::sqrt(d2) < limit) e->active = 1;
    }
}

// ---------------------------------------------------------------------------------------------
// Composition
// ---------------------------------------------------------------------------------------------

uint32_t SectorScene::SlotsAtLocked(const TrackPoint& p) const {
    int x, y;
    if (areaMap_.empty() || !geom_.RangeAngleToPixel(p.smoothRange, p.smoothAngle, &x, &y)) return 0;
    return areaMap_[static_cast<size_t>(y) * geom_.width + x];
}

uint32_t SectorScene::ActiveSlotsLocked(uint8_t* counts) const {
    // A slot is active when the newest position of any track lies on it.
    uint32_t active = 0;
    for (int i = 0; i < tracks_.GetCount(); ++i) {
        const auto* t = static_cast<const TargetTrack*>(tracks_.GetAt(i));
        const TrackPoint* p = t->Newest();
        if (!p) continue;
        const uint32_t slots = SlotsAtLocked(*p);
        active |= slots;
        if (counts) {
            for (uint32_t left = slots; left; left &= left - 1) {
                uint8_t& c = counts[std::countr_zero(left)];
                if (c < 255) ++c;
            }
        }
    }
    return active;
}

namespace {
// Digits 0 to 9 of three columns and five rows, one row a nibble (bit 2 the left column).
constexpr uint8_t kDigitRows[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}};
constexpr int kDigitScale = 2;
constexpr uint32_t kCountInk = 0xFFFFFFFF;
constexpr uint32_t kCountShadow = 0xFF000000;
}  // namespace

namespace {
// Where the count of an area (bounding box in plot pixels, inclusive) starts: just above the
// area's top-left corner, or inside it where the plot ends above.
void CountOrigin(const RECT& box, int digits, int w, int h, int* x0, int* y0) {
    const int glyphH = 5 * kDigitScale, pitch = 3 * kDigitScale + kDigitScale;
    *x0 = std::clamp<int>(box.left, 0, std::max(0, w - digits * pitch - 1));
    *y0 = box.top - glyphH - 2 >= 0 ? box.top - glyphH - 2 : std::min<int>(box.top + 1, std::max(0, h - glyphH - 1));
}
}  // namespace

void SectorScene::AddAreaCountBoxes(const uint8_t* counts, std::vector<RECT>* boxes) const {
    const int w = geom_.width, h = geom_.height;
    for (int k = 1; k < kAreaSlotCount; ++k) {
        if (!counts[k] || !slots_[k].used) continue;
        const RECT& box = slotBox_[k];
        if (box.left > box.right || box.top > box.bottom) continue;
        const int digits = counts[k] >= 100 ? 3 : counts[k] >= 10 ? 2 : 1;
        int x0, y0;
        CountOrigin(box, digits, w, h, &x0, &y0);
        // Glyphs plus their shadow one pixel down and right.
        boxes->push_back(RECT{x0, y0, x0 + digits * (4 * kDigitScale) + 1, y0 + 5 * kDigitScale + 1});
    }
}

void SectorScene::DrawAreaCounts(uint32_t* out, const uint8_t* counts) const {
    const int w = geom_.width, h = geom_.height;
    for (int k = 1; k < kAreaSlotCount; ++k) {
        if (!counts[k] || !slots_[k].used) continue;
        const RECT& box = slotBox_[k];
        if (box.left > box.right || box.top > box.bottom) continue;
        char text[4];
        const int digits = snprintf(text, sizeof text, "%u", static_cast<unsigned>(counts[k]));
        const int glyphW = 3 * kDigitScale, glyphH = 5 * kDigitScale, pitch = glyphW + kDigitScale;
        int x0, y0;
        CountOrigin(box, digits, w, h, &x0, &y0);
        // Shadow one pixel down and right, then the ink, so the figure reads on any colour.
        for (int pass = 0; pass < 2; ++pass) {
            const int shift = pass == 0 ? 1 : 0;
            const uint32_t colour = pass == 0 ? kCountShadow : kCountInk;
            for (int d = 0; d < digits; ++d) {
                const uint8_t* rows = kDigitRows[text[d] - '0'];
                for (int gy = 0; gy < glyphH; ++gy) {
                    const int y = y0 + gy + shift;
                    if (y < 0 || y >= h) continue;
                    const uint8_t bits = rows[gy / kDigitScale];
                    for (int gx = 0; gx < glyphW; ++gx) {
                        const int x = x0 + d * pitch + gx + shift;
                        if (x < 0 || x >= w || !((bits >> (2 - gx / kDigitScale)) & 1u)) continue;
                        out[static_cast<size_t>(y) * w + x] = colour;
                    }
                }
            }
        }
    }
}

void SectorScene::RebuildAreaLayer(const uint32_t* background, uint32_t activeSlots) {
    const int w = geom_.width, h = geom_.height;
    const size_t total = static_cast<size_t>(w) * h;
    uint32_t colour[kAreaSlotCount];
    for (int k = 0; k < kAreaSlotCount; ++k) {
        colour[k] = (activeSlots & (1u << k)) ? slots_[k].activeColour : slots_[k].inactiveColour;
    }
    // Slots in ascending order, so a higher slot lies over a lower one. Neighbouring pixels mostly
    // share their background and their slots, so the last result is kept for the next pixel.
    uint32_t lastBackground = 0, lastBits = 0, lastResult = 0;
    auto compose = [&](uint32_t p, uint32_t bits) {
        if (p != lastBackground || bits != lastBits) {
            lastBackground = p;
            lastBits = bits;
            lastResult = BlendAreas(p, bits, colour);
        }
        return lastResult;
    };
    const int rows = std::min(h, static_cast<int>(areaRowFirst_.size()));
    if (!areaLayerValid_ || areaLayer_.size() != total) {
        areaLayer_.resize(total);
        std::memcpy(areaLayer_.data(), background, total * sizeof(uint32_t));
        for (int y = 0; y < rows; ++y) {
            const size_t base = static_cast<size_t>(y) * w;
            for (int x = areaRowFirst_[y]; x <= areaRowLast_[y]; ++x) {
                if (uint32_t bits = areaMap_[base + x]) areaLayer_[base + x] = compose(background[base + x], bits);
            }
        }
    } else {
        // Only the pixels of slots that changed colour are composed again, slot box by slot box;
        // a pixel of several changed slots is done in the box of the lowest of them.
        const uint32_t changed = activeSlots ^ areaLayerActive_;
        for (uint32_t left = changed; left; left &= left - 1) {
            const int k = std::countr_zero(left);
            const uint32_t lower = (1u << k) - 1;
            const RECT& box = slotBox_[k];
            for (int y = std::max<int>(0, box.top); y <= box.bottom && y < rows; ++y) {
                const size_t base = static_cast<size_t>(y) * w;
                const int x1 = std::min<int>(box.right, areaRowLast_[y]);
                for (int x = std::max<int>(box.left, areaRowFirst_[y]); x <= x1; ++x) {
                    const uint32_t bits = areaMap_[base + x];
                    if (((bits >> k) & 1u) && !(bits & changed & lower)) {
                        areaLayer_[base + x] = compose(background[base + x], bits);
                    }
                }
            }
        }
    }
    areaLayerActive_ = activeSlots;
    areaLayerValid_ = true;
}

void SectorScene::BuildLocus(const TargetTrack& track, Locus* locus) const {
    std::vector<std::pair<int, int>>& line = locus->line;
    line.clear();
    locus->x1 = -1;
    const int count = track.PointCount();
    if (count == 0) return;
    // Thinned polyline, newest first: a point joins when it is more than 4 px from the last one.
    double lastX, lastY;
    {
        const TrackPoint* p = track.PointAt(0);
        geom_.TrackPosition(p->smoothRange, p->smoothAngle, &lastX, &lastY);
        line.emplace_back(SectorGeometry::RoundToInt(lastX), SectorGeometry::RoundToInt(lastY));
    }
    for (int i = 1; i < count; ++i) {
        const TrackPoint* p = track.PointAt(i);
        double x, y;
        geom_.TrackPosition(p->smoothRange, p->smoothAngle, &x, &y);
        double dx = x - lastX, dy = y - lastY;
        if (std::sqrt(dx * dx + dy * dy) > 4.0) {
            line.emplace_back(SectorGeometry::RoundToInt(x), SectorGeometry::RoundToInt(y));
            lastX = x;
            lastY = y;
        }
    }
    // The line only marks pixels within half its width (plus the anti-aliased edge), so it is
    // rasterised into a buffer of its bounding box instead of the whole plot.
    const double thickness = geom_.TrackLineWidth(settings_.locusRadiusScale);
    const int margin = static_cast<int>(std::ceil(std::max(0.0, thickness) / 2)) + 2;
    int minX = line[0].first, maxX = minX, minY = line[0].second, maxY = minY;
    for (const auto& [x, y] : line) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    locus->x0 = std::max(0, minX - margin);
    locus->x1 = std::min(geom_.width - 1, maxX + margin);
    locus->y0 = std::max(0, minY - margin);
    locus->y1 = std::min(geom_.height - 1, maxY + margin);

    // Each segment marks only pixels within the margin of its own end points' box, so runs of
    // segments are cut where their box would grow past kPartSide and the next run starts at
    // the point the last one ended on.
    constexpr int kPartSide = 32;
    locus->parts.clear();
    auto emit = [&](int ax, int ay, int bx, int by) {
        const RECT r{std::max(0, ax - margin), std::max(0, ay - margin), std::min(geom_.width, bx + margin + 1),
                     std::min(geom_.height, by + margin + 1)};
        if (r.left < r.right && r.top < r.bottom) locus->parts.push_back(r);
    };
    int ax = line[0].first, bx = ax, ay = line[0].second, by = ay;
    for (size_t k = 1; k < line.size(); ++k) {
        const auto [x, y] = line[k];
        if (std::max(bx, x) - std::min(ax, x) > kPartSide || std::max(by, y) - std::min(ay, y) > kPartSide) {
            emit(ax, ay, bx, by);
            ax = bx = line[k - 1].first;
            ay = by = line[k - 1].second;
        }
        ax = std::min(ax, x);
        bx = std::max(bx, x);
        ay = std::min(ay, y);
        by = std::max(by, y);
    }
    emit(ax, ay, bx, by);
}

void SectorScene::DrawLocus(uint32_t* out, Locus& locus, int alpha) {
    std::vector<std::pair<int, int>>& line = locus.line;
    const int x0 = locus.x0, x1 = locus.x1, y0 = locus.y0, y1 = locus.y1;
    if (line.empty() || x0 > x1 || y0 > y1) return;
    const double thickness = geom_.TrackLineWidth(settings_.locusRadiusScale);
    // The coordinates are shifted by whole pixels into the box, which leaves every value unchanged.
    const int bw = x1 - x0 + 1, bh = y1 - y0 + 1;
    coverage_.assign(static_cast<size_t>(bw) * bh, 0);
    coverageFirst_.assign(static_cast<size_t>(bh), bw);
    coverageLast_.assign(static_cast<size_t>(bh), -1);
    for (auto& [x, y] : line) {
        x -= x0;
        y -= y0;
    }
    TrackLineRaster::Draw(line, thickness, alpha / 255.0, bw, bh, coverage_.data(), coverageFirst_.data(),
                          coverageLast_.data());
    // Only the columns the line reached on each row are blended.
    for (int y = 0; y < bh; ++y) {
        const int xs = coverageFirst_[y], xe = coverageLast_[y];
        if (xs > xe) continue;
        const uint8_t* cov = coverage_.data() + static_cast<size_t>(y) * bw;
        const size_t base = static_cast<size_t>(y + y0) * geom_.width + x0;
        const uint8_t* mask = fanMask_.data() + base;
        uint32_t* row = out + base;
        for (int x = xs; x <= xe; ++x) {
            if (cov[x] && mask[x]) row[x] = BlendOverCoverage(row[x], kTrackColour, cov[x]);
        }
    }
}

namespace {
// The part of a (2 d + 1) square image centred on (x, y) that lies in a width x height plot:
// image columns i0..i1 and rows j0..j1 (empty when i0 > i1 or j0 > j1).
struct ImageClip {
    int i0, i1, j0, j1;
    ImageClip(int x, int y, int d, int width, int height) {
        const int64_t side = 2 * static_cast<int64_t>(d) + 1;
        i0 = static_cast<int>(std::max<int64_t>(0, static_cast<int64_t>(d) - x));
        i1 = static_cast<int>(std::min<int64_t>(side - 1, static_cast<int64_t>(width) - 1 - x + d));
        j0 = static_cast<int>(std::max<int64_t>(0, static_cast<int64_t>(d) - y));
        j1 = static_cast<int>(std::min<int64_t>(side - 1, static_cast<int64_t>(height) - 1 - y + d));
    }
    // The plot pixels of that part (right and bottom exclusive; empty when nothing lies in it).
    static RECT Box(int x, int y, int d, int width, int height) {
        const ImageClip c(x, y, d, width, height);
        if (c.i0 > c.i1 || c.j0 > c.j1) return RECT{0, 0, 0, 0};
        return RECT{x - d + c.i0, y - d + c.j0, x - d + c.i1 + 1, y - d + c.j1 + 1};
    }
};
}  // namespace

RECT SectorScene::TargetBox(const TargetTrack& track) const {
    const TrackPoint* p = track.Newest();
    if (!p) return RECT{0, 0, 0, 0};
    int x, y;
    geom_.RangeAngleToPixel(p->smoothRange, p->smoothAngle, &x, &y);
    return ImageClip::Box(x, y, track.DiscRadius(), geom_.width, geom_.height);
}

void SectorScene::CollectMonitorPoints(std::vector<RECT>* boxes) {
    uint64_t version;
    pointsNow_.clear();
    {
        CAutoBaseLock lock(monitorLock_);
        version = monitorPointsVersion_;
        for (int n = 0; n < monitorPoints_.GetCount(); ++n) {
            const auto* e = static_cast<const MonitorPointEntry*>(monitorPoints_.GetAt(n));
            int x, y;
            geom_.RangeAngleToPixel(e->range, e->angle, &x, &y);
            const RECT box = ImageClip::Box(x, y, std::max(0, e->markerRadius), geom_.width, geom_.height);
            pointsNow_.push_back(ShownPoint{box, e->active != 0});
        }
    }
    auto add = [boxes](const RECT& b) {
        if (b.left < b.right && b.top < b.bottom) boxes->push_back(b);
    };
    if (version != shownPointsVersion_ || pointsNow_.size() != shownPoints_.size()) {
        for (const ShownPoint& p : shownPoints_) add(p.box);
        for (const ShownPoint& p : pointsNow_) add(p.box);
    } else {
        for (size_t i = 0; i < pointsNow_.size(); ++i) {
            const ShownPoint &now = pointsNow_[i], &shown = shownPoints_[i];
            if (now.active == shown.active && EqualRect(&now.box, &shown.box)) continue;
            add(shown.box);
            add(now.box);
        }
    }
    shownPoints_ = pointsNow_;
    shownPointsVersion_ = version;
}

void SectorScene::DrawTarget(uint32_t* out, const TargetTrack& track, int alpha) const {
    const TrackPoint* p = track.Newest();
    if (!p) return;
    int x, y;
    geom_.RangeAngleToPixel(p->smoothRange, p->smoothAngle, &x, &y);
    // The disc is drawn at its own size, so no pixel outside it is ever read.
    const int r = track.DiscRadius(), side = track.DiscSide();
    const uint32_t* disc = track.Disc();
    const ImageClip clip(x, y, r, geom_.width, geom_.height);
    for (int j = clip.j0; j <= clip.j1; ++j) {
        // Column x - r + i of the row; i >= i0 keeps it at 0 or above.
        const size_t base = static_cast<size_t>(y + j - r) * geom_.width;
        const uint32_t* src = disc + static_cast<size_t>(j) * side;
        for (int i = clip.i0; i <= clip.i1; ++i) {
            const uint32_t s = src[i];
            const size_t at = base + static_cast<size_t>(x - r + i);
            if (Alpha(s) == 0 || !fanMask_[at]) continue;
            const int sa = static_cast<int>(Alpha(s) * static_cast<uint32_t>(alpha)) >> 8;
            out[at] = BlendOverCoverage(out[at], s, sa);
        }
    }
}

void SectorScene::DrawMonitorPoints(uint32_t* out, bool whole, const std::vector<RECT>& restored) {
    auto meets = [](const RECT& a, const RECT& b) {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    };
    // A point drawn again covers the points before it, so every later point it overlaps is drawn
    // again too, to stay on top.
    std::vector<RECT>& redrawn = redrawnPoints_;
    redrawn.clear();
    auto touched = [&](const RECT& box) {
        if (whole) return true;
        for (const std::vector<RECT>* list : {&restored, static_cast<const std::vector<RECT>*>(&redrawn)}) {
            for (const RECT& r : *list) {
                if (meets(r, box)) return true;
            }
        }
        return false;
    };
    CAutoBaseLock lock(monitorLock_);
    // The list is the one collected for this frame: points are added and removed on this thread.
    for (int n = 0; n < monitorPoints_.GetCount() && n < static_cast<int>(pointsNow_.size()); ++n) {
        const ShownPoint& shown = pointsNow_[static_cast<size_t>(n)];
        if (shown.box.left >= shown.box.right || !touched(shown.box)) continue;
        if (!whole) redrawn.push_back(shown.box);
        const auto* e = static_cast<const MonitorPointEntry*>(monitorPoints_.GetAt(n));
        int x, y;
        geom_.RangeAngleToPixel(e->range, e->angle, &x, &y);
        const int d = std::max(0, e->markerRadius), side = 2 * d + 1;
        // The state collected with the boxes, not a newer one the next frame will notice.
        const std::vector<uint32_t>& image = shown.active ? e->activeImage : e->inactiveImage;
        if (image.size() != static_cast<size_t>(side) * side) continue;
        const ImageClip clip(x, y, d, geom_.width, geom_.height);
        for (int j = clip.j0; j <= clip.j1; ++j) {
            const size_t base = static_cast<size_t>(y + j - d) * geom_.width;
            const uint32_t* src = image.data() + static_cast<size_t>(j) * side;
            for (int i = clip.i0; i <= clip.i1; ++i) {
                const size_t at = base + static_cast<size_t>(x - d + i);
                if (fanMask_[at] && Alpha(src[i]) != 0) out[at] = src[i];
            }
        }
    }
}

void SectorScene::ComposeFrame(const uint32_t* background, uint32_t* out) {
    lastFrameValid_ = false;
    ComposeChanged(background, out, nullptr);
}

bool SectorScene::ComposeChanged(const uint32_t* background, uint32_t* out, std::vector<RECT>* dirty) {
    if (dirty) dirty->clear();
    if (!laidOut_ || !background || !out) return false;
    const int w = geom_.width, h = geom_.height;
    const size_t total = static_cast<size_t>(w) * h;
    if (total == 0) return false;
    std::vector<RECT>& boxes = frameBoxes_;
    boxes.clear();
    bool whole;
    {
        CAutoBaseLock lock(targetLock_);
        bool anyArea = false;
        for (const AreaSlot& s : slots_) anyArea = anyArea || (s.used && s.count > 0 && !s.vertices.empty());
        const bool dimmed = dimmed_;
        whole = !lastFrameValid_ || !areaLayerValid_ || dimmed != lastDimmed_ || anyArea != lastAnyArea_;
        uint8_t counts[kAreaSlotCount] = {};
        if (anyArea) {
            // The areas over the static background change only with the set of active slots, so
            // that layer is kept and copied like the background itself.
            const uint32_t active = ActiveSlotsLocked(counts);
            if (!areaLayerValid_ || active != areaLayerActive_) {
                // Only the boxes of slots that changed colour are composed again.
                for (uint32_t left = active ^ areaLayerActive_; left && !whole; left &= left - 1) {
                    const RECT& b = slotBox_[std::countr_zero(left)];
                    if (b.left <= b.right && b.top <= b.bottom) boxes.push_back(RECT{b.left, b.top, b.right + 1, b.bottom + 1});
                }
                RebuildAreaLayer(background, active);
            }
        }
        const uint32_t* base = anyArea ? areaLayer_.data() : background;

        // Everything this frame draws, before anything is drawn, so the restored base never
        // erases a part already drawn. Fading tracks change over their whole extent each frame.
        const int count = tracks_.GetCount();
        if (loci_.size() < static_cast<size_t>(count)) loci_.resize(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            const auto* t = static_cast<const TargetTrack*>(tracks_.GetAt(i));
            Locus& locus = loci_[static_cast<size_t>(i)];
            locus.line.clear();
            if (!t->Newest()) continue;
            if (settings_.drawLocus) {
                BuildLocus(*t, &locus);
                if (locus.x0 <= locus.x1 && locus.y0 <= locus.y1) {
                    boxes.insert(boxes.end(), locus.parts.begin(), locus.parts.end());
                }
            }
            boxes.push_back(TargetBox(*t));
        }
        if (anyArea) AddAreaCountBoxes(counts, &boxes);
        CollectMonitorPoints(&boxes);

        // What the last frame drew and what this one draws, each pixel once.
        restore_.clear();
        if (!whole) {
            for (const std::vector<RECT>* list : {&drawnBoxes_, &boxes}) {
                for (const RECT& b : *list) {
                    restore_.push_back(RECT{std::max<LONG>(0, b.left), std::max<LONG>(0, b.top),
                                            std::min<LONG>(w, b.right), std::min<LONG>(h, b.bottom)});
                }
            }
            UnionOfRects(restore_, &restoreParts_);
            restore_.swap(restoreParts_);
        }
        if (whole) {
            std::memcpy(out, base, total * sizeof(uint32_t));
        } else {
            for (const RECT& b : restore_) {
                for (LONG y = b.top; y < b.bottom; ++y) {
                    const size_t at = static_cast<size_t>(y) * w + b.left;
                    std::memcpy(out + at, base + at, static_cast<size_t>(b.right - b.left) * sizeof(uint32_t));
                }
            }
        }

        const uint32_t now = clock_();
        for (int i = 0; i < count; ++i) {
            const auto* t = static_cast<const TargetTrack*>(tracks_.GetAt(i));
            const TrackPoint* p = t->Newest();
            if (!p) continue;
            int alpha = FadeAlpha(now - p->time, settings_.displayTime);
            if (dimmed) alpha = alpha * kDimPercent / 100;
            if (settings_.drawLocus) DrawLocus(out, loci_[static_cast<size_t>(i)], alpha);
            DrawTarget(out, *t, alpha);
        }
        if (anyArea) DrawAreaCounts(out, counts);
        lastDimmed_ = dimmed;
        lastAnyArea_ = anyArea;
    }
    DrawMonitorPoints(out, whole, restore_);

    if (dirty) {
        if (whole) {
            dirty->push_back(RECT{0, 0, w, h});
        } else {
            *dirty = restore_;
        }
    }
    drawnBoxes_.swap(frameBoxes_);
    lastFrameValid_ = true;
    return whole;
}
