#include "DetectBound.h"

#include <cmath>

#include "RadarFrame.h"

void CDetectBound::Set(const int32_t* pairs, int count) {
    vertices_.clear();
    pairs_.clear();
    if (!pairs || count <= 0) return;
    pairs_.assign(pairs, pairs + 2 * static_cast<size_t>(count));
    if (count < 3) return;
    for (int i = 0; i < count; ++i) vertices_.push_back({double(pairs[2 * i]), double(pairs[2 * i + 1])});
}

bool CDetectBound::Contains(double a, double b) const {
    if (vertices_.size() < 3) return true;
    bool inside = false;
    const size_t n = vertices_.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const Vertex& p = vertices_[i];
        const Vertex& q = vertices_[j];
        // On the edge p-q: collinear and within its box.
        const double cross = (q.a - p.a) * (b - p.b) - (q.b - p.b) * (a - p.a);
        if (std::fabs(cross) < 1e-9 && a >= std::fmin(p.a, q.a) - 1e-9 && a <= std::fmax(p.a, q.a) + 1e-9 &&
            b >= std::fmin(p.b, q.b) - 1e-9 && b <= std::fmax(p.b, q.b) + 1e-9)
            return true;
        if ((p.b > b) != (q.b > b)) {
            const double crossA = p.a + (b - p.b) * (q.a - p.a) / (q.b - p.b);
            if (a < crossA) inside = !inside;
        }
    }
    return inside;
}

bool CDetectBound::Contains(const RadarPoint& point) const {
    constexpr double kDeg = 3.14159265358979323846 / 180.0;
    return Contains(point.gate * std::cos(point.angle * kDeg), point.gate * std::sin(point.angle * kDeg));
}
