// Pixel buffers, rectangles, the polygon test and the anti-aliased polyline.
#include "ROVA_Common.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

HBITMAP CreateHBitmap(void** pixels, int width, int height, int bitsPerPixel, HANDLE section, DWORD offset) {
    if (pixels) *pixels = nullptr;
    if (width <= 0 || height == 0) return nullptr;
    switch (bitsPerPixel) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return nullptr;
    }
    // Room for a full palette, for depths that use one.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    int rows = height < 0 ? -height : height;
    info.header.biHeight = (bitsPerPixel == 32) ? -rows : height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.header.biCompression = BI_RGB;
    if (bitsPerPixel <= 8) {
        // A grey ramp: index i shows as grey level i scaled to the depth.
        int colors = 1 << bitsPerPixel;
        info.header.biClrUsed = static_cast<DWORD>(colors);
        for (int i = 0; i < colors; ++i) {
            BYTE level = static_cast<BYTE>(i * 255 / (colors - 1));
            info.colors[i] = RGBQUAD{level, level, level, 0};
        }
    }
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                      section, offset);
    if (!bitmap) return nullptr;
    if (pixels) *pixels = bits;
    return bitmap;
}

int DrawColorOnBuffer(uint32_t value, void* pixels, const RECT* rect, int stride) {
    if (!pixels || !rect || rect->right <= rect->left || rect->bottom <= rect->top || rect->left < 0 ||
        rect->top < 0) {
        return 0;
    }
    auto* base = static_cast<unsigned char*>(pixels);
    for (int y = rect->top; y < rect->bottom; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(base + static_cast<ptrdiff_t>(y) * stride) + rect->left;
        std::fill(row, row + (rect->right - rect->left), value);
    }
    return 1;
}

int DrawBufferOnBuffer(void* destination, int destinationX, int destinationY, int destinationStride,
                       const void* source, const RECT* sourceRect, int sourceStride, int bytesPerPixel) {
    if (!destination || !source || !sourceRect || bytesPerPixel < 1 || bytesPerPixel > 4) return 0;
    if (destinationX < 0 || destinationY < 0 || sourceRect->left < 0 || sourceRect->top < 0) return 0;
    int w = sourceRect->right - sourceRect->left;
    int h = sourceRect->bottom - sourceRect->top;
    if (w <= 0 || h <= 0) return 0;
    size_t rowBytes = static_cast<size_t>(w) * bytesPerPixel;
    auto* dst = static_cast<unsigned char*>(destination);
    auto* src = static_cast<const unsigned char*>(source);
    for (int y = 0; y < h; ++y) {
        std::memcpy(dst + static_cast<ptrdiff_t>(destinationY + y) * destinationStride +
                        static_cast<ptrdiff_t>(destinationX) * bytesPerPixel,
                    src + static_cast<ptrdiff_t>(sourceRect->top + y) * sourceStride +
                        static_cast<ptrdiff_t>(sourceRect->left) * bytesPerPixel,
                    rowBytes);
    }
    return 1;
}

namespace {
struct PointD {
    double x;
    double y;
};

PointD Unpack(void* value) {
    uint64_t packed = reinterpret_cast<uintptr_t>(value);
    auto x = static_cast<int32_t>(static_cast<uint32_t>(packed & 0xFFFFFFFFu));
    auto y = static_cast<int32_t>(static_cast<uint32_t>(packed >> 32));
    return {static_cast<double>(x), static_cast<double>(y)};
}

// Coverage of one segment from a (with width wa, opacity oa) to b (wb, ob), max-combined.
void DrawSegment(int width, int height, PointD a, PointD b, double wa, double wb, double oa, double ob,
                 uint8_t* coverage, bool* drew) {
    double dx = b.x - a.x, dy = b.y - a.y;
    double length2 = dx * dx + dy * dy;
    double reach = std::max(wa, wb) / 2.0 + 1.0;
    int x0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - reach)));
    int x1 = std::min(width - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + reach)));
    int y0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - reach)));
    int y1 = std::min(height - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + reach)));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            // Pixel (x, y) covers [x, x+1) x [y, y+1); the polyline's integer points are pixel
            // positions, so distances are taken from the pixel's own coordinates.
            double px = x - a.x, py = y - a.y;
            double t = length2 > 0 ? std::clamp((px * dx + py * dy) / length2, 0.0, 1.0) : 0.0;
            double ex = px - t * dx, ey = py - t * dy;
            double distance = std::sqrt(ex * ex + ey * ey);
            double halfWidth = (wa + (wb - wa) * t) / 2.0;
            double opacity = std::clamp(oa + (ob - oa) * t, 0.0, 1.0);
            double edge = std::clamp(halfWidth + 0.5 - distance, 0.0, 1.0);
            int value = static_cast<int>(std::lround(opacity * edge * 255.0));
            if (value <= 0) continue;
            uint8_t& cell = coverage[static_cast<size_t>(y) * width + x];
            if (value > cell) cell = static_cast<uint8_t>(value);
            *drew = true;
        }
    }
}
}  // namespace

int DrawGradualMultiLine(int width, int height, CPtrCtrl* points, double startWidth, double endWidth,
                         double startOpacity, double endOpacity, uint8_t* coverage) {
    if (width <= 0 || height <= 0 || !points || !coverage) return 0;
    int count = points->GetCount();
    if (count < 1) return 0;
    std::vector<PointD> line;
    line.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) line.push_back(Unpack(points->GetAt(i)));
    startWidth = std::max(0.0, startWidth);
    endWidth = std::max(0.0, endWidth);
    bool drew = false;
    if (line.size() == 1) {
        DrawSegment(width, height, line[0], line[0], startWidth, startWidth, startOpacity, startOpacity, coverage,
                    &drew);
        return drew ? 1 : 0;
    }
    // Width and opacity follow the distance along the whole line, so the fade is linear in
    // length, not in the number of points.
    std::vector<double> along(line.size(), 0.0);
    for (size_t i = 1; i < line.size(); ++i) {
        along[i] = along[i - 1] + std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
    }
    double total = along.back();
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        double f0 = total > 0 ? along[i] / total : 0.0;
        double f1 = total > 0 ? along[i + 1] / total : 0.0;
        DrawSegment(width, height, line[i], line[i + 1], startWidth + (endWidth - startWidth) * f0,
                    startWidth + (endWidth - startWidth) * f1, startOpacity + (endOpacity - startOpacity) * f0,
                    startOpacity + (endOpacity - startOpacity) * f1, coverage, &drew);
    }
    return drew ? 1 : 0;
}

int IsPointInPolygonSides(int row, int column, const void* rowColumnPairs, int count) {
    if (!rowColumnPairs || count < 3) return -1;
    const auto* v = static_cast<const int32_t*>(rowColumnPairs);
    bool inside = false;
    int64_t r = row, c = column;
    for (int i = 0, j = count - 1; i < count; j = i++) {
        int64_t ri = v[2 * i], ci = v[2 * i + 1];
        int64_t rj = v[2 * j], cj = v[2 * j + 1];
        // On the edge: collinear and within its bounding box (exact integer test).
        int64_t cross = (rj - ri) * (c - ci) - (cj - ci) * (r - ri);
        if (cross == 0 && r >= std::min(ri, rj) && r <= std::max(ri, rj) && c >= std::min(ci, cj) &&
            c <= std::max(ci, cj)) {
            return 0;
        }
        // Crossing test along the row: edges that straddle the row (half-open in rows).
        if ((ri > r) != (rj > r)) {
            // column of the edge at this row, compared without division
            int64_t lhs = (c - ci) * (rj - ri);
            int64_t rhs = (cj - ci) * (r - ri);
            if (rj - ri > 0 ? lhs < rhs : lhs > rhs) inside = !inside;
        }
    }
    return inside ? 1 : -1;
}

void SetRectXY(RECT* rect, int x, int y, int w, int h) {
    if (!rect) return;
    rect->left = x;
    rect->top = y;
    rect->right = x + w;
    rect->bottom = y + h;
}

int BoundRect(RECT* out, const RECT* in, const RECT* bounds) {
    if (!out || !in || !bounds) return 0;
    RECT r{std::max(in->left, bounds->left), std::max(in->top, bounds->top), std::min(in->right, bounds->right),
           std::min(in->bottom, bounds->bottom)};
    if (r.right <= r.left || r.bottom <= r.top) {
        *out = RECT{0, 0, 0, 0};
        return 0;
    }
    *out = r;
    return 1;
}
