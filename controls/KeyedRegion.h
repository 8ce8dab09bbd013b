#pragma once
// A window region from a picture painted on a key colour: every pixel that is not the key
// (pure red, with green and blue of 16 or less) belongs to the region.
#include <windows.h>

#include <cstdint>
#include <vector>

// True for pixels (0xAARRGGBB) outside the shape.
inline bool IsKeyPixel(uint32_t pixel) noexcept {
    return ((pixel >> 16) & 0xFF) == 0xFF && ((pixel >> 8) & 0xFF) <= 16 && (pixel & 0xFF) <= 16;
}

// Appends one rectangle (x0, y, x1, y + 1) for every maximal run of shape pixels of every row,
// rows from the top. pixels are top-down rows of width 32-bit values.
void AppendShapeRuns(const uint32_t* pixels, int width, int height, std::vector<RECT>& runs);

// The region of the shape in bitmap (any depth); null when the bitmap cannot be read or the
// region cannot be made. The caller owns the region.
HRGN RegionFromKeyedBitmap(HBITMAP bitmap);
