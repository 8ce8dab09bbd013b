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
    auto* point = new TrackPoint{range, angle, range, angle, now};
    if (points_.AddData(point, 0) < 0) {
        delete point;
        return false;
    }
    if (smoothCount > 1) {
        double sumRange = 0.0, sumAngle = 0.0;
        int used = 0;
        int count = points_.GetCount();
        for (int i = 0; i < count && i < smoothCount; ++i) {
            const TrackPoint* p = PointAt(i);
            sumRange += p->rawRange;
            sumAngle += p->rawAngle;
            ++used;
        }
        point->smoothRange = sumRange / used;
        point->smoothAngle = sumAngle / used;
    }
    return true;
}

void TargetTrack::DropExpired(uint32_t now, uint32_t displayTime) {
    // Points are newest first and every update stamps its points with a later time, so the
    // expired ones are exactly a run at the oldest end.
    for (int last = points_.GetCount() - 1; last >= 0; --last) {
        auto* p = static_cast<TrackPoint*>(points_.GetAt(last));
        if (static_cast<uint32_t>(now - p->time) < displayTime) break;
        points_.RemoveAt(last);
        delete p;
    }
}

void TargetTrack::ClearPoints() {
    for (int i = points_.GetCount() - 1; i >= 0; --i) delete static_cast<TrackPoint*>(points_.GetAt(i));
    points_.RemoveAll();
}
