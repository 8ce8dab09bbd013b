#include "areas/AreaOperations.h"

#include "areas/AreaMonitorDlg.h"
#include "contracts/ROVA_DataProcess.h"

void CAreaOperations::OnApplyGateRange(double gateMin, double gateMax, uint64_t) {
    m_settings.gateMin = gateMin;
    m_settings.gateMax = gateMax;
    m_areas.ApplyGateRange(gateMin, gateMax, gRadarParameter.gateCount);
}

void CAreaOperations::OnAddLightArea(uint32_t, uint32_t, uint64_t) { m_capture.BeginPolygonCapture(CaptureLightArea); }

void CAreaOperations::OnClearLightArea(uint64_t) { m_areas.ClearLightAreas(); }

void CAreaOperations::OnSetDetectArea(uint32_t, uint32_t, uint64_t) {
    m_areas.DeleteDetectArea();
    m_capture.BeginPolygonCapture(CaptureDetectArea);
}

void CAreaOperations::OnDelDetectArea(uint64_t) { m_areas.DeleteDetectArea(); }

void CAreaOperations::FinishCapturedPolygon(CaptureMode mode, const AreaVertex* vertices, int count) {
    m_areas.FinishPolygon(mode, vertices, count, m_dialog.inactiveColor, m_dialog.activeColor);
}

void CAreaOperations::SendDetectBound() {
    DetectBoundParams params;
    params.gateCount = gRadarParameter.gateCount;
    params.boundLimit = gRadarParameter.boundLimit;
    params.angleSlope = gRadarParameter.angleSlope;
    params.topViewMode = m_settings.topViewMode;
    m_areas.SendDetectBound(params);
}
