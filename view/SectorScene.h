#pragma once
// Everything the target view shows, without the window: settings, layout, fan mask, tracks,
// area slots and map, monitor points, and the composition of a frame from the background
// cache. The window (CObjectSectorWnd) owns one, feeds it sizes and settings, and blits what it
// composes.
//
// Threads: UpdateTargets runs on the radar library's thread, everything else on the user-
// interface thread. Everything UpdateTargets reads (settings, geometry, area map, slot 0) is
// replaced only while the target lock is held; new buffers are built beforehand and swapped in,
// so an update sees either the old or the new layout, never a half-built one. Lock order: the
// target lock, then the monitor-point lock, never the reverse.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "contracts/ROVA_Common.h"
#include "view/AreaSlot.h"
#include "view/MonitorPointEntry.h"
#include "view/PtrVector.h"
#include "view/SectorGeometry.h"
#include "view/TargetTrack.h"
#include "view/ViewTarget.h"

class SectorScene : public ITargetView {
public:
    // Renders a marker: disc of colour (0x00RRGGBB) plus, when text is not empty, the text in
    // textColour (a Windows colour value). The default draws the disc only.
    using MarkerRenderer =
        std::function<void(uint32_t* pixels, int w, int h, uint32_t colour, const std::wstring& text, COLORREF)>;
    using Clock = std::function<uint32_t()>;

    // Non-geometry settings.
    struct Settings {
        uint32_t displayTime = 2000;
        int32_t smoothCount = 1;
        int32_t drawLocus = 1;
        double locusRadiusScale = 0.5;
        uint32_t targetColour = 0xFFFFFFFF;
    };

    static constexpr int kMaxTracks = 100;
    static constexpr uint32_t kTrackColour = 0xFFFCB0FD;

    SectorScene();
    ~SectorScene();
    SectorScene(const SectorScene&) = delete;
    SectorScene& operator=(const SectorScene&) = delete;

    void SetClock(Clock clock);
    void SetMarkerRenderer(MarkerRenderer renderer);

    // --- settings and layout (UI thread) ---
    // Applies geometry settings (angles clamped) and the others (smooth count clamped).
    void ApplySettings(int32_t topViewMode, double angleStart, double angleStop, double angleStep,
                       int32_t sectorCount, double radiusScale, const Settings& settings);
    // Returns true when the scene is laid out (the caller then redraws the background).
    bool SetGateRange(double gateMin, double gateMax, int32_t gateCount);
    // Lays the scene out for w x h: geometry, fan mask, area map; discs and markers follow the
    // new dot radius.
    void Layout(int w, int h);
    // Drops the layout and its buffers, the tracks and the area slots (the window is gone).
    void ReleaseLayout();
    bool IsLaidOut() const noexcept { return laidOut_; }
    const SectorGeometry& Geometry() const noexcept { return geom_; }
    const Settings& GetSettings() const noexcept { return settings_; }

    using TrackMembership = ::TrackMembership;

    // --- tracks ---
    // accepted (optional) receives one entry per report that extended a track, in report order.
    void UpdateTargets(std::span<const ViewTarget> targets, std::vector<TrackMembership>* accepted = nullptr) override;
    void ClearTargets();
    // Dimmed: the targets and their tracks are drawn at kDimPercent of their opacity, so a view
    // whose data has stopped arriving does not look live.
    static constexpr int kDimPercent = 30;
    void SetDimmed(bool dimmed) noexcept { dimmed_ = dimmed; }
    bool IsDimmed() const noexcept { return dimmed_; }

    // --- overlays (UI thread) ---
    // Each returns whether the area map changed (the caller redraws).
    bool SetDetectArea(const AreaVertex* vertices, int count);
    int AddMonitorArea(const AreaVertex* vertices, int count, COLORREF inactive, COLORREF active);
    void ClearMonitorAreas();
    void ClearDetectArea();
    void AddMonitorPoint(double range, double angle, double radiusScale, const std::wstring& label,
                         COLORREF textColour, COLORREF inactive, COLORREF active);
    void ClearMonitorPoints();
    // Rebuilds the area map from the slots.
    void BuildAreaMap();

    // --- rendering (UI thread) ---
    // The background cache changed: composed area layers over it are stale.
    void BackgroundChanged() noexcept {
        areaLayerValid_ = false;
        lastFrameValid_ = false;
    }
    // Composes one whole frame (width x height pixels) from the background cache into out.
    void ComposeFrame(const uint32_t* background, uint32_t* out);
    // Composes only what changed since the last frame composed into out, which must still hold
    // that frame: the base is restored inside the old and new extents of everything drawn (and of
    // areas that changed colour) and everything is drawn again, so every pixel equals a whole
    // composition. dirty (optional) receives the changed rectangles (right and bottom exclusive),
    // disjoint and in the order of region data; after a change of layout, background, settings,
    // dimming or areas it is the whole plot.
    // Returns true when the whole frame was composed.
    bool ComposeChanged(const uint32_t* background, uint32_t* out, std::vector<RECT>* dirty);
    // The next composition is a whole one (the caller's frame buffer no longer holds the last).
    void InvalidateFrame() noexcept { lastFrameValid_ = false; }

    // --- read access for the window, tests and benchmarks (UI thread) ---
    const std::vector<uint8_t>& FanMask() const noexcept { return fanMask_; }
    const std::vector<uint32_t>& AreaMap() const noexcept { return areaMap_; }
    const AreaSlot& Slot(int k) const { return slots_[k]; }
    // Holds the target lock while visiting every track in the view's order.
    void ForEachTrack(const std::function<void(const TargetTrack&)>& visit) const;
    int TrackCount() const;
    // Holds the monitor-point lock while visiting every point in order.
    void ForEachMonitorPoint(const std::function<void(const MonitorPointEntry&)>& visit) const;
    uint32_t Now() const { return clock_(); }

private:
    void SwapInAreaMap(std::vector<uint32_t>& map, std::vector<uint64_t>& detect, std::vector<int>& first,
                       std::vector<int>& last);
    void RebuildAreaMapLocked();
    TargetTrack* FindTrack(int64_t id, int* index);
    TargetTrack* CreateTrack(int64_t id);
    // Cosine and sine of the last angle asked for, kept for the next request of the same angle.
    struct Direction {
        double angle = 0, c = 1, s = 0;
        bool valid = false;
        void Set(double a) {
            if (valid && a == angle) return;
            angle = a;
            valid = true;
            SectorGeometry::SinCos(a, &c, &s);
        }
    };
    void MarkMonitorPoints(const TrackPoint& newest, Direction& direction);
    void RenderMonitorImages(MonitorPointEntry& e) const;
    // Area slots under a track's newest position (none off the plot).
    uint32_t SlotsAtLocked(const TrackPoint& newest) const;
    // Slots under any track's newest position; counts[k] (optional) the tracks on slot k.
    uint32_t ActiveSlotsLocked(uint8_t* counts = nullptr) const;
    // The number of targets inside each monitor area, small and without text, beside the area.
    void DrawAreaCounts(uint32_t* out, const uint8_t* counts) const;
    void RebuildAreaLayer(const uint32_t* background, uint32_t activeSlots);
    // A track's thinned polyline in plot pixels and the box its line may mark (inclusive), and
    // the same pixels as boxes of short runs of the line (right and bottom exclusive): a long
    // diagonal track covers a small part of its bounding box.
    struct Locus {
        std::vector<std::pair<int, int>> line;
        int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
        std::vector<RECT> parts;
    };
    // A monitor point as the last frame drew it: its box and the image it showed.
    struct ShownPoint {
        RECT box;
        bool active;
    };
    void BuildLocus(const TargetTrack& track, Locus* locus) const;
    void DrawLocus(uint32_t* out, Locus& locus, int alpha);
    // The plot pixels a track's disc or a monitor point's marker may cover (empty when none).
    RECT TargetBox(const TargetTrack& track) const;
    void AddAreaCountBoxes(const uint8_t* counts, std::vector<RECT>* boxes) const;
    // The points of this frame into pointsNow_; the boxes of points that appeared, went or
    // changed image since the last frame into boxes (all of them after any change to the list).
    void CollectMonitorPoints(std::vector<RECT>* boxes);
    void DrawTarget(uint32_t* out, const TargetTrack& track, int alpha) const;
    // Markers are opaque, so drawing one again over itself changes nothing: only the points a
    // restored box touches are drawn again (all of them when whole).
    void DrawMonitorPoints(uint32_t* out, bool whole, const std::vector<RECT>& restored);

    mutable CBaseLock targetLock_;
    mutable CBaseLock monitorLock_;
    Clock clock_;
    MarkerRenderer markerRenderer_;

    // Read by UpdateTargets: written only under the target lock.
    SectorGeometry geom_;
    Settings settings_;
    bool laidOut_ = false;
    std::atomic<bool> dimmed_{false};
    std::vector<uint8_t> fanMask_;
    std::vector<uint32_t> areaMap_;
    AreaSlot slots_[kAreaSlotCount];
    PtrVector tracks_;  // TargetTrack*, most recently updated first, at most kMaxTracks
    // Bit 0 of the area map packed 64 pixels to a word: the detect-area test of every report
    // then reads a map small enough to stay in the cache.
    std::vector<uint64_t> detectBits_;

    // Monitor points, under the monitor-point lock.
    PtrVector monitorPoints_;  // MonitorPointEntry*, in the order of insertion
    uint64_t monitorPointsVersion_ = 0;  // counts additions, removals and new marker images

    // UI thread only.
    std::vector<int> areaRowFirst_, areaRowLast_;
    RECT slotBox_[kAreaSlotCount] = {};  // plot pixels each slot may cover (right, bottom inclusive)
    std::vector<uint32_t> spareMap_;   // the previous map, reused by the next rebuild
    std::vector<uint64_t> spareDetect_;  // likewise its detect bit plane and row extents
    std::vector<int> spareFirst_, spareLast_;
    std::vector<uint32_t> areaLayer_;  // background with the areas blended, for areaLayerActive_
    uint32_t areaLayerActive_ = 0;
    bool areaLayerValid_ = false;
    std::vector<uint8_t> coverage_;  // scratch of the track-line rasteriser
    std::vector<int> coverageFirst_, coverageLast_;  // its columns reached, per row
    std::vector<uint32_t> slotColours_;
    // What the last composed frame drew, so the next one restores those pixels.
    std::vector<RECT> drawnBoxes_, frameBoxes_;  // right and bottom exclusive
    std::vector<Locus> loci_;
    std::vector<ShownPoint> shownPoints_, pointsNow_;
    std::vector<RECT> redrawnPoints_;  // scratch of DrawMonitorPoints
    std::vector<RECT> restore_, restoreParts_;  // this frame's restored parts, disjoint
    uint64_t shownPointsVersion_ = ~0ull;
    bool lastFrameValid_ = false;
    bool lastDimmed_ = false;
    bool lastAnyArea_ = false;
};
