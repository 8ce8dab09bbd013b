#include "view/TrackLineRaster.h"

#include <algorithm>
#include <cmath>

namespace {

struct PointD {
    double x, y;
};

// lround for values of at least 0, without the library call.
inline int RoundHalfUp(double v) {
    int r = static_cast<int>(v);
    return (v - r >= 0.5) ? r + 1 : r;
}

void Segment(int width, int height, PointD a, PointD b, double wa, double wb, double oa, double ob,
             uint8_t* coverage) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    const double reach = std::max(wa, wb) / 2.0 + 1.0;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - reach)));
    const int x1 = std::min(width - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + reach)));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - reach)));
    const int y1 = std::min(height - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + reach)));
    // A pixel gets a value only when its distance is below half the width plus 0.5.
    const double limit = std::max(wa, wb) / 2.0 + 0.5 + 1e-6;
    const double length = std::sqrt(length2);
    for (int y = y0; y <= y1; ++y) {
        int xs = x0, xe = x1;
        const double ry = y - a.y;
        if (length2 > 0 && std::fabs(dy) > 1e-9) {
            // Distance to the segment is at least the distance to its line.
            const double xl = a.x + ry * dx / dy;
            const double half = limit * length / std::fabs(dy);
            xs = std::max(x0, static_cast<int>(std::floor(xl - half)) - 1);
            xe = std::min(x1, static_cast<int>(std::ceil(xl + half)) + 1);
        } else if (std::fabs(ry) >= limit && !(length2 > 0 && std::fabs(b.y - y) < limit)) {
            continue;
        }
        uint8_t* row = coverage + static_cast<size_t>(y) * width;
        for (int x = xs; x <= xe; ++x) {
            const double px = x - a.x, py = y - a.y;
            const double t = length2 > 0 ? std::clamp((px * dx + py * dy) / length2, 0.0, 1.0) : 0.0;
            const double ex = px - t * dx, ey = py - t * dy;
            const double distance = std::sqrt(ex * ex + ey * ey);
            const double halfWidth = (wa + (wb - wa) * t) / 2.0;
            const double edge = std::clamp(halfWidth + 0.5 - distance, 0.0, 1.0);
            if (edge <= 0) continue;
            const double opacity = std::clamp(oa + (ob - oa) * t, 0.0, 1.0);
            const int value = RoundHalfUp(opacity * edge * 255.0);
            if (value > row[x]) row[x] = static_cast<uint8_t>(std::min(value, 255));
        }
    }
}

}  // namespace

void TrackLineRaster::Draw(const std::vector<std::pair<int, int>>& line, double startWidth, double startOpacity,
                           int width, int height, uint8_t* coverage) {
    if (width <= 0 || height <= 0 || !coverage || line.empty()) return;
    const double endWidth = 0.0, endOpacity = 0.0;
    startWidth = std::max(0.0, startWidth);
    std::vector<PointD> p;
    p.reserve(line.size());
    for (const auto& [x, y] : line) p.push_back({static_cast<double>(x), static_cast<double>(y)});
    if (p.size() == 1) {
        Segment(width, height, p[0], p[0], startWidth, startWidth, startOpacity, startOpacity, coverage);
        return;
    }
    std::vector<double> along(p.size(), 0.0);
    for (size_t i = 1; i < p.size(); ++i) along[i] = along[i - 1] + std::hypot(p[i].x - p[i - 1].x, p[i].y - p[i - 1].y);
    const double total = along.back();
    for (size_t i = 0; i + 1 < p.size(); ++i) {
        const double f0 = total > 0 ? along[i] / total : 0.0;
        const double f1 = total > 0 ? along[i + 1] / total : 0.0;
        Segment(width, height, p[i], p[i + 1], startWidth + (endWidth - startWidth) * f0,
                startWidth + (endWidth - startWidth) * f1, startOpacity + (endOpacity - startOpacity) * f0,
                startOpacity + (endOpacity - startOpacity) * f1, coverage);
    }
}
