#include "view/MarkerImage.h"

#include <cmath>
#include <cstdint>
#include <cstring>

void RenderMarkerDisc(uint32_t* pixels, int w, int h, uint32_t colour) {
    if (!pixels || w <= 0 || h <= 0) return;
    std::memset(pixels, 0, static_cast<size_t>(w) * h * sizeof(uint32_t));
    const uint32_t opaque = colour | 0xFF000000u;
    const double limit = w / 2 + 0.2;
    // 64-bit squares and indices: an image past 46341 pixels a side would wrap them in int.
    for (int q = 0; q < h; ++q) {
        const int64_t dy = h / 2 - q;
        uint32_t* row = pixels + static_cast<size_t>(q) * w;
        for (int c = 0; c < w; ++c) {
            const int64_t dx = w / 2 - c;
            if (std::sqrt(static_cast<double>(dx * dx + dy * dy)) < limit) row[c] = opaque;
        }
    }
}
