#include "areas/DetectBound.h"

#include <algorithm>
#include <cmath>

#include "contracts/ROVA_DataProcess.h"

namespace {
// Nearest integer with halves away from zero; a fan without size gives no usable ratio, so the
// result stays finite and in range whatever the inputs.
int64_t RoundHalfAway(double value) {
    if (std::isnan(value)) return 0;
    const double rounded = std::round(value);
    return static_cast<int64_t>(std::clamp(rounded, -2147483648.0, 2147483647.0));
}

int32_t Clamp(int64_t value, int64_t low, int64_t high) {
    // A limit below 1 leaves no room: everything lands on the lower end.
    return static_cast<int32_t>(std::max(low, std::min(value, high)));
}
}  // namespace

std::vector<int32_t> DetectBound::Compute(const AreaVertex* vertices, int count, int fanWidth, int fanHeight,
                                          const DetectBoundParams& params) {
    std::vector<int32_t> pairs;
    if (!vertices || count <= 0) return pairs;
    pairs.reserve(static_cast<size_t>(count) * 2);
    const double n = params.gateCount;
    const int64_t m = params.boundLimit;
    for (int i = 0; i < count; ++i) {
        int64_t a = RoundHalfAway(vertices[i].row * n / fanHeight);
        int64_t b = RoundHalfAway(vertices[i].column * 2.0 * n / fanWidth - n);
        if (params.angleSlope < -1e-16) b = -b;
        if (params.topViewMode == 0) a = m - a;
        pairs.push_back(Clamp(a, 0, m - 1));
        pairs.push_back(Clamp(b, -m, m - 1));
    }
    return pairs;
}

void DetectBound::Send(const std::vector<int32_t>& pairs, const SetBoundFn* filters) {
    static const SetBoundFn kLibrary[3] = {ROVA_Interface_RadarProcessFilter_MOD_SetDetectBound,
                                           ROVA_Interface_RadarProcessFilter_MTT_SetDetectBound,
                                           ROVA_Interface_RadarProcessFilter_MPT_SetDetectBound};
    if (!filters) filters = kLibrary;
    const int32_t* data = pairs.empty() ? nullptr : pairs.data();
    const int count = static_cast<int>(pairs.size() / 2);
    for (int i = 0; i < 3; ++i) filters[i](data, count);
}
