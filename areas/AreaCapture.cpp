#include "areas/AreaCapture.h"

#include <utility>

void AreaCapture::Begin(CaptureMode mode) {
    m_mode = mode;
    m_vertices.clear();
    lastFeedbackX = lastFeedbackY = -1;
}

bool AreaCapture::Add(AreaVertex vertex) {
    if (m_mode == CaptureNone || static_cast<int>(m_vertices.size()) >= kMaxVertices) return false;
    m_vertices.push_back(vertex);
    return true;
}

std::vector<AreaVertex> AreaCapture::End(CaptureMode* mode) {
    if (mode) *mode = m_mode;
    std::vector<AreaVertex> vertices = std::move(m_vertices);
    m_vertices.clear();
    m_mode = CaptureNone;
    lastFeedbackX = lastFeedbackY = -1;
    return vertices;
}
