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
    static void Build(const AreaSlot* slots, int slotCount, int width, int height, uint32_t* map,
                      std::vector<int>* rowFirst = nullptr, std::vector<int>* rowLast = nullptr);
    // One polygon (row, column pairs) ORs bit into map.
    static void FillPolygon(const AreaVertex* vertices, int count, int width, int height, uint32_t bit,
                            uint32_t* map);
};
