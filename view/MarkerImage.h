#pragma once
// The disc of a target or monitor-point marker, without text (pure pixel work; the text of a
// monitor-point label is drawn by the window, which owns the font).
#include <cstdint>

// Clears w x h pixels and sets those within w / 2 + 0.2 of the centre to colour, opaque.
void RenderMarkerDisc(uint32_t* pixels, int w, int h, uint32_t colour);
