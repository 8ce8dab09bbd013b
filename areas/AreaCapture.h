#pragma once
// The polygon the operator is clicking together on the target view: what it will become, its
// vertices in click order (fan-relative) and the last click's screen point for the feedback line.
#include <vector>

#include "areas/AreaVertex.h"

class AreaCapture {
public:
    static constexpr int kMaxVertices = 1000;

    // Starts a fresh capture; a capture already running is dropped.
    void Begin(CaptureMode mode);
    // Appends a vertex while a capture runs and fewer than kMaxVertices are held.
    bool Add(AreaVertex vertex);
    // Ends the capture: returns the vertices and resets mode, list and feedback point.
    std::vector<AreaVertex> End(CaptureMode* mode);

    CaptureMode Mode() const noexcept { return m_mode; }
    bool Active() const noexcept { return m_mode != CaptureNone; }
    const std::vector<AreaVertex>& Vertices() const noexcept { return m_vertices; }

    // Screen point of the previous click; x is -1 when there is none.
    int lastFeedbackX = -1;
    int lastFeedbackY = -1;

private:
    CaptureMode m_mode = CaptureNone;
    std::vector<AreaVertex> m_vertices;
};
