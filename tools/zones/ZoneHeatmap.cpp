#include "tools/zones/ZoneHeatmap.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "imaging/ImageHelpers.h"

namespace {

constexpr uint32_t kOutside = 0xFF181818;
constexpr uint32_t kFan = 0xFF0C1430;
constexpr uint32_t kMonitorOutline = 0xFFFFFFFF;
constexpr uint32_t kDetectOutline = 0xFF83C58B;

// Dark blue through cyan and yellow to red, t in [0, 1].
uint32_t Ramp(double t) {
    static const double stops[][3] = {{20, 40, 160}, {0, 200, 230}, {250, 230, 40}, {230, 30, 20}};
    t = std::clamp(t, 0.0, 1.0) * 3;
    const int i = std::min(2, static_cast<int>(t));
    const double f = t - i;
    auto mix = [&](int c) { return static_cast<uint32_t>(stops[i][c] + (stops[i + 1][c] - stops[i][c]) * f + 0.5); };
    return 0xFF000000u | (mix(0) << 16) | (mix(1) << 8) | mix(2);
}

// Box sums of a w x h plane over a (2r + 1) square, in two passes.
std::vector<double> Spread(const std::vector<uint32_t>& plane, int w, int h, int r) {
    std::vector<double> rows(plane.size()), out(plane.size());
    for (int y = 0; y < h; ++y) {
        double sum = 0;
        const uint32_t* in = plane.data() + static_cast<size_t>(y) * w;
        for (int x = -r; x < w; ++x) {
            if (x + r < w) sum += in[x + r];
            if (x - r - 1 >= 0) sum -= in[x - r - 1];
            if (x >= 0) rows[static_cast<size_t>(y) * w + x] = sum;
        }
    }
    for (int x = 0; x < w; ++x) {
        double sum = 0;
        for (int y = -r; y < h; ++y) {
            if (y + r < h) sum += rows[static_cast<size_t>(y + r) * w + x];
            if (y - r - 1 >= 0) sum -= rows[static_cast<size_t>(y - r - 1) * w + x];
            if (y >= 0) out[static_cast<size_t>(y) * w + x] = sum;
        }
    }
    return out;
}

}  // namespace

std::vector<uint32_t> ZoneHeatmap::Render(const SectorScene& scene, const std::vector<uint32_t>& density) {
    const SectorGeometry& g = scene.Geometry();
    const int w = g.width, h = g.height;
    const size_t total = static_cast<size_t>(w) * h;
    std::vector<uint32_t> out(total, kOutside);
    if (total == 0 || density.size() != total || scene.FanMask().size() != total || scene.AreaMap().size() != total)
        return out;
    const std::vector<double> spread = Spread(density, w, h, std::max(2, g.dotRadius / 2));
    const double peak = *std::max_element(spread.begin(), spread.end());
    const std::vector<uint8_t>& mask = scene.FanMask();
    for (size_t i = 0; i < total; ++i) {
        if (!mask[i]) continue;
        out[i] = spread[i] > 0 && peak > 0 ? Ramp(std::log1p(spread[i]) / std::log1p(peak)) : kFan;
    }
    // Outlines: a pixel of an area with a neighbour outside it.
    const std::vector<uint32_t>& map = scene.AreaMap();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t bits = map[static_cast<size_t>(y) * w + x];
            if (!bits) continue;
            uint32_t inner = bits;
            inner &= x > 0 ? map[static_cast<size_t>(y) * w + x - 1] : 0;
            inner &= x + 1 < w ? map[static_cast<size_t>(y) * w + x + 1] : 0;
            inner &= y > 0 ? map[static_cast<size_t>(y - 1) * w + x] : 0;
            inner &= y + 1 < h ? map[static_cast<size_t>(y + 1) * w + x] : 0;
            const uint32_t edge = bits & ~inner;
            if (edge & ~1u) {
                out[static_cast<size_t>(y) * w + x] = kMonitorOutline;
            } else if (edge & 1u) {
                out[static_cast<size_t>(y) * w + x] = kDetectOutline;
            }
        }
    }
    return out;
}

bool ZoneHeatmap::SavePng(const std::vector<uint32_t>& pixels, int width, int height, const std::wstring& path) {
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * height) return false;
    std::vector<uint32_t> copy = pixels;  // GDI+ may keep pointing at the bits until the bitmap is freed
    std::unique_ptr<CGdipBitmap, void (*)(CGdipBitmap*)> image(
        Gdiplus_LoadBitmapFromImageBits(copy.data(), width, height, width * 4, kPixelFormat32Argb), Gdiplus_DeleteBitmap);
    if (!image) return false;
    // A partial file must not stand for a picture: written aside, then moved into place.
    const std::wstring temporary = path + L".part.png";  // the encoder follows the extension
    if (!Gdiplus_SaveBitmapToFileW(image.get(), temporary.c_str())) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    image.reset();
    if (!::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}
