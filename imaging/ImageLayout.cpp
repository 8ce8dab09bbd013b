#include "imaging/ImageLayout.h"

#include <algorithm>
#include <cmath>

namespace rova::imaging {

namespace {

int Trunc(double value) {
    return static_cast<int>(std::trunc(value));
}

}  // namespace

std::optional<ResizePlan> PlanResize(int sw, int sh, int w, int h, int mode) {
    if (w < 1 || h < 1 || sw < 1 || sh < 1) return std::nullopt;
    if (mode == 0) return ResizePlan{w, h, Box{0, 0, sw, sh}};
    const double sx = static_cast<double>(w) / sw;
    const double sy = static_cast<double>(h) / sh;
    double s = 0;
    switch (mode) {
    case 1: s = std::min(sx, sy); break;
    case 2: s = std::max(sx, sy); break;
    case 3: s = sx; break;
    case 4: s = sy; break;
    default: return std::nullopt;
    }
    ResizePlan plan;
    plan.outWidth = Trunc(sw * s);
    plan.outHeight = Trunc(sh * s);
    plan.source = Box{Trunc((sw - plan.outWidth / s) * 0.5), Trunc((sh - plan.outHeight / s) * 0.5), sw, sh};
    return plan;
}

std::optional<Box> PlanCentreCrop(int sw, int sh, int w, int h) {
    if (w < 1 || h < 1 || sw < 1 || sh < 1) return std::nullopt;
    const double s = std::min(static_cast<double>(sw) / w, static_cast<double>(sh) / h);
    const int cw = Trunc(w * s);
    const int ch = Trunc(h * s);
    return Box{(sw - cw) / 2, (sh - ch) / 2, cw, ch};
}

Placement PlanCentreUnscaled(int sw, int sh, int w, int h) {
    const int partW = std::min(sw, w);
    const int partH = std::min(sh, h);
    Placement placement;
    placement.source = Box{sw > w ? (sw - w) / 2 : 0, sh > h ? (sh - h) / 2 : 0, partW, partH};
    placement.target = Box{(w - partW) / 2, (h - partH) / 2, partW, partH};
    return placement;
}

std::vector<Box> PlanTiles(int tileW, int tileH, int w, int h, bool clip) {
    std::vector<Box> tiles;
    if (tileW < 1 || tileH < 1 || w < 1 || h < 1) return tiles;
    for (int y = 0; y < h; y += tileH) {
        for (int x = 0; x < w; x += tileW) {
            const int right = clip ? std::min(x + tileW, w) : x + tileW;
            const int bottom = clip ? std::min(y + tileH, h) : y + tileH;
            tiles.push_back(Box{x, y, right - x, bottom - y});
        }
    }
    return tiles;
}

std::vector<Placement> PlanDrawBitmap(const Box& dst, const Box& src, int mode) {
    std::vector<Placement> parts;
    const int dW = dst.width, dH = dst.height, sW = src.width, sH = src.height;
    if (dW < 1 || dH < 1 || sW < 1 || sH < 1) return parts;
    switch (mode) {
    case 0: {
        const double s = std::min(static_cast<double>(sW) / dW, static_cast<double>(sH) / dH);
        const int cw = std::min(sW, Trunc(sW / s));
        const int ch = std::min(sH, Trunc(sH / s));
        parts.push_back(Placement{Box{src.x + (sW - cw) / 2, src.y + (sH - ch) / 2, cw, ch}, dst});
        break;
    }
    case 1: {
        const double s = std::max(static_cast<double>(sW) / dW, static_cast<double>(sH) / dH);
        const int w = Trunc(sW / s);
        const int h = Trunc(sH / s);
        parts.push_back(Placement{src, Box{dst.x + (std::max(w, dW) - w) / 2, dst.y + (std::max(h, dH) - h) / 2, w, h}});
        break;
    }
    case 2:
        for (const Box& tile : PlanTiles(sW, sH, dW, dH, true)) parts.push_back(Placement{src, tile});
        break;
    case 3: {
        Placement centred = PlanCentreUnscaled(sW, sH, dW, dH);
        centred.source.x += src.x;
        centred.source.y += src.y;
        parts.push_back(centred);
        break;
    }
    default:
        parts.push_back(Placement{src, dst});
        break;
    }
    return parts;
}

Placement PlanAlphaDraw(const Box& dst, const Box& src, bool stretch) {
    if (stretch) return Placement{src, dst};
    const int w = std::min(dst.width, src.width);
    const int h = std::min(dst.height, src.height);
    return Placement{Box{src.x, src.y, w, h}, Box{dst.x + (dst.width - w) / 2, dst.y + (dst.height - h) / 2, w, h}};
}

}  // namespace rova::imaging
