// The main window's area operations: the area monitor dialog and its requests, finished polygons,
// the overlays from appConfig.xml, the detect bound and the presence tick. The work is done by
// AreaOverlayController and PresenceTick; these are the window's forwards.
#include "app/ROVAMTTDlg.h"

void CROVAMTTDlg::CreateAreaMonitorDialog() {
    m_areaDlg.gateMin = m_settings.gateMin;
    m_areaDlg.gateMax = m_settings.gateMax;
    m_areaDlg.dlgGateCount = gRadarParameter.gateCount;
    m_areaDlg.detectAreaEnable = m_settings.algorithmAreaEnable;
    m_areaDlg.Create(m_hWnd);
    m_areaDlg.listener = this;
    m_areaDlg.context = 0;
}

void CROVAMTTDlg::ShowAreaMonitorDialog() { m_areaDlg.ShowWindow(SW_SHOW); }

void CROVAMTTDlg::LoadAreasFromConfig() { m_areas.LoadAreasFromConfig(); }

void CROVAMTTDlg::LoadMonitorPointsFromConfig() { m_areas.LoadMonitorPointsFromConfig(); }

void CROVAMTTDlg::OnApplyGateRange(double gateMin, double gateMax, uint64_t) {
    m_settings.gateMin = gateMin;
    m_settings.gateMax = gateMax;
    m_areas.ApplyGateRange(gateMin, gateMax, gRadarParameter.gateCount);
}

void CROVAMTTDlg::OnAddLightArea(uint32_t, uint32_t, uint64_t) { BeginPolygonCapture(CaptureLightArea); }

void CROVAMTTDlg::OnClearLightArea(uint64_t) { m_areas.ClearLightAreas(); }

void CROVAMTTDlg::OnSetDetectArea(uint32_t, uint32_t, uint64_t) {
    m_areas.DeleteDetectArea();
    BeginPolygonCapture(CaptureDetectArea);
}

void CROVAMTTDlg::OnDelDetectArea(uint64_t) { m_areas.DeleteDetectArea(); }

void CROVAMTTDlg::FinishCapturedPolygon(CaptureMode mode, const AreaVertex* vertices, int count) {
    // The dialog's colours at the moment the polygon is finished, not when drawing began.
    m_areas.FinishPolygon(mode, vertices, count, m_areaDlg.inactiveColor, m_areaDlg.activeColor);
}

void CROVAMTTDlg::SendDetectBound() {
    DetectBoundParams params;
    params.gateCount = gRadarParameter.gateCount;
    params.boundLimit = gRadarParameter.boundLimit;
    params.angleSlope = gRadarParameter.angleSlope;
    params.topViewMode = m_settings.topViewMode;
    m_areas.SendDetectBound(params);
}

void CROVAMTTDlg::OnPresenceTick() {
    const PresenceTickResult result =
        m_slots.Edit([this](CTargetSlots::Array& slots) { return m_presence.Tick(slots.data(), MS_GetTime()); });
    if (result.refreshLabels) UpdateTargetLabels();
    ApplyLamp(ChooseLamp(result.lamp, m_linkStale, m_light.State() == CSerialLightCtrl_YSL::LightFault));
}

void CROVAMTTDlg::ApplyLamp(LampRequest lamp) {
    switch (lamp) {
    case LampRequest::Target: ShowLamp(CSerialLightCtrl_YSL::LightTarget); break;
    case LampRequest::NoTarget: ShowLamp(CSerialLightCtrl_YSL::LightNoTarget); break;
    case LampRequest::Fault: ShowLamp(CSerialLightCtrl_YSL::LightFault); break;
    case LampRequest::Off: ShowLamp(CSerialLightCtrl_YSL::LightOff); break;
    case LampRequest::None: break;
    }
}
