#pragma once
// The history of one target id: newest point first, with the disc image drawn at its head.
#include <cstdint>
#include <vector>

#include "view/TrackPoint.h"

class TargetTrack {
public:
    TargetTrack(int64_t id, uint32_t colour, int discRadius);
    ~TargetTrack();
    TargetTrack(const TargetTrack&) = delete;
    TargetTrack& operator=(const TargetTrack&) = delete;

    int64_t Id() const noexcept { return id_; }
    uint32_t Colour() const noexcept { return colour_; }

    // Points, newest at position 0. They live in a ring that grows by doubling and is reused, so
    // an update in the steady state (one point in, one out) allocates nothing.
    int PointCount() const noexcept { return static_cast<int>(count_); }
    const TrackPoint* PointAt(int index) const noexcept {
        if (index < 0 || static_cast<size_t>(index) >= count_) return nullptr;
        return &ring_[(head_ + static_cast<size_t>(index)) & (ring_.size() - 1)];
    }
    const TrackPoint* Newest() const noexcept { return PointAt(0); }
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
    std::vector<TrackPoint> ring_;  // size a power of two
    size_t head_ = 0;               // ring index of the newest point
    size_t count_ = 0;
};
