#include "view/MarkerImage.h"

#include <cmath>
#include <cstring>

void RenderMarkerDisc(uint32_t* pixels, int w, int h, uint32_t colour) {
    if (!pixels || w <= 0 || h <= 0) return;
    std::memset(pixels, 0, static_cast<size_t>(w) * h * sizeof(uint32_t));
    const uint32_t opaque = colour | 0xFF000000u;
    const double limit = w / 2 + 0.2;
    for (int q = 0; q < h; ++q) {
        for (int c = 0; c < w; ++c) {
            int dx = w / 2 - c, dy = h / 2 - q;
            if (std::sqrt(static_cast<double>(dx * dx + dy * dy)) < limit) pixels[q * w + c] = opaque;
        }
    }
}
