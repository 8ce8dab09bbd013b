#pragma once
// The history of one target id: newest point first, with the disc image drawn at its head.
#include <cstdint>
#include <vector>

#include "contracts/ROVA_Common.h"
#include "view/TrackPoint.h"

class TargetTrack {
public:
    TargetTrack(int64_t id, uint32_t colour, int discRadius);
    ~TargetTrack();
    TargetTrack(const TargetTrack&) = delete;
    TargetTrack& operator=(const TargetTrack&) = delete;

    int64_t Id() const noexcept { return id_; }
    uint32_t Colour() const noexcept { return colour_; }

    // Points, newest at position 0 (a CPtrListCtrl of TrackPoint pointers owned by the track).
    int PointCount() const { return points_.GetCount(); }
    const TrackPoint* PointAt(int index) const { return static_cast<const TrackPoint*>(points_.GetAt(index)); }
    const TrackPoint* Newest() const { return PointAt(0); }
    // Inserts a point at the front; with smoothCount above 1 its smoothed values average the raw
    // values of the newest smoothCount points. Returns false when memory ran out.
    bool AddNewest(double range, double angle, uint32_t now, int smoothCount);
    // Drops points from the oldest end while they are at least displayTime old.
    void DropExpired(uint32_t now, uint32_t displayTime);
    void ClearPoints();

    // The disc drawn at the newest position: (2 * radius + 1) squared pixels.
    int DiscRadius() const noexcept { return discRadius_; }
    int DiscSide() const noexcept { return 2 * discRadius_ + 1; }
    const uint32_t* Disc() const noexcept { return disc_.data(); }
    // Renders the disc anew at another radius (the dot radius followed a layout change).
    void RenderDisc(int radius);

private:
    int64_t id_;
    uint32_t colour_;
    int discRadius_ = 0;
    std::vector<uint32_t> disc_;
    CPtrListCtrl points_;
};
