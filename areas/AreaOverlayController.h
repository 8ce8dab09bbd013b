#pragma once
// The main window's area operations without the window: loading the overlays into the view,
// the five area monitor dialog requests, finishing a captured polygon and the detect bound for
// the radar library. The main window keeps only the Win32 parts (mouse capture, feedback
// drawing) and forwards to this class.
#include <cstdint>

#include "areas/AreaCapture.h"
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
    // Starts a light-area capture; existing areas stay. The caller captures the mouse.
    void AddLightArea();
    void ClearLightAreas();
    // Drops the stored and shown detect area and starts capturing a new one.
    void SetDetectArea();
    void DeleteDetectArea();
    // Ends the capture; a polygon of 3 or more vertices is stored and shown as what the capture
    // was for (light areas in the given colours). The caller releases the mouse.
    void FinishCapture(uint32_t inactiveColor, uint32_t activeColor);

    // The view's detect area (none: an empty bound) to the three filters of the radar library.
    void SendDetectBound(const DetectBoundParams& params, const DetectBound::SetBoundFn* filters = nullptr);

    AreaCapture& Capture() noexcept { return m_capture; }

private:
    AreaConfigStore& m_store;
    IAreaOverlayTarget& m_view;
    AreaCapture m_capture;
};
