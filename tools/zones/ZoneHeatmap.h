#pragma once
// The picture of a replay: the fan, the density of the accepted target positions over the whole
// recording (a colour ramp over a logarithmic scale, each position spread over a marker's size) and
// the outlines of the areas (monitor areas white, the detect area green).
#include <cstdint>
#include <string>
#include <vector>

#include "view/SectorScene.h"

class ZoneHeatmap {
public:
    // 0xAARRGGBB pixels, the scene's plot size.
    static std::vector<uint32_t> Render(const SectorScene& scene, const std::vector<uint32_t>& density);
    // Writes pixels as a PNG through GDI+ (which must be running). False when it cannot be written.
    static bool SavePng(const std::vector<uint32_t>& pixels, int width, int height, const std::wstring& path);
};
