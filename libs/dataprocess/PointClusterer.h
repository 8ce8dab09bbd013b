// Groups detection points that belong to one body: points closer than radius (metres) to a
// cluster's centre join it. Output points carry the mean position, velocity and the best SNR.
#pragma once

#include <vector>

#include "RadarFrame.h"

class CPointClusterer {
public:
    static std::vector<RadarPoint> Cluster(const std::vector<RadarPoint>& points, double radiusMeters,
                                           double gateSizeMeters);
};
