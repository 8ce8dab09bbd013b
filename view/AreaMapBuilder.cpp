#include "view/AreaMapBuilder.h"

#include <algorithm>
#include <cstring>

namespace {

struct Edge {
    int64_t r0, c0, r1, c1;  // r0 <= r1
};

// ceil(num / den) for den > 0.
int64_t CeilDiv(int64_t num, int64_t den) {
    int64_t q = num / den;
    if (num % den != 0 && num > 0) ++q;
    return q;
}

void FillSpan(uint32_t* row, int width, int64_t first, int64_t last, uint32_t bit) {
    if (last < 0 || first >= width) return;
    int a = static_cast<int>(std::max<int64_t>(first, 0));
    int b = static_cast<int>(std::min<int64_t>(last, width - 1));
    for (int x = a; x <= b; ++x) row[x] |= bit;
}

}  // namespace

void AreaMapBuilder::FillPolygon(const AreaVertex* v, int count, int width, int height, uint32_t bit,
                                 uint32_t* map) {
    if (!v || count < 3 || width <= 0 || height <= 0) return;
    std::vector<Edge> edges;
    edges.reserve(static_cast<size_t>(count));
    for (int i = 0, j = count - 1; i < count; j = i++) {
        Edge e{v[i].row, v[i].column, v[j].row, v[j].column};
        if (e.r0 > e.r1) {
            std::swap(e.r0, e.r1);
            std::swap(e.c0, e.c1);
        }
        if (e.r1 < 0 || e.r0 >= height) continue;
        edges.push_back(e);
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.r0 < b.r0; });

    std::vector<const Edge*> active;
    std::vector<int64_t> crossings;
    size_t next = 0;
    int64_t startRow = edges.empty() ? height : std::max<int64_t>(0, edges.front().r0);
    for (int64_t y = startRow; y < height; ++y) {
        while (next < edges.size() && edges[next].r0 <= y) active.push_back(&edges[next++]);
        active.erase(std::remove_if(active.begin(), active.end(), [y](const Edge* e) { return e->r1 < y; }),
                     active.end());
        if (active.empty()) {
            if (next == edges.size()) break;
            continue;
        }
        uint32_t* row = map + static_cast<size_t>(y) * width;
        crossings.clear();
        for (const Edge* e : active) {
            if (e->r0 == e->r1) {
                // A horizontal edge (or a repeated vertex) on this row: every column of it is on
                // the boundary.
                FillSpan(row, width, std::min(e->c0, e->c1), std::max(e->c0, e->c1), bit);
                continue;
            }
            // Exact column of the edge at this row: c0 + num / den.
            int64_t num = (e->c1 - e->c0) * (y - e->r0);
            int64_t den = e->r1 - e->r0;
            if (num % den == 0) {
                int64_t c = e->c0 + num / den;
                FillSpan(row, width, c, c, bit);  // a pixel on the edge
            }
            // Edges straddle a row half-open in rows, as in the crossing test.
            if (y < e->r1) crossings.push_back(e->c0 + CeilDiv(num, den));
        }
        // A pixel is inside when an odd number of crossings lies to its right, that is between
        // crossing 2i and 2i+1 (sorted): columns ceil(x[2i]) .. ceil(x[2i+1]) - 1.
        std::sort(crossings.begin(), crossings.end());
        for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
            FillSpan(row, width, crossings[i], crossings[i + 1] - 1, bit);
        }
    }
}

void AreaMapBuilder::Build(const AreaSlot* slots, int slotCount, int width, int height, uint32_t* map,
                           std::vector<int>* rowFirst, std::vector<int>* rowLast) {
    if (width <= 0 || height <= 0 || !map) return;
    std::memset(map, 0, static_cast<size_t>(width) * height * sizeof(uint32_t));
    for (int k = 0; k < slotCount && k < 32; ++k) {
        const AreaSlot& s = slots[k];
        if (!s.used || s.count < 3 || s.vertices.size() < static_cast<size_t>(s.count)) continue;
        FillPolygon(s.vertices.data(), s.count, width, height, 1u << k, map);
    }
    if (rowFirst && rowLast) {
        rowFirst->assign(static_cast<size_t>(height), width);
        rowLast->assign(static_cast<size_t>(height), -1);
        for (int y = 0; y < height; ++y) {
            const uint32_t* row = map + static_cast<size_t>(y) * width;
            int first = 0;
            while (first < width && row[first] == 0) ++first;
            if (first == width) continue;
            int last = width - 1;
            while (row[last] == 0) --last;
            (*rowFirst)[y] = first;
            (*rowLast)[y] = last;
        }
    }
}
