#pragma once
// Geometry of the fan-shaped target view: the settings it depends on, the pixel layout computed
// from the client size, the mapping of range and angle to pixels, and the fan mask.
#include <windows.h>

#include <cstdint>

class SectorGeometry {
public:
    // Settings the geometry depends on.
    int32_t topViewMode = 1;
    double angleStart = -180.0;
    double angleStop = 0.0;
    double angleStep = 15.0;
    int32_t sectorCount = 20;
    double gateMin = 0.0;
    double gateMax = 31.0;
    int32_t gateCount = 32;
    double radiusScale = 1.0;

    // Layout, from Layout().
    int32_t width = 0;   // W = PW
    int32_t height = 0;  // H = PH
    RECT plot{};
    double radius = 0.0;  // R
    RECT fan{};
    int32_t dotRadius = 0;

    // Stores the gate range and N, clamped so that 0 <= min <= N - 2 and 1 <= max <= N - 1
    // (min may still end above max, which empties the fan).
    void SetGateRange(double gateMinIn, double gateMaxIn, int32_t n);
    // Recomputes the layout values for a client area of w x h.
    void Layout(int32_t w, int32_t h);

    int Cx() const noexcept { return (width - 1) / 2; }
    int Oy() const noexcept { return topViewMode ? 0 : height - 1; }
    // Number of range rings: the sector count, or N when that is not above 0.
    int RingCount() const noexcept { return sectorCount > 0 ? sectorCount : gateCount; }
    // Radius of a marker drawn at the given size factor: R / (2 s) * scale, truncated, and no
    // more than MaxMarkerRadius().
    int MarkerRadius(double scale) const noexcept;
    // The largest disc or marker radius: an image of 2 r + 1 pixels a side is never wider than the
    // fan nor taller than the plot, however few the rings and large the scale (the images are
    // made on the library's thread, and one the size of the scaled radius may need gigabytes).
    int MaxMarkerRadius() const noexcept;
    // Width of a track line at its newest point: the dot radius times the scale, never wider than
    // the fan.
    double TrackLineWidth(double locusRadiusScale) const noexcept;
    bool InPlot(int x, int y) const noexcept { return x >= 0 && x < width && y >= 0 && y < height; }

    // Pixel of a range and angle; true when it lies in the plot.
    bool RangeAngleToPixel(double range, double angle, int* x, int* y) const noexcept;
    // The same with the cosine and sine of Theta(angle) already at hand.
    bool RangeDirectionToPixel(double range, double cosTheta, double sinTheta, int* x, int* y) const noexcept;
    // The pixel mapping's angle in radians (mirrored in the top view).
    double Theta(double angle) const noexcept {
        double theta = topViewMode ? -360 - angle : angle;
        return theta * kPi / 180;
    }
    // Cosine and sine of a, the one way every caller computes them, so equal angles give equal
    // results wherever they are computed.
    static void SinCos(double a, double* c, double* s) noexcept;
    // The unrounded position used by track lines: cos t * range * R / N + cx, sin t * ... + oy.
    void TrackPosition(double range, double angle, double* x, double* y) const noexcept;
    // The view angle of the pixel offset (dx, dy) from the origin, in (-360, 0].
    double PixelAngle(int dx, int dy) const noexcept;
    // Radius bounds of the visible gate range.
    double InnerRadius() const noexcept;
    double OuterRadius() const noexcept;
    // Fills width x height bytes: 1 where targets, tracks and monitor points may be drawn.
    void BuildFanMask(uint8_t* mask) const;

    static double ClampAngle(double v) noexcept { return v < -180.0 ? -180.0 : (v > 0.0 ? 0.0 : v); }
    static double ClampAngleStep(double v) noexcept { return v < 0.0 ? 0.0 : (v > 180.0 ? 180.0 : v); }
    static int ClampSmoothCount(int v) noexcept { return v < 1 ? 1 : (v > 255 ? 255 : v); }
    // round() (halves away from zero) saturated to the int range, for coordinates far off-plot.
    static int RoundToInt(double v) noexcept;
    static constexpr double kPi = 3.141592653589793;
    static constexpr double kDegreesPerRadian = 57.29577951308232;
};
