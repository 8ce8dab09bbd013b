#include "view/RectUnion.h"

#include <algorithm>
#include <cstdint>

void UnionOfRects(const std::vector<RECT>& in, std::vector<RECT>* out) {
    out->clear();
    std::vector<RECT> rects;
    rects.reserve(in.size());
    std::vector<LONG> edges;
    edges.reserve(2 * in.size());
    for (const RECT& r : in) {
        if (r.left >= r.right || r.top >= r.bottom) continue;
        rects.push_back(r);
        edges.push_back(r.top);
        edges.push_back(r.bottom);
    }
    if (rects.empty()) return;
    std::sort(rects.begin(), rects.end(), [](const RECT& a, const RECT& b) { return a.top < b.top; });
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    std::vector<RECT> active;
    std::vector<std::pair<LONG, LONG>> spans;
    size_t next = 0, bandStart = 0, bandCount = 0;
    LONG bandBottom = 0;
    for (size_t e = 0; e + 1 < edges.size(); ++e) {
        const LONG y0 = edges[e], y1 = edges[e + 1];
        while (next < rects.size() && rects[next].top <= y0) active.push_back(rects[next++]);
        active.erase(std::remove_if(active.begin(), active.end(), [y0](const RECT& r) { return r.bottom <= y0; }),
                     active.end());
        spans.clear();
        for (const RECT& r : active) spans.emplace_back(r.left, r.right);
        std::sort(spans.begin(), spans.end());
        // Merged where they overlap or touch.
        size_t kept = 0;
        for (const auto& s : spans) {
            if (kept > 0 && s.first <= spans[kept - 1].second) {
                spans[kept - 1].second = std::max(spans[kept - 1].second, s.second);
            } else {
                spans[kept++] = s;
            }
        }
        spans.resize(kept);
        if (spans.empty()) {
            bandCount = 0;
            continue;
        }
        bool same = bandCount == spans.size() && bandBottom == y0;
        for (size_t i = 0; same && i < spans.size(); ++i) {
            const RECT& r = (*out)[bandStart + i];
            same = r.left == spans[i].first && r.right == spans[i].second;
        }
        if (same) {
            for (size_t i = 0; i < bandCount; ++i) (*out)[bandStart + i].bottom = y1;
        } else {
            bandStart = out->size();
            bandCount = spans.size();
            for (const auto& s : spans) out->push_back(RECT{s.first, y0, s.second, y1});
        }
        bandBottom = y1;
    }
}

void TileCover(const std::vector<RECT>& in, int tile, int width, int height, std::vector<RECT>* out) {
    out->clear();
    if (tile <= 0 || width <= 0 || height <= 0) return;
    const int cols = (width + tile - 1) / tile, rows = (height + tile - 1) / tile;
    std::vector<uint8_t> marked(static_cast<size_t>(cols) * rows, 0);
    for (const RECT& r : in) {
        const LONG left = std::max<LONG>(0, r.left), top = std::max<LONG>(0, r.top);
        const LONG right = std::min<LONG>(width, r.right), bottom = std::min<LONG>(height, r.bottom);
        if (left >= right || top >= bottom) continue;
        for (LONG ty = top / tile; ty <= (bottom - 1) / tile; ++ty) {
            std::fill_n(marked.begin() + static_cast<size_t>(ty) * cols + left / tile, (right - 1) / tile - left / tile + 1,
                        uint8_t{1});
        }
    }
    std::vector<RECT> runs;
    for (int ty = 0; ty < rows; ++ty) {
        const uint8_t* row = marked.data() + static_cast<size_t>(ty) * cols;
        for (int tx = 0; tx < cols;) {
            if (!row[tx]) {
                ++tx;
                continue;
            }
            const int first = tx;
            while (tx < cols && row[tx]) ++tx;
            runs.push_back(RECT{first * tile, ty * tile, std::min(width, tx * tile), std::min(height, (ty + 1) * tile)});
        }
    }
    UnionOfRects(runs, out);
}
