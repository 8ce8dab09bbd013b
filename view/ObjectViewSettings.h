#pragma once
// The settings the main dialog hands to the target view (ApplyViewSettings).
#include <cstdint>

class CGdipBitmap;

struct ObjectViewSettings {
    CGdipBitmap* customBackground = nullptr;  // copied by the view; null keeps the previous copy
    int32_t topViewMode = 1;
    int32_t angleStart = -180;
    int32_t angleStop = 0;
    int32_t angleStep = 15;
    double gateMin = 0.0;
    double gateMax = 31.0;
    int32_t drawLocus = 1;
    uint32_t displayTime = 2000;  // milliseconds
    int32_t sectorCount = 20;
    double radiusScale = 1.0;
    double locusRadiusScale = 0.5;
    int32_t smoothCount = 1;
};
