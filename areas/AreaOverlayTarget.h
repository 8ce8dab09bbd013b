#pragma once
// The target view as the area logic sees it. The main window adapts its CObjectSectorWnd to this
// interface, so overlay loading, capture finishing and the detect bound can be tested with a
// recording fake instead of a window.
#include <cstdint>
#include <vector>

#include "areas/AreaVertex.h"

// The fan rectangle: its size, and where its top-left corner lies in the plot rectangle.
struct FanLayout {
    int width = 0;
    int height = 0;
    int offsetRow = 0;     // fan top minus plot top
    int offsetColumn = 0;  // fan left minus plot left
};

class IAreaOverlayTarget {
public:
    virtual ~IAreaOverlayTarget() = default;

    // Vertices are fan-relative (AreaVertex); colours are Windows colour values (red in the low byte).
    virtual void SetDetectArea(const AreaVertex* vertices, int count) = 0;
    // The slot used (1 to 31), or -1 when none is free or the polygon is too small.
    virtual int AddMonitorArea(const AreaVertex* vertices, int count, uint32_t inactiveColor,
                               uint32_t activeColor) = 0;
    virtual void ClearMonitorAreas() = 0;
    virtual void ClearDetectArea() = 0;
    virtual void ClearMonitorPoints() = 0;
    virtual void AddMonitorPoint(double range, double angle, double radiusScale, const wchar_t* label,
                                 uint32_t textColor, uint32_t inactiveColor, uint32_t activeColor) = 0;
    virtual void SetGateRange(double gateMin, double gateMax, int gateCount) = 0;

    virtual FanLayout GetFanLayout() const = 0;
    // The detect area as the view holds it: plot coordinates; empty when none is set.
    virtual std::vector<AreaVertex> GetDetectAreaPlotVertices() const = 0;
};
