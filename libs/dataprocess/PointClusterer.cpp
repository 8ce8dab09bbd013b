#include "PointClusterer.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kDeg = 3.14159265358979323846 / 180.0;
}

std::vector<RadarPoint> CPointClusterer::Cluster(const std::vector<RadarPoint>& points, double radius,
                                                 double gateSize) {
    struct Sum {
        double x = 0, y = 0, v = 0, snr = 0;
        double cx = 0, cy = 0;  // the centre, kept so the search needs no division
        int n = 0;
    };
    std::vector<Sum> sums;
    sums.reserve(points.size());
    // Squared distances: the search runs points x clusters times per frame.
    const double radiusSquared = radius * radius;
    for (const RadarPoint& p : points) {
        const double x = p.distance * std::sin(p.angle * kDeg), y = p.distance * std::cos(p.angle * kDeg);
        Sum* best = nullptr;
        double bestDistance = radiusSquared;
        for (Sum& s : sums) {
            const double dx = s.cx - x, dy = s.cy - y;
            const double d = dx * dx + dy * dy;
            if (d <= bestDistance) {
                bestDistance = d;
                best = &s;
            }
        }
        if (!best) {
            sums.emplace_back();
            best = &sums.back();
        }
        best->x += x;
        best->y += y;
        best->v += p.velocity;
        best->snr = std::max(best->snr, p.snr);
        best->n += 1;
        best->cx = best->x / best->n;
        best->cy = best->y / best->n;
    }
    std::vector<RadarPoint> out;
    out.reserve(sums.size());
    for (const Sum& s : sums) {
        RadarPoint c;
        const double x = s.x / s.n, y = s.y / s.n;
        c.distance = std::hypot(x, y);
        c.gate = c.distance / gateSize;
        c.angle = std::atan2(x, y) / kDeg;
        c.velocity = s.v / s.n;
        c.snr = s.snr;
        c.id = static_cast<int64_t>(out.size());
        out.push_back(c);
    }
    return out;
}
