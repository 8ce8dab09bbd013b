#include "app/PolygonCapture.h"

void CPolygonCapture::Begin(CaptureMode mode) noexcept {
    m_mode = mode;
    previous = POINT{-1, -1};
    m_points.RemoveAll();
}

bool CPolygonCapture::Add(int32_t row, int32_t column) noexcept {
    if (!Active() || Full()) return false;
    return m_points.AddData(Pack(row, column)) >= 0;
}

std::vector<AreaVertex> CPolygonCapture::Finish(CaptureMode* mode) {
    std::vector<AreaVertex> vertices;
    if (mode) *mode = m_mode;
    if (Active() && Count() >= kMinPolygonVertices) {
        vertices.reserve(static_cast<size_t>(Count()));
        for (int i = 0; i < Count(); ++i)
            vertices.push_back(At(i));
    }
    m_points.RemoveAll();
    m_mode = CaptureNone;
    previous = POINT{-1, -1};
    return vertices;
}
