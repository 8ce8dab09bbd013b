#pragma once
// The main window's area operations without the window: loading the overlays into the view,
// the storage and view side of the area monitor dialog's requests, finishing a captured polygon
// and the detect bound for the radar library. The main window keeps the Win32 parts (the capture
// of the clicks, the mouse, the feedback drawing) and forwards to this class.
#include <cstdint>

#include "areas/AreaConfigStore.h"
#include "areas/AreaOverlayTarget.h"
#include "areas/DetectBound.h"

class AreaOverlayController {
public:
    AreaOverlayController(AreaConfigStore& store, IAreaOverlayTarget& view) noexcept
        : m_store(store), m_view(view) {}

    void LoadAreasFromConfig() { m_store.LoadAreas(m_view); }
    void LoadMonitorPointsFromConfig() { m_store.LoadMonitorPoints(m_view); }

    // The view gets the range (it clamps it); the file keeps the values as passed.
    void ApplyGateRange(double gateMin, double gateMax, int gateCount);
    // Clear Light Area: all monitor areas leave the view and the file.
    void ClearLightAreas();
    // Del Detect Area, and the first step of Set Detect Area: the detect area leaves the file and
    // the view.
    void DeleteDetectArea();
    // A finished capture: a polygon of 3 or more vertices is stored, then shown, as what the
    // capture was for (light areas in the given colours; the detect area ignores them).
    void FinishPolygon(CaptureMode mode, const AreaVertex* vertices, int count, uint32_t inactiveColor,
                       uint32_t activeColor);

    // The view's detect area (none: an empty bound) to the three filters of the radar library.
    void SendDetectBound(const DetectBoundParams& params, const DetectBound::SetBoundFn* filters = nullptr);

private:
    AreaConfigStore& m_store;
    IAreaOverlayTarget& m_view;
};
