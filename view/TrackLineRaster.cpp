#include "view/TrackLineRaster.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>

namespace {

struct PointD {
    double x, y;
};

struct SegmentSetup {
    PointD a;
    double dx, dy, length2, wa, dw, oa, dop;
};

// Pixels xs..xe of row y, two at a time; true when any of them rose. Every operation is the
// library's per-pixel operation, in its order, on each lane (division and square root are
// correctly rounded either way, and no product is fused into an addition), so each value is bit
// for bit the library's. The clamps may turn a -0 into +0, which changes no result: a zero t,
// opacity or edge contributes the same either way. Pairs whose stored values already reach
// ceiling, the most this segment can give, are skipped: the joints of a line, where one
// segment's end covers the next one's start, are mostly decided by the first.
bool SpanValues(const SegmentSetup& s, int y, int xs, int xe, int ceiling, uint8_t* row) {
    const __m128d zero = _mm_setzero_pd(), one = _mm_set1_pd(1.0), half = _mm_set1_pd(0.5);
    const __m128d dx = _mm_set1_pd(s.dx), dy = _mm_set1_pd(s.dy), length2 = _mm_set1_pd(s.length2);
    const __m128d wa = _mm_set1_pd(s.wa), dw = _mm_set1_pd(s.dw), oa = _mm_set1_pd(s.oa), dop = _mm_set1_pd(s.dop);
    const __m128d ax = _mm_set1_pd(s.a.x), full = _mm_set1_pd(255.0);
    const double pyScalar = y - s.a.y;
    const __m128d py = _mm_set1_pd(pyScalar);
    const __m128d pyDy = _mm_mul_pd(py, dy);
    const bool degenerate = !(s.length2 > 0);
    bool rose = false;
    for (int x = xs; x <= xe; x += 2) {
        if (row[x] >= ceiling && (x + 1 > xe || row[x + 1] >= ceiling)) continue;
        const __m128d xd = _mm_set_pd(static_cast<double>(x + 1), static_cast<double>(x));
        const __m128d px = _mm_sub_pd(xd, ax);
        __m128d t = zero;
        if (!degenerate) {
            t = _mm_div_pd(_mm_add_pd(_mm_mul_pd(px, dx), pyDy), length2);
            t = _mm_min_pd(_mm_max_pd(t, zero), one);
        }
        const __m128d ex = _mm_sub_pd(px, _mm_mul_pd(t, dx));
        const __m128d ey = _mm_sub_pd(py, _mm_mul_pd(t, dy));
        const __m128d distance = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(ex, ex), _mm_mul_pd(ey, ey)));
        const __m128d halfWidth = _mm_mul_pd(_mm_add_pd(wa, _mm_mul_pd(dw, t)), half);
        __m128d edge = _mm_sub_pd(_mm_add_pd(halfWidth, half), distance);
        edge = _mm_min_pd(_mm_max_pd(edge, zero), one);
        __m128d opacity = _mm_add_pd(oa, _mm_mul_pd(dop, t));
        opacity = _mm_min_pd(_mm_max_pd(opacity, zero), one);
        const __m128d v = _mm_mul_pd(_mm_mul_pd(opacity, edge), full);
        // Round half up: truncate, then add one where the remainder is at least one half.
        const __m128d truncated = _mm_cvtepi32_pd(_mm_cvttpd_epi32(v));
        const __m128d up = _mm_and_pd(_mm_cmpge_pd(_mm_sub_pd(v, truncated), half), one);
        const __m128i value = _mm_cvttpd_epi32(_mm_add_pd(truncated, up));
        // Max-combined without branches: whether a value beats the stored one is data, not a pattern.
        const int v0 = _mm_cvtsi128_si32(value);
        const int old0 = row[x];
        row[x] = static_cast<uint8_t>(v0 > old0 ? v0 : old0);
        rose |= v0 > old0;
        if (x + 1 <= xe) {
            const int v1 = _mm_cvtsi128_si32(_mm_shuffle_epi32(value, 1));
            const int old1 = row[x + 1];
            row[x + 1] = static_cast<uint8_t>(v1 > old1 ? v1 : old1);
            rose |= v1 > old1;
        }
    }
    return rose;
}

// The columns of each row within distance limit of the segment a + t (b - a), 0 <= t <= 1: the
// union of the row's sections of the two end discs and of the band between them. The bounds
// only narrow the pixels visited, so quotients are taken once per segment; their rounding is far
// below the margin the caller adds.
class RowReach {
public:
    RowReach(const SegmentSetup& s, double limit) : s_(s), limit2_(limit * limit) {
        if (s.length2 > 0) {
            const double length = std::sqrt(s.length2);
            if (s.dy != 0) {
                slope_ = s.dx / s.dy;
                bandHalf_ = limit * length / std::fabs(s.dy);
            } else {
                flatLimit_ = limit * length / std::fabs(s.dx);
            }
            if (s.dx != 0) {
                inverseSlope_ = s.dy / s.dx;
                endOffset_ = s.length2 / s.dx;
            }
        }
    }

    // False when row y misses the neighbourhood.
    bool Row(double y, double* lo, double* hi) const {
        bool any = false;
        double l = 0, h = 0;
        auto take = [&](double from, double to) {
            if (!(from <= to)) return;
            if (!any || from < l) l = from;
            if (!any || to > h) h = to;
            any = true;
        };
        auto disc = [&](double cx, double cy) {
            const double r2 = limit2_ - (y - cy) * (y - cy);
            if (r2 >= 0) {
                const double r = std::sqrt(r2);
                take(cx - r, cx + r);
            }
        };
        disc(s_.a.x, s_.a.y);
        disc(s_.a.x + s_.dx, s_.a.y + s_.dy);
        if (s_.length2 > 0) {
            const double py = y - s_.a.y;
            double from = -1e300, to = 1e300;
            // Perpendicular distance: |(x - ax) dy - py dx| < limit * length.
            if (s_.dy != 0) {
                const double centre = s_.a.x + py * slope_;
                from = centre - bandHalf_;
                to = centre + bandHalf_;
            } else if (std::fabs(py) >= flatLimit_) {
                return Done(any, l, h, lo, hi);
            }
            // Projection: 0 <= (x - ax) dx + py dy <= length2.
            if (s_.dx != 0) {
                const double u = s_.a.x - py * inverseSlope_;
                const double v = u + endOffset_;
                from = std::max(from, std::min(u, v));
                to = std::min(to, std::max(u, v));
            } else if (py * s_.dy < 0 || py * s_.dy > s_.length2) {
                return Done(any, l, h, lo, hi);
            }
            take(from, to);
        }
        return Done(any, l, h, lo, hi);
    }

private:
    static bool Done(bool any, double l, double h, double* lo, double* hi) {
        *lo = l;
        *hi = h;
        return any;
    }

    const SegmentSetup& s_;
    double limit2_;
    double slope_ = 0, bandHalf_ = 0, flatLimit_ = 0, inverseSlope_ = 0, endOffset_ = 0;
};

void Segment(int width, int height, PointD a, PointD b, double wa, double wb, double oa, double ob,
             uint8_t* coverage, int* rowFirst, int* rowLast) {
    const SegmentSetup s{a, b.x - a.x, b.y - a.y, (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y),
                         wa, wb - wa, oa, ob - oa};
    const double reach = std::max(wa, wb) / 2.0 + 1.0;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - reach)));
    const int x1 = std::min(width - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + reach)));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - reach)));
    const int y1 = std::min(height - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + reach)));
    if (x0 > x1 || y0 > y1) return;
    // No value exceeds the rounded opacity at full edge coverage; the small excess taken allows
    // for the rounding of the opacity along the segment and only makes the bound higher.
    const double maxOpacity = std::clamp(std::max(oa, ob), 0.0, 1.0);
    const int ceiling = std::min(255, static_cast<int>(maxOpacity * 255.0 + 0.5 + 1e-6));
    // A pixel gets a value only when its distance is below half the width plus 0.5, so rows are
    // narrowed to the columns within that distance (the bounds are far more accurate than the
    // 1e-4 allowed for them). With coordinates or widths so large that rounding could matter,
    // whole rows of the bounding box are visited.
    const double maxWidth = std::max(wa, wb);
    const bool narrow =
        std::max({std::fabs(a.x), std::fabs(a.y), std::fabs(b.x), std::fabs(b.y)}) < 1e6 && maxWidth < 1e5;
    const RowReach reachOf(s, maxWidth / 2.0 + 0.5 + 1e-6);
    for (int y = y0; y <= y1; ++y) {
        int xs = x0, xe = x1;
        if (narrow) {
            double lo, hi;
            if (!reachOf.Row(y, &lo, &hi)) continue;
            const double from = std::max(lo - 1e-4, static_cast<double>(x0));
            const double to = std::min(hi + 1e-4, static_cast<double>(x1));
            if (!(from <= to)) continue;
            // Both at least 0: truncation is the floor.
            xs = static_cast<int>(from);
            if (xs < from) ++xs;
            xe = static_cast<int>(to);
            if (xs > xe) continue;
        }
        uint8_t* row = coverage + static_cast<size_t>(y) * width;
        if (SpanValues(s, y, xs, xe, ceiling, row) && rowFirst) {
            rowFirst[y] = std::min(rowFirst[y], xs);
            rowLast[y] = std::max(rowLast[y], xe);
        }
    }
}

}  // namespace

void TrackLineRaster::Draw(const std::vector<std::pair<int, int>>& line, double startWidth, double startOpacity,
                           int width, int height, uint8_t* coverage, int* rowFirst, int* rowLast) {
    if (width <= 0 || height <= 0 || !coverage || line.empty()) return;
    if (!rowFirst || !rowLast) rowFirst = rowLast = nullptr;
    const double endWidth = 0.0, endOpacity = 0.0;
    startWidth = std::max(0.0, startWidth);
    std::vector<PointD> p;
    p.reserve(line.size());
    for (const auto& [x, y] : line) p.push_back({static_cast<double>(x), static_cast<double>(y)});
    if (p.size() == 1) {
        Segment(width, height, p[0], p[0], startWidth, startWidth, startOpacity, startOpacity, coverage, rowFirst,
                rowLast);
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
                startOpacity + (endOpacity - startOpacity) * f1, coverage, rowFirst, rowLast);
    }
}
