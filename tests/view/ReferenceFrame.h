#pragma once
// The frame of the target view computed the plain way, pixel by pixel and layer by layer, with
// a polygon test per pixel and slot and a plot-sized coverage buffer per track line. The view's
// own composition must give exactly the same pixels.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "contracts/ROVA_Common.h"
#include "view/PixelMath.h"
#include "view/SectorScene.h"

namespace reference {

inline bool InPolygon(const AreaSlot& s, int x, int y) {
    return s.used && s.count >= 3 && IsPointInPolygonSides(y, x, s.vertices.data(), s.count) >= 0;
}

inline std::vector<uint32_t> AreaMap(const SectorScene& scene) {
    const SectorGeometry& g = scene.Geometry();
    std::vector<uint32_t> map(static_cast<size_t>(g.width) * g.height, 0);
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            for (int k = 0; k < kAreaSlotCount; ++k)
                if (InPolygon(scene.Slot(k), x, y)) map[static_cast<size_t>(y) * g.width + x] |= 1u << k;
    return map;
}

inline void* Pack(int x, int y) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>((static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32) |
                                                          static_cast<uint32_t>(x)));
}

inline std::vector<uint32_t> Frame(const SectorScene& scene, const std::vector<uint32_t>& background) {
    using namespace pixelmath;
    const SectorGeometry& g = scene.Geometry();
    const int w = g.width, h = g.height;
    const std::vector<uint8_t>& mask = scene.FanMask();
    std::vector<uint32_t> work = background;
    const std::vector<uint32_t> map = AreaMap(scene);
    const uint32_t now = scene.Now();
    const auto& settings = scene.GetSettings();

    std::vector<const TargetTrack*> tracks;
    scene.ForEachTrack([&](const TargetTrack& t) { tracks.push_back(&t); });

    bool anyArea = false;
    for (int k = 0; k < kAreaSlotCount; ++k) {
        const AreaSlot& s = scene.Slot(k);
        anyArea = anyArea || (s.used && s.count > 0 && !s.vertices.empty());
    }
    if (anyArea) {
        for (int k = 0; k < kAreaSlotCount; ++k) {
            const AreaSlot& s = scene.Slot(k);
            uint32_t c = s.inactiveColour;
            if (s.used) {
                for (const TargetTrack* t : tracks) {
                    const TrackPoint* p = t->Newest();
                    if (!p) continue;
                    int x, y;
                    if (g.RangeAngleToPixel(p->smoothRange, p->smoothAngle, &x, &y) &&
                        (map[static_cast<size_t>(y) * w + x] & (1u << k))) {
                        c = s.activeColour;
                        break;
                    }
                }
            }
            for (size_t i = 0; i < work.size(); ++i)
                if (map[i] & (1u << k)) work[i] = BlendArea(work[i], c);
        }
    }

    for (const TargetTrack* t : tracks) {
        const TrackPoint* newest = t->Newest();
        if (!newest) continue;
        const int alpha = FadeAlpha(now - newest->time, settings.displayTime);
        if (settings.drawLocus) {
            CPtrListCtrl line;
            double lx, ly;
            g.TrackPosition(newest->smoothRange, newest->smoothAngle, &lx, &ly);
            line.AddData(Pack(static_cast<int>(std::round(lx)), static_cast<int>(std::round(ly))), -1);
            for (int i = 1; i < t->PointCount(); ++i) {
                double x, y;
                g.TrackPosition(t->PointAt(i)->smoothRange, t->PointAt(i)->smoothAngle, &x, &y);
                if (std::sqrt((x - lx) * (x - lx) + (y - ly) * (y - ly)) > 4.0) {
                    line.AddData(Pack(static_cast<int>(std::round(x)), static_cast<int>(std::round(y))), -1);
                    lx = x;
                    ly = y;
                }
            }
            std::vector<uint8_t> coverage(static_cast<size_t>(w) * h, 0);
            DrawGradualMultiLine(w, h, &line, g.dotRadius * settings.locusRadiusScale, 0.0, alpha / 255.0, 0.0,
                                 coverage.data());
            for (size_t i = 0; i < work.size(); ++i)
                if (mask[i] == 1 && coverage[i] > 0) work[i] = BlendOver(work[i], SectorScene::kTrackColour, coverage[i] / 255.0);
        }
        // Disc, with the current dot radius: the view keeps discs at that size.
        const int r = g.dotRadius;
        if (t->DiscSide() != 2 * r + 1) return {};  // a disc of another size: report as a mismatch
        int x, y;
        g.RangeAngleToPixel(newest->smoothRange, newest->smoothAngle, &x, &y);
        for (int i = 0; i <= 2 * r; ++i) {
            for (int j = 0; j <= 2 * r; ++j) {
                int px = x + i - r, py = y + j - r;
                if (!g.InPlot(px, py) || !mask[static_cast<size_t>(py) * w + px]) continue;
                uint32_t s = t->Disc()[j * (2 * r + 1) + i];
                if (Alpha(s) == 0) continue;
                int sa = static_cast<int>(Alpha(s) * alpha) >> 8;
                uint32_t& d = work[static_cast<size_t>(py) * w + px];
                d = BlendOver(d, s, sa / 255.0);
            }
        }
    }

    // The count of tracks inside each monitor area: digits of 3 x 5 cells of 2 x 2 pixels, a cell
    // apart, 12 rows above the area's top-left corner (or just inside it near the plot's top),
    // black one pixel down and right under white.
    if (anyArea) {
        static const char* const kGlyphs[10][5] = {
            {"###", "#.#", "#.#", "#.#", "###"}, {".#.", "##.", ".#.", ".#.", "###"}, {"###", "..#", "###", "#..", "###"},
            {"###", "..#", "###", "..#", "###"}, {"#.#", "#.#", "###", "..#", "..#"}, {"###", "#..", "###", "..#", "###"},
            {"###", "#..", "###", "#.#", "###"}, {"###", "..#", "..#", "..#", "..#"}, {"###", "#.#", "###", "#.#", "###"},
            {"###", "#.#", "###", "..#", "###"}};
        for (int k = 1; k < kAreaSlotCount; ++k) {
            const AreaSlot& s = scene.Slot(k);
            if (!s.used || s.count < 3) continue;
            int count = 0;
            for (const TargetTrack* t : tracks) {
                const TrackPoint* p = t->Newest();
                int x, y;
                if (p && g.RangeAngleToPixel(p->smoothRange, p->smoothAngle, &x, &y) &&
                    (map[static_cast<size_t>(y) * w + x] & (1u << k)))
                    ++count;
            }
            if (count == 0) continue;
            int left = w, top = h;
            for (int i = 0; i < s.count; ++i) {
                left = std::min(left, std::max(0, s.vertices[i].column));
                top = std::min(top, std::max(0, s.vertices[i].row));
            }
            const std::string text = std::to_string(std::min(count, 255));
            const int x0 = std::clamp(left, 0, std::max(0, w - static_cast<int>(text.size()) * 8 - 1));
            const int y0 = top - 12 >= 0 ? top - 12 : std::min(top + 1, std::max(0, h - 11));
            for (int shift = 1; shift >= 0; --shift) {
                for (size_t d = 0; d < text.size(); ++d) {
                    for (int row = 0; row < 10; ++row) {
                        for (int col = 0; col < 6; ++col) {
                            const int x = x0 + static_cast<int>(d) * 8 + col + shift, y = y0 + row + shift;
                            if (g.InPlot(x, y) && kGlyphs[text[d] - '0'][row / 2][col / 2] == '#')
                                work[static_cast<size_t>(y) * w + x] = shift ? 0xFF000000u : 0xFFFFFFFFu;
                        }
                    }
                }
            }
        }
    }

    scene.ForEachMonitorPoint([&](const MonitorPointEntry& e) {
        int x, y;
        g.RangeAngleToPixel(e.range, e.angle, &x, &y);
        const int d = g.MarkerRadius(e.radiusScale);
        const std::vector<uint32_t>& image = e.active ? e.activeImage : e.inactiveImage;
        for (int i = 0; i <= 2 * d; ++i) {
            for (int j = 0; j <= 2 * d; ++j) {
                int px = x - d + i, py = y - d + j;
                if (!g.InPlot(px, py) || mask[static_cast<size_t>(py) * w + px] != 1) continue;
                uint32_t s = image.at(static_cast<size_t>(j) * (2 * d + 1) + i);
                if (Alpha(s) != 0) work[static_cast<size_t>(py) * w + px] = s;
            }
        }
    });
    return work;
}

}  // namespace reference
