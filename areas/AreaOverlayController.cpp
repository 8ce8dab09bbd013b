#include "areas/AreaOverlayController.h"

#include <vector>

void AreaOverlayController::ApplyGateRange(double gateMin, double gateMax, int gateCount) {
    m_view.SetGateRange(gateMin, gateMax, gateCount);
    m_store.SaveGateRange(gateMin, gateMax);
}

void AreaOverlayController::ClearLightAreas() {
    m_view.ClearMonitorAreas();
    m_store.RemoveMonitorAreas();
}

void AreaOverlayController::DeleteDetectArea() {
    m_store.RemoveDetectArea();
    m_view.ClearDetectArea();
}

void AreaOverlayController::FinishPolygon(CaptureMode mode, const AreaVertex* vertices, int count,
                                          uint32_t inactiveColor, uint32_t activeColor) {
    if (!vertices || count < kMinPolygonVertices) return;
    const FanLayout fan = m_view.GetFanLayout();
    if (mode == CaptureLightArea) {
        // Stored even when the view has no free slot: the file is the operator's record.
        m_store.SaveMonitorArea(vertices, count, inactiveColor, activeColor, fan.width, fan.height);
        m_view.AddMonitorArea(vertices, count, inactiveColor, activeColor);
    } else if (mode == CaptureDetectArea) {
        m_store.SaveDetectArea(vertices, count, fan.width, fan.height);
        m_view.SetDetectArea(vertices, count);
    }
}

void AreaOverlayController::SendDetectBound(const DetectBoundParams& params, const DetectBound::SetBoundFn* filters) {
    const FanLayout fan = m_view.GetFanLayout();
    std::vector<AreaVertex> vertices = m_view.GetDetectAreaPlotVertices();
    // The view keeps plot coordinates; the bound is measured from the fan's corner, like the
    // polygon the operator drew, so a fan placed lower in the plot does not shift the bound.
    for (AreaVertex& v : vertices) {
        v.row -= fan.offsetRow;
        v.column -= fan.offsetColumn;
    }
    DetectBound::Send(DetectBound::Compute(vertices.data(), static_cast<int>(vertices.size()), fan.width,
                                           fan.height, params),
                      filters);
}
