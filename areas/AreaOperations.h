#pragma once
// The main window's side of the area monitor dialog: its five requests, the polygons the window
// captured for them, and the detect bound handed to the library at each start. The mouse capture
// itself stays with the window, which this class asks for it through IPolygonCaptureHost.
#include <cstdint>

#include "areas/AreaMonitorDlgListener.h"
#include "areas/AreaOverlayController.h"
#include "areas/AreaVertex.h"
#include "settings/RootSettings.h"

class CAreaMonitorDlg;

// The window that captures polygon points with the mouse.
class IPolygonCaptureHost {
public:
    virtual ~IPolygonCaptureHost() = default;
    virtual void BeginPolygonCapture(CaptureMode mode) = 0;
};

class CAreaOperations : public IAreaMonitorDlgListener {
public:
    CAreaOperations(AreaOverlayController& areas, RootSettings& settings, CAreaMonitorDlg& dialog,
                    IPolygonCaptureHost& capture) noexcept
        : m_areas(areas), m_settings(settings), m_dialog(dialog), m_capture(capture) {}

    void OnApplyGateRange(double gateMin, double gateMax, uint64_t context) override;
    void OnAddLightArea(uint32_t inactiveColor, uint32_t activeColor, uint64_t context) override;
    void OnClearLightArea(uint64_t context) override;
    void OnSetDetectArea(uint32_t inactiveColor, uint32_t activeColor, uint64_t context) override;
    void OnDelDetectArea(uint64_t context) override;

    // A captured polygon of three or more vertices, stored and shown as what the capture was for,
    // in the dialog's colours at the moment it is finished.
    void FinishCapturedPolygon(CaptureMode mode, const AreaVertex* vertices, int count);
    // The view's detect area to the library's filters, in the radar record's terms.
    void SendDetectBound();

private:
    AreaOverlayController& m_areas;
    RootSettings& m_settings;
    CAreaMonitorDlg& m_dialog;
    IPolygonCaptureHost& m_capture;
};
