#pragma once
// A target view that keeps what it is given, refuses areas beyond 31 like the real one and logs
// the order of the calls.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "areas/AreaOverlayTarget.h"

inline bool operator==(const AreaVertex& a, const AreaVertex& b) { return a.row == b.row && a.column == b.column; }
inline void PrintTo(const AreaVertex& v, std::ostream* os) { *os << "(" << v.row << ", " << v.column << ")"; }

struct FakeArea {
    std::vector<AreaVertex> vertices;
    uint32_t inactive = 0;
    uint32_t active = 0;
};

struct FakePoint {
    double range = 0, angle = 0, radiusScale = 0;
    std::wstring label;
    uint32_t text = 0, inactive = 0, active = 0;
};

class FakeOverlayTarget : public IAreaOverlayTarget {
public:
    void SetDetectArea(const AreaVertex* v, int count) override {
        log.push_back("SetDetectArea");
        detect = std::vector<AreaVertex>(v, v + count);
    }
    int AddMonitorArea(const AreaVertex* v, int count, uint32_t inactive, uint32_t active) override {
        log.push_back("AddMonitorArea");
        if (count < 3 || areas.size() >= 31) return -1;
        areas.push_back({std::vector<AreaVertex>(v, v + count), inactive, active});
        return static_cast<int>(areas.size());
    }
    void ClearMonitorAreas() override {
        log.push_back("ClearMonitorAreas");
        areas.clear();
    }
    void ClearDetectArea() override {
        log.push_back("ClearDetectArea");
        detect.reset();
    }
    void ClearMonitorPoints() override {
        log.push_back("ClearMonitorPoints");
        points.clear();
    }
    void AddMonitorPoint(double range, double angle, double radiusScale, const wchar_t* label, uint32_t text,
                         uint32_t inactive, uint32_t active) override {
        points.push_back({range, angle, radiusScale, label, text, inactive, active});
    }
    void SetGateRange(double gateMin, double gateMax, int gateCount) override {
        log.push_back("SetGateRange " + std::to_string(gateMin) + " " + std::to_string(gateMax) + " " +
                      std::to_string(gateCount));
    }
    FanLayout GetFanLayout() const override { return fan; }
    std::vector<AreaVertex> GetDetectAreaPlotVertices() const override {
        std::vector<AreaVertex> plot = detect.value_or(std::vector<AreaVertex>{});
        for (AreaVertex& v : plot) {
            v.row += fan.offsetRow;
            v.column += fan.offsetColumn;
        }
        return plot;
    }

    FanLayout fan{800, 600, 0, 0};
    std::optional<std::vector<AreaVertex>> detect;
    std::vector<FakeArea> areas;
    std::vector<FakePoint> points;
    std::vector<std::string> log;
};
