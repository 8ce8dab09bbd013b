// A detect polygon in bound coordinates: a = distance along the boresight in gates (the gate
// row), b = lateral position in gates, positive to the right. Empty (fewer than 3 vertices):
// everything is inside.
#pragma once

#include <cstdint>
#include <vector>

struct RadarPoint;

class CDetectBound {
public:
    // Copies count (a, b) pairs; count < 3 or null pairs clears the polygon.
    void Set(const int32_t* pairs, int count);
    void Clear() { vertices_.clear(); }
    bool IsSet() const { return !vertices_.empty(); }
    // Vertices as given, flattened (a0, b0, a1, b1, ...).
    const std::vector<int32_t>& Pairs() const { return pairs_; }

    // The boundary counts as inside.
    bool Contains(double a, double b) const;
    // A point of a frame: a = gate x cos(angle), b = gate x sin(angle).
    bool Contains(const RadarPoint& point) const;

private:
    struct Vertex {
        double a, b;
    };
    std::vector<Vertex> vertices_;
    std::vector<int32_t> pairs_;
};
