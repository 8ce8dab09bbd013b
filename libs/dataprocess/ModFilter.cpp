#include "ModFilter.h"

#include <cmath>

#include "PointClusterer.h"

void CModFilter::Configure(double minSpeed, double gateSize, int maxObjects) {
    minSpeed_ = minSpeed;
    gateSize_ = gateSize > 0 ? gateSize : 0.25;
    maxObjects_ = maxObjects > 0 ? maxObjects : 1;
}

std::vector<RadarPoint> CModFilter::Process(const std::vector<RadarPoint>& points) {
    std::vector<RadarPoint> moving;
    for (const RadarPoint& p : points) {
        if (!IsFinitePoint(p)) {
            ++rejected_;
            continue;
        }
        if (std::fabs(p.velocity) >= minSpeed_) moving.push_back(p);
    }
    std::vector<RadarPoint> out;
    for (RadarPoint& body : CPointClusterer::Cluster(moving, 0.5, gateSize_)) {
        if (!bound_.Contains(body)) continue;
        if (static_cast<int>(out.size()) >= maxObjects_) break;
        body.id = static_cast<int64_t>(out.size());
        out.push_back(body);
    }
    return out;
}
