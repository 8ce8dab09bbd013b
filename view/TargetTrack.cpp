#include "view/TargetTrack.h"

#include <algorithm>

#include "view/MarkerImage.h"

TargetTrack::TargetTrack(int64_t id, uint32_t colour, int discRadius) : id_(id), colour_(colour) {
    RenderDisc(discRadius);
}

TargetTrack::~TargetTrack() { ClearPoints(); }

void TargetTrack::RenderDisc(int radius) {
    discRadius_ = std::max(0, radius);
    int side = DiscSide();
    disc_.assign(static_cast<size_t>(side) * side, 0u);
    RenderMarkerDisc(disc_.data(), side, side, colour_);
}

bool TargetTrack::AddNewest(double range, double angle, uint32_t now, int smoothCount) {
    if (count_ == ring_.size()) {
        std::vector<TrackPoint> grown(ring_.empty() ? 64 : ring_.size() * 2);
        for (size_t i = 0; i < count_; ++i) grown[i + 1] = ring_[(head_ + i) & (ring_.size() - 1)];
        ring_.swap(grown);
        head_ = 1;
    }
    head_ = (head_ + ring_.size() - 1) & (ring_.size() - 1);
    TrackPoint& point = ring_[head_];
    point = TrackPoint{range, angle, range, angle, now};
    ++count_;
    if (smoothCount > 1) {
        double sumRange = 0.0, sumAngle = 0.0;
        int used = 0;
        for (int i = 0; i < PointCount() && i < smoothCount; ++i) {
            const TrackPoint* p = PointAt(i);
            sumRange += p->rawRange;
            sumAngle += p->rawAngle;
            ++used;
        }
        point.smoothRange = sumRange / used;
        point.smoothAngle = sumAngle / used;
    }
    return true;
}

void TargetTrack::DropExpired(uint32_t now, uint32_t displayTime) {
    // Points are newest first and every update stamps its points with a later time, so the
    // expired ones are exactly a run at the oldest end.
    while (count_ > 0 && static_cast<uint32_t>(now - PointAt(static_cast<int>(count_) - 1)->time) >= displayTime) {
        --count_;
    }
}

void TargetTrack::ClearPoints() {
    std::vector<TrackPoint>().swap(ring_);
    head_ = count_ = 0;
}
