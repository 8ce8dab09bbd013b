#include "view/SectorGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void SectorGeometry::SetGateRange(double gateMinIn, double gateMaxIn, int32_t n) {
    if (gateMaxIn <= 0) gateMaxIn = n - 1;
    gateCount = n;
    if (gateMinIn < 0) {
        gateMinIn = 0;
    } else if (gateMinIn > n - 2) {
        gateMinIn = n - 2;
    }
    if (gateMaxIn < 1) {
        gateMaxIn = 1;
    } else if (gateMaxIn > n - 1) {
        gateMaxIn = n - 1;
    }
    gateMin = gateMinIn;
    gateMax = gateMaxIn;
}

void SectorGeometry::Layout(int32_t w, int32_t h) {
    width = std::max(0, w);
    height = std::max(0, h);
    plot = RECT{0, 0, width, height};
    radius = std::min(width * 0.5, static_cast<double>(height));
    int fw = RoundToInt(2 * radius);
    int fh = RoundToInt(radius);
    int offX = (width - fw) / 2;
    int offY = (height - fh) / 2;
    fan = RECT{offX, offY, offX + fw, offY + fh};
    // After the fan: the dot radius is bounded by it.
    dotRadius = MarkerRadius(radiusScale);
}

int SectorGeometry::MaxMarkerRadius() const noexcept {
    const int64_t side = std::min<int64_t>(static_cast<int64_t>(fan.right) - fan.left, height);
    return side > 1 ? static_cast<int>((side - 1) / 2) : 0;
}

int SectorGeometry::MarkerRadius(double scale) const noexcept {
    int s = RingCount();
    if (s <= 0) return 0;
    double r = radius / (2 * s) * scale;
    if (!(r > 0)) return 0;
    return static_cast<int>(std::min(r, static_cast<double>(MaxMarkerRadius())));
}

double SectorGeometry::TrackLineWidth(double locusRadiusScale) const noexcept {
    const double w = dotRadius * locusRadiusScale;
    if (!(w > 0)) return 0.0;
    return std::min(w, static_cast<double>(fan.right - fan.left));
}

int SectorGeometry::RoundToInt(double v) noexcept {
    if (v > -1e9 && v < 1e9) {
        // round() without the library call: the fraction v - trunc(v) is exact here, and halves
        // go away from zero.
        const int t = static_cast<int>(v);
        const double f = v - t;
        if (f >= 0.5) return t + 1;
        if (f <= -0.5) return t - 1;
        return t;
    }
    double r = std::round(v);
    if (!(r > -1e9)) return -1000000000;
    if (r > 1e9) return 1000000000;
    return static_cast<int>(r);
}

void SectorGeometry::SinCos(double a, double* c, double* s) noexcept {
    *c = std::cos(a);
    *s = std::sin(a);
}

bool SectorGeometry::RangeAngleToPixel(double range, double angle, int* x, int* y) const noexcept {
    double c, s;
    SinCos(Theta(angle), &c, &s);
    return RangeDirectionToPixel(range, c, s, x, y);
}

bool SectorGeometry::RangeDirectionToPixel(double range, double cosTheta, double sinTheta, int* x, int* y) const noexcept {
    double rho = gateCount > 0 ? range * radius / gateCount : 0.0;
    *x = RoundToInt(cosTheta * rho + Cx());
    *y = RoundToInt(sinTheta * rho + Oy());
    return InPlot(*x, *y);
}

void SectorGeometry::TrackPosition(double range, double angle, double* x, double* y) const noexcept {
    double theta = topViewMode ? -360 - angle : angle;
    theta = theta * kPi / 180;
    int n = gateCount > 0 ? gateCount : 1;
    *x = std::cos(theta) * range * radius / n + Cx();
    *y = std::sin(theta) * range * radius / n + Oy();
}

double SectorGeometry::PixelAngle(int dx, int dy) const noexcept {
    double a = std::atan2(static_cast<double>(dy), static_cast<double>(dx)) * kDegreesPerRadian;
    if (topViewMode) a = -a;
    if (a > 0) a = a - 360;
    return a;
}

double SectorGeometry::InnerRadius() const noexcept { return gateCount > 0 ? radius / gateCount * gateMin : 0.0; }

double SectorGeometry::OuterRadius() const noexcept {
    return gateCount > 0 ? radius / gateCount * (gateMax + 1) : 0.0;
}

void SectorGeometry::BuildFanMask(uint8_t* mask) const {
    const size_t total = static_cast<size_t>(width) * height;
    if (!mask || total == 0) return;
    std::memset(mask, 0, total);
    if (gateCount <= 0) return;
    const double inner = InnerRadius(), outer = OuterRadius();
    const int cx = Cx(), oy = Oy();
    for (int y = 0; y < height; ++y) {
        const int dy = y - oy;
        uint8_t* row = mask + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const int dx = x - cx;
            // The distance tests are cheap and reject most pixels before the arc tangent.
            double d = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
            if (d > radius || !(inner < d && d < outer)) continue;
            double a = PixelAngle(dx, dy);
            if (a < angleStart || a > angleStop) continue;
            row[x] = 1;
        }
    }
}
