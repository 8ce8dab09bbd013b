#include "view/AreaMapBuilder.h"

#include <algorithm>
#include <cstring>

namespace {

struct Edge {
    int64_t r0, c0, r1, c1;  // r0 <= r1
    // Column of the edge at the current row, exactly: c0 + q + r / (r1 - r0), 0 <= r < r1 - r0,
    // stepped row by row without a division.
    int64_t q = 0, r = 0, stepQ = 0, stepR = 0;
};

int64_t FloorDiv(int64_t num, int64_t den) {
    int64_t q = num / den;
    if (num % den != 0 && num < 0) --q;
    return q;
}

void StartEdge(Edge& e, int64_t y) {
    const int64_t den = e.r1 - e.r0;
    if (den == 0) return;
    const int64_t num = (e.c1 - e.c0) * (y - e.r0);
    e.q = FloorDiv(num, den);
    e.r = num - e.q * den;
    e.stepQ = FloorDiv(e.c1 - e.c0, den);
    e.stepR = (e.c1 - e.c0) - e.stepQ * den;
}

struct RowSpans {
    uint32_t* row;
    int width;
    int* first;
    int* last;
    uint64_t* bits;  // optional bit plane row

    void Fill(int64_t from, int64_t to, uint32_t bit) {
        if (to < 0 || from >= width || from > to) return;
        int a = static_cast<int>(std::max<int64_t>(from, 0));
        int b = static_cast<int>(std::min<int64_t>(to, width - 1));
        for (int x = a; x <= b; ++x) row[x] |= bit;
        if (bits) {
            for (int word = a >> 6; word <= (b >> 6); ++word) {
                int lo = std::max(a, word * 64) - word * 64, hi = std::min(b, word * 64 + 63) - word * 64;
                uint64_t ones = (hi - lo == 63) ? ~0ull : (((1ull << (hi - lo + 1)) - 1) << lo);
                bits[word] |= ones;
            }
        }
        if (first) {
            *first = std::min(*first, a);
            *last = std::max(*last, b);
        }
    }
};

}  // namespace

void AreaMapBuilder::FillPolygon(const AreaVertex* v, int count, int width, int height, uint32_t bit,
                                 uint32_t* map, int* rowFirst, int* rowLast, uint64_t* bitPlane) {
    const size_t words = (static_cast<size_t>(width) + 63) / 64;
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

    std::vector<Edge*> active;
    std::vector<int64_t> crossings;
    size_t next = 0;
    int64_t startRow = edges.empty() ? height : std::max<int64_t>(0, edges.front().r0);
    for (int64_t y = startRow; y < height; ++y) {
        while (next < edges.size() && edges[next].r0 <= y) {
            StartEdge(edges[next], y);
            active.push_back(&edges[next++]);
        }
        for (size_t i = 0; i < active.size();) {
            if (active[i]->r1 < y) {
                active[i] = active.back();
                active.pop_back();
            } else {
                ++i;
            }
        }
        if (active.empty()) {
            if (next == edges.size()) break;
            continue;
        }
        RowSpans row{map + static_cast<size_t>(y) * width, width, rowFirst ? rowFirst + y : nullptr,
                     rowLast ? rowLast + y : nullptr, bitPlane ? bitPlane + words * y : nullptr};
        crossings.clear();
        for (Edge* e : active) {
            if (e->r0 == e->r1) {
                // A horizontal edge (or a repeated vertex) on this row: every column of it is on
                // the boundary.
                row.Fill(std::min(e->c0, e->c1), std::max(e->c0, e->c1), bit);
                continue;
            }
            if (e->r == 0) row.Fill(e->c0 + e->q, e->c0 + e->q, bit);  // a pixel on the edge
            // Edges straddle a row half-open in rows, as in the crossing test; the crossing
            // counts for the columns left of it, that is up to its ceiling minus one.
            if (y < e->r1) crossings.push_back(e->c0 + e->q + (e->r > 0 ? 1 : 0));
            e->q += e->stepQ;
            e->r += e->stepR;
            if (e->r >= e->r1 - e->r0) {
                e->r -= e->r1 - e->r0;
                ++e->q;
            }
        }
        // A pixel is inside when an odd number of crossings lies to its right, that is between
        // crossing 2i and 2i+1 (sorted): columns ceil(x[2i]) .. ceil(x[2i+1]) - 1.
        std::sort(crossings.begin(), crossings.end());
        for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
            row.Fill(crossings[i], crossings[i + 1] - 1, bit);
        }
    }
}

void AreaMapBuilder::Build(const AreaSlot* slots, int slotCount, int width, int height, uint32_t* map,
                           std::vector<int>* rowFirst, std::vector<int>* rowLast, std::vector<uint64_t>* slot0Bits) {
    if (width <= 0 || height <= 0 || !map) return;
    std::memset(map, 0, static_cast<size_t>(width) * height * sizeof(uint32_t));
    int* first = nullptr;
    int* last = nullptr;
    if (rowFirst && rowLast) {
        rowFirst->assign(static_cast<size_t>(height), width);
        rowLast->assign(static_cast<size_t>(height), -1);
        first = rowFirst->data();
        last = rowLast->data();
    }
    if (slot0Bits) slot0Bits->assign((static_cast<size_t>(width) + 63) / 64 * height, 0);
    for (int k = 0; k < slotCount && k < 32; ++k) {
        const AreaSlot& s = slots[k];
        if (!s.used || s.count < 3 || s.vertices.size() < static_cast<size_t>(s.count)) continue;
        FillPolygon(s.vertices.data(), s.count, width, height, 1u << k, map, first, last,
                    k == 0 && slot0Bits ? slot0Bits->data() : nullptr);
    }
}
