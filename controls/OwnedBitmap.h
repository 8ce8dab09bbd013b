#pragma once
// Ownership of the images the Gdiplus_ helpers hand out: freed with Gdiplus_DeleteBitmap, the
// module that made them.
#include <memory>

#include "imaging/ImageHelpers.h"

struct BitmapDeleter {
    void operator()(CGdipBitmap* image) const noexcept { Gdiplus_DeleteBitmap(image); }
};
using OwnedBitmap = std::unique_ptr<CGdipBitmap, BitmapDeleter>;

// Decodes the "PNG" resource id of the selected language; null when missing or undecodable.
OwnedBitmap LoadPngResource(int id);

// Draws the whole image over (0, 0, width, height). Edge pixels are repeated while sampling, so
// a stretched face keeps its colour up to the border instead of fading into transparency.
void DrawStretched(Gdiplus::GpGraphics* graphics, CGdipBitmap* image, int width, int height);
