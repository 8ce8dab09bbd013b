#pragma once
// A polygon vertex: row first, then column, in pixels from the top-left corner of the target
// view's fan rectangle (the view itself keeps them relative to its plot rectangle).
#include <cstdint>

struct AreaVertex {
    int32_t row = 0;
    int32_t column = 0;
};
static_assert(sizeof(AreaVertex) == 8, "vertices are handed around as int32 pairs");
