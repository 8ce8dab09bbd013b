#include "areas/AreaOperations.h"

#include "areas/AreaMonitorDlg.h"
#include "contracts/ROVA_DataProcess.h"

void CAreaOperations::OnApplyGateRange(double gateMin, double gateMax, uint64_t) {
    settings_.gateMin = gateMin;
    settings_.gateMax = gateMax;
    areas_.ApplyGateRange(gateMin, gateMax, gRadarParameter.gateCount);
}

void CAreaOperations::OnAddLightArea(uint32_t, uint32_t, uint64_t) { capture_.BeginPolygonCapture(CaptureLightArea); }

void CAreaOperations::OnClearLightArea(uint64_t) { areas_.ClearLightAreas(); }

void CAreaOperations::OnSetDetectArea(uint32_t, uint32_t, uint64_t) {
    areas_.DeleteDetectArea();
    capture_.BeginPolygonCapture(CaptureDetectArea);
}

void CAreaOperations::OnDelDetectArea(uint64_t) { areas_.DeleteDetectArea(); }

void CAreaOperations::FinishCapturedPolygon(CaptureMode mode, const AreaVertex* vertices, int count) {
    areas_.FinishPolygon(mode, vertices, count, dialog_.inactiveColor, dialog_.activeColor);
}

void CAreaOperations::SendDetectBound() {
    DetectBoundParams params;
    params.gateCount = gRadarParameter.gateCount;
    params.boundLimit = gRadarParameter.boundLimit;
    params.angleSlope = gRadarParameter.angleSlope;
    params.topViewMode = settings_.topViewMode;
    areas_.SendDetectBound(params);
}
