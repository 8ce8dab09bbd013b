#pragma once
// The detect area in the units of the radar library's filters: each vertex becomes a pair
// (a, b) of range-gate coordinates, a along the range and b across it, clamped to the filters'
// bound limit, and the pairs go to the MOD, MTT and MPT filters in that order.
#include <cstdint>
#include <vector>

#include "areas/AreaVertex.h"

struct DetectBoundParams {
    int gateCount = 0;       // N
    int boundLimit = 0;      // M
    double angleSlope = 1.0; // a negative slope mirrors b
    int topViewMode = 1;     // 0 counts a from the far end
};

class DetectBound {
public:
    using SetBoundFn = int (*)(const int32_t* pairs, int count);

    // Pairs a0, b0, a1, b1, ... for fan-relative vertices of a fan of fanWidth x fanHeight.
    static std::vector<int32_t> Compute(const AreaVertex* vertices, int count, int fanWidth, int fanHeight,
                                        const DetectBoundParams& params);
    // Hands the pairs to the three filters (MOD, MTT, MPT); an empty list clears their bound.
    // filters: three functions in that order; null uses the radar library's.
    static void Send(const std::vector<int32_t>& pairs, const SetBoundFn* filters = nullptr);
};
