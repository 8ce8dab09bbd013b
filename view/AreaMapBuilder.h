#pragma once
// The area map: one 32-bit word per plot pixel, bit k set where area slot k covers the pixel.
// Polygons are filled span by span per row, with exactly the membership of the common library's
// IsPointInPolygonSides (inside or on the boundary), so a full map costs about one pass over
// the plot instead of one polygon test per pixel and slot.
#include <cstdint>
#include <vector>

#include "view/AreaSlot.h"

class AreaMapBuilder {
public:
    // Fills map (width x height words). rowFirst/rowLast receive, per row, the first and last
    // column with a nonzero word (first > last for an empty row).
    // slot0Bits (optional) receives slot 0's coverage as a bit plane, 64 pixels to a word, each row
    // padded to whole words.
    static void Build(const AreaSlot* slots, int slotCount, int width, int height, uint32_t* map,
                      std::vector<int>* rowFirst = nullptr, std::vector<int>* rowLast = nullptr,
                      std::vector<uint64_t>* slot0Bits = nullptr);
    // One polygon (row, column pairs) ORs bit into map.
    // rowFirst/rowLast (optional, height entries each) widen to every span filled.
    static void FillPolygon(const AreaVertex* vertices, int count, int width, int height, uint32_t bit,
                            uint32_t* map, int* rowFirst = nullptr, int* rowLast = nullptr,
                            uint64_t* bitPlane = nullptr);
};
