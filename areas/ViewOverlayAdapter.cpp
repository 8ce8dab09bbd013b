#include "areas/ViewOverlayAdapter.h"

#include "view/ObjectSectorWnd.h"

void CViewOverlayAdapter::SetDetectArea(const AreaVertex* vertices, int count) { m_view.SetDetectArea(vertices, count); }

int CViewOverlayAdapter::AddMonitorArea(const AreaVertex* vertices, int count, uint32_t inactiveColor,
                                        uint32_t activeColor) {
    return m_view.AddMonitorArea(vertices, count, inactiveColor, activeColor);
}

void CViewOverlayAdapter::ClearMonitorAreas() { m_view.ClearMonitorAreas(); }

void CViewOverlayAdapter::ClearDetectArea() { m_view.ClearDetectArea(); }

void CViewOverlayAdapter::ClearMonitorPoints() { m_view.ClearMonitorPoints(); }

void CViewOverlayAdapter::AddMonitorPoint(double range, double angle, double radiusScale, const wchar_t* label,
                                          uint32_t textColor, uint32_t inactiveColor, uint32_t activeColor) {
    m_view.AddMonitorPoint(range, angle, radiusScale, label, textColor, inactiveColor, activeColor);
}

void CViewOverlayAdapter::SetGateRange(double gateMin, double gateMax, int gateCount) {
    m_view.SetGateRange(gateMin, gateMax, gateCount);
}

FanLayout CViewOverlayAdapter::GetFanLayout() const {
    const auto& geometry = m_view.Scene().Geometry();
    FanLayout layout;
    layout.width = geometry.fan.right - geometry.fan.left;
    layout.height = geometry.fan.bottom - geometry.fan.top;
    layout.offsetRow = geometry.fan.top - geometry.plot.top;
    layout.offsetColumn = geometry.fan.left - geometry.plot.left;
    return layout;
}

std::vector<AreaVertex> CViewOverlayAdapter::GetDetectAreaPlotVertices() const { return m_view.GetDetectArea(); }
