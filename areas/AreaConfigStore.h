#pragma once
// The stored form of the overlays in appConfig.xml: the detect area ("AlgorithmArea"), the
// monitor areas ("MonitorArea") and the monitor points ("MonitorPoint"), all children of
// "AppConfig". Loading hands them to the target view; storing and removing edit the document and
// write the whole file.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/XMLParser.h"
#include "areas/AreaOverlayTarget.h"
#include "areas/AreaVertex.h"

constexpr uint32_t kDefaultInactiveColor = 0xFFFF00;
constexpr uint32_t kDefaultActiveColor = 0x54DC;
constexpr uint32_t kDefaultTextColor = 0xFFFFFF;
// Loaded vertices are limited to this distance from the fan corner, so that the view's conversion
// to plot coordinates and its polygon arithmetic cannot overflow on a damaged file.
constexpr int32_t kMaxVertexCoordinate = 1 << 24;
// A monitor point's "RadiusScale" (default 1) is clamped to this range: the marker disc grows with
// it, and a damaged or hand-edited file must not ask for a disc of millions of pixels.
constexpr double kMinPointRadiusScale = 0.0;
constexpr double kMaxPointRadiusScale = 100.0;

class AreaConfigStore {
public:
    // save writes the document; by default the document's own SaveConfig.
    explicit AreaConfigStore(XMLParser& document, std::function<bool()> save = {});

    // Detect area (only when the stored one has 3 or more vertices), then every monitor area.
    void LoadAreas(IAreaOverlayTarget& view);
    void LoadMonitorPoints(IAreaOverlayTarget& view);

    void SaveMonitorArea(const AreaVertex* vertices, int count, uint32_t inactiveColor,
                         uint32_t activeColor, int fanWidth, int fanHeight);
    void SaveDetectArea(const AreaVertex* vertices, int count, int fanWidth, int fanHeight);
    void RemoveMonitorAreas();
    void RemoveDetectArea();
    // The visible gate range as passed, "%.1f" each.
    void SaveGateRange(double gateMin, double gateMax);

    // "%d,%d" of width and height.
    static std::string FormatBoundSize(int width, int height);
    // "%d,%d; " per vertex.
    static std::string FormatPoints(const AreaVertex* vertices, int count);
    // The "Points" of an element rescaled from its "BoundSize" to the current fan size. A bound
    // that is absent, not two numbers, or not positive in both components leaves the vertices as
    // stored.
    static std::vector<AreaVertex> ReadPolygon(const XMLNode& element, int fanWidth, int fanHeight);
    // An unsigned 32-bit decimal colour; absent, empty or unreadable text gives fallback.
    static uint32_t ReadColor(const XMLNode& element, const char* name, uint32_t fallback);

private:
    bool Save();
    XMLParser& m_document;
    std::function<bool()> m_save;
};
