#pragma once
// The union of a set of rectangles as rectangles that do not overlap, sorted top to bottom and
// left to right in bands, with equal neighbouring bands merged: the form region data takes, and
// each pixel of the union once.
#include <windows.h>

#include <vector>

// Empty input rectangles are ignored; out is replaced.
void UnionOfRects(const std::vector<RECT>& in, std::vector<RECT>* out);

// The union of in rounded out to a grid of tile x tile squares and clipped to width x height, in
// the same form: a few tens of rectangles where in has hundreds, for a window system whose region
// work grows with the square of the rectangles given.
void TileCover(const std::vector<RECT>& in, int tile, int width, int height, std::vector<RECT>* out);
