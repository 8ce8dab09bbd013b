#pragma once
// A monitor point of the view: a marker at a range and angle that turns active while a target
// is near it.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct MonitorPointEntry {
    double range = 0.0;        // gates
    double angle = 0.0;        // view angle, degrees
    double radiusScale = 1.0;
    int32_t active = 0;        // written by the track update under the monitor-point lock
    // Square marker images of side 2 * markerRadius + 1.
    int markerRadius = 0;
    std::vector<uint32_t> inactiveImage;
    std::vector<uint32_t> activeImage;
    // What the images are made from, so a layout change can render them at the new size.
    std::wstring label;
    COLORREF textColour = 0;
    uint32_t inactiveColour = 0;  // 0x00RRGGBB
    uint32_t activeColour = 0;    // 0x00RRGGBB
    // Position in gates (cos, sin of the angle times the range), for the nearness test.
    double gateX = 0.0;
    double gateY = 0.0;
};
