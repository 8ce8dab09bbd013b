#include "view/AreaMapBuilder.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>
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

// ORs bit into columns a..b of a row of words, four at a time where the span is long enough.
inline void OrSpan(uint32_t* row, int a, int b, uint32_t bit) {
    int x = a;
    if (b - a >= 7) {
        const __m128i v = _mm_set1_epi32(static_cast<int>(bit));
        for (; x + 3 <= b; x += 4) {
            auto* at = reinterpret_cast<__m128i*>(row + x);
            _mm_storeu_si128(at, _mm_or_si128(_mm_loadu_si128(at), v));
        }
    }
    for (; x <= b; ++x) row[x] |= bit;
}

// Bits lo..hi (0 <= lo <= hi <= 63) set.
inline uint64_t BitRange(int lo, int hi) { return (hi - lo == 63) ? ~0ull : (((1ull << (hi - lo + 1)) - 1) << lo); }

// Lanes of all ones for the set bits of a nibble.
alignas(16) constexpr uint32_t kNibbleLanes[16][4] = {
    {0, 0, 0, 0}, {~0u, 0, 0, 0}, {0, ~0u, 0, 0}, {~0u, ~0u, 0, 0}, {0, 0, ~0u, 0}, {~0u, 0, ~0u, 0},
    {0, ~0u, ~0u, 0}, {~0u, ~0u, ~0u, 0}, {0, 0, 0, ~0u}, {~0u, 0, 0, ~0u}, {0, ~0u, 0, ~0u}, {~0u, ~0u, 0, ~0u},
    {0, 0, ~0u, ~0u}, {~0u, 0, ~0u, ~0u}, {0, ~0u, ~0u, ~0u}, {~0u, ~0u, ~0u, ~0u}};

// ORs bit into the columns base + i of a row for the set bits i of p (none beyond column last),
// four columns at a time; runs of a whole word go as one span.
inline void OrBits(uint32_t* row, int base, uint64_t p, int last, uint32_t bit) {
    if (p == ~0ull) {
        OrSpan(row, base, base + 63, bit);
        return;
    }
    const __m128i v = _mm_set1_epi32(static_cast<int>(bit));
    while (p) {
        const int at = std::countr_zero(p) & ~3;
        const unsigned nibble = static_cast<unsigned>(p >> at) & 15u;
        p &= ~(15ull << at);
        if (base + at + 3 > last) {
            // The row may end within these four columns.
            for (int i = 0; i < 4; ++i)
                if ((nibble >> i) & 1u) row[base + at + i] |= bit;
            continue;
        }
        auto* dst = reinterpret_cast<__m128i*>(row + base + at);
        const __m128i lanes = _mm_load_si128(reinterpret_cast<const __m128i*>(kNibbleLanes[nibble]));
        _mm_storeu_si128(dst, _mm_or_si128(_mm_loadu_si128(dst), _mm_and_si128(lanes, v)));
    }
}

}  // namespace

void AreaMapBuilder::FillPolygon(const AreaVertex* v, int count, int width, int height, uint32_t bit,
                                 uint32_t* map, int* rowFirst, int* rowLast, uint64_t* bitPlane) {
    const size_t words = (static_cast<size_t>(width) + 63) / 64;
    if (!v || count < 3 || width <= 0 || height <= 0) return;
    // Outside the outline's bounding box no pixel is inside or on it.
    int64_t minRow = v[0].row, maxRow = v[0].row, minCol = v[0].column, maxCol = v[0].column;
    for (int i = 1; i < count; ++i) {
        minRow = std::min<int64_t>(minRow, v[i].row);
        maxRow = std::max<int64_t>(maxRow, v[i].row);
        minCol = std::min<int64_t>(minCol, v[i].column);
        maxCol = std::max<int64_t>(maxCol, v[i].column);
    }
    const int top = static_cast<int>(std::max<int64_t>(0, minRow));
    const int bottom = static_cast<int>(std::min<int64_t>(height - 1, maxRow));
    const int left = static_cast<int>(std::max<int64_t>(0, minCol));
    const int right = static_cast<int>(std::min<int64_t>(width - 1, maxCol));
    if (top > bottom || left > right) return;

    // Edge flags: every edge toggles, on each row it straddles (half-open in rows, as in the
    // crossing test), one bit at the ceiling of its column; a pixel is inside when an odd number
    // of crossings lies to its right, which (their number being even) is when an odd number
    // lies at or left of it: the running parity of the flags. A crossing left of the box flags
    // the box's first column, one right of it flags nothing. Pixels on the outline go into a
    // second bit set of the same shape. So each edge costs a few operations per row whatever the
    // shape, with no sorting, in two small bit sets; the map is then written row by row.
    const int wordLeft = left >> 6, wordCount = (right >> 6) - wordLeft + 1;
    const size_t setSize = static_cast<size_t>(bottom - top + 1) * wordCount;
    // Kept from polygon to polygon: a fresh block of this size per polygon costs more in page
    // faults than the filling itself.
    static thread_local std::vector<uint64_t> flags;
    flags.assign(2 * setSize, 0);
    uint64_t* const crossing = flags.data();
    uint64_t* const boundary = flags.data() + setSize;
    auto mark = [&](uint64_t* set, int64_t y, int64_t c) {
        set[static_cast<size_t>(y - top) * wordCount + ((c >> 6) - wordLeft)] ^= 1ull << (c & 63);
    };
    auto markBoundary = [&](int64_t y, int64_t c) {
        boundary[static_cast<size_t>(y - top) * wordCount + ((c >> 6) - wordLeft)] |= 1ull << (c & 63);
    };
    for (int i = 0, j = count - 1; i < count; j = i++) {
        Edge e{v[i].row, v[i].column, v[j].row, v[j].column};
        if (e.r0 > e.r1) {
            std::swap(e.r0, e.r1);
            std::swap(e.c0, e.c1);
        }
        if (e.r1 < top || e.r0 > bottom) continue;
        if (e.r0 == e.r1) {
            // A horizontal edge (or a repeated vertex): every column of it is on the boundary.
            const int64_t from = std::max<int64_t>(std::min(e.c0, e.c1), left);
            const int64_t to = std::min<int64_t>(std::max(e.c0, e.c1), right);
            for (int64_t c = from; c <= to; ++c) markBoundary(e.r0, c);
            continue;
        }
        const int64_t y0 = std::max<int64_t>(e.r0, top), y1 = std::min<int64_t>(e.r1, bottom);
        StartEdge(e, y0);
        const int64_t den = e.r1 - e.r0;
        for (int64_t y = y0; y <= y1; ++y) {
            if (e.r == 0) {
                // The edge passes through the pixel itself.
                const int64_t c = e.c0 + e.q;
                if (c >= left && c <= right) markBoundary(y, c);
            }
            if (y < e.r1) {
                const int64_t c = std::max<int64_t>(e.c0 + e.q + (e.r > 0 ? 1 : 0), left);
                if (c <= right) mark(crossing, y, c);
            }
            e.q += e.stepQ;
            e.r += e.stepR;
            if (e.r >= den) {
                e.r -= den;
                ++e.q;
            }
        }
    }

    for (int y = top; y <= bottom; ++y) {
        const uint64_t* rowCrossing = crossing + static_cast<size_t>(y - top) * wordCount;
        const uint64_t* rowBoundary = boundary + static_cast<size_t>(y - top) * wordCount;
        uint32_t* row = map + static_cast<size_t>(y) * width;
        uint64_t* planeRow = bitPlane ? bitPlane + words * y : nullptr;
        uint64_t carry = 0;  // all ones while the parity left of the word is odd
        int firstIn = -1, lastIn = -1;
        for (int w = 0; w < wordCount; ++w) {
            // Running parity within the word (bit i: xor of bits 0..i), then that of the words before.
            uint64_t p = rowCrossing[w];
            p ^= p << 1;
            p ^= p << 2;
            p ^= p << 4;
            p ^= p << 8;
            p ^= p << 16;
            p ^= p << 32;
            p ^= carry;
            carry = (p >> 63) ? ~0ull : 0;
            const int base = (wordLeft + w) * 64;
            // Flags right of the box are not kept, so the parity there means nothing.
            if (base + 63 > right) p &= BitRange(0, right - base);
            p |= rowBoundary[w];
            if (!p) continue;
            if (planeRow) planeRow[wordLeft + w] |= p;
            if (firstIn < 0) firstIn = base + std::countr_zero(p);
            lastIn = base + 63 - std::countl_zero(p);
            OrBits(row, base, p, right, bit);
        }
        if (rowFirst && firstIn >= 0) {
            rowFirst[y] = std::min(rowFirst[y], firstIn);
            rowLast[y] = std::max(rowLast[y], lastIn);
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
