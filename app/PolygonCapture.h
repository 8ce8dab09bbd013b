#pragma once
// The polygon the operator clicks together on the target view: what it is for, the captured
// points in click order and the screen point of the previous click for the feedback line. Points
// live in a common-library list, one 64-bit value each (row high, column low).
#include <windows.h>

#include <cstdint>
#include <vector>

#include "areas/AreaVertex.h"
#include "contracts/ROVA_Common.h"

class CPolygonCapture {
public:
    static constexpr int kMaxPoints = 1000;

    CPolygonCapture() = default;
    CPolygonCapture(const CPolygonCapture&) = delete;
    CPolygonCapture& operator=(const CPolygonCapture&) = delete;

    // Starts a capture for `mode`: no previous point, empty list.
    void Begin(CaptureMode mode) noexcept;
    // Appends a fan-relative point while a capture runs and fewer than kMaxPoints are held.
    bool Add(int32_t row, int32_t column) noexcept;
    // Ends whatever runs: the vertices in click order when a capture with three or more points
    // ran (else empty), and the mode it ran in. Afterwards no capture runs.
    std::vector<AreaVertex> Finish(CaptureMode* mode);

    CaptureMode Mode() const noexcept { return m_mode; }
    bool Active() const noexcept { return m_mode != CaptureNone; }
    bool Full() const noexcept { return Count() >= kMaxPoints; }
    int Count() const noexcept { return m_points.GetCount(); }
    AreaVertex At(int index) const noexcept { return Unpack(m_points.GetAt(index)); }

    // Screen point of the previous click; x is -1 when there is none.
    POINT previous{-1, -1};

    static void* Pack(int32_t row, int32_t column) noexcept {
        const uint64_t value =
            (static_cast<uint64_t>(static_cast<uint32_t>(row)) << 32) | static_cast<uint32_t>(column);
        return reinterpret_cast<void*>(static_cast<uintptr_t>(value));
    }
    static AreaVertex Unpack(void* value) noexcept {
        const uint64_t v = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(value));
        return AreaVertex{static_cast<int32_t>(static_cast<uint32_t>(v >> 32)),
                          static_cast<int32_t>(static_cast<uint32_t>(v))};
    }

private:
    CaptureMode m_mode = CaptureNone;
    CPtrListCtrl m_points;
};
