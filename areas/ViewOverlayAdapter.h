#pragma once
// The target view seen through the area logic's interface.
#include "areas/AreaOverlayTarget.h"

class CObjectSectorWnd;

class CViewOverlayAdapter : public IAreaOverlayTarget {
public:
    explicit CViewOverlayAdapter(CObjectSectorWnd& view) noexcept : m_view(view) {}

    void SetDetectArea(const AreaVertex* vertices, int count) override;
    int AddMonitorArea(const AreaVertex* vertices, int count, uint32_t inactiveColor, uint32_t activeColor) override;
    void ClearMonitorAreas() override;
    void ClearDetectArea() override;
    void ClearMonitorPoints() override;
    void AddMonitorPoint(double range, double angle, double radiusScale, const wchar_t* label, uint32_t textColor,
                         uint32_t inactiveColor, uint32_t activeColor) override;
    void SetGateRange(double gateMin, double gateMax, int gateCount) override;
    FanLayout GetFanLayout() const override;
    std::vector<AreaVertex> GetDetectAreaPlotVertices() const override;

private:
    CObjectSectorWnd& m_view;
};
