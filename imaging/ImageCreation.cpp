// New images: empty, filled, over caller memory, stretched, resized, fitted and cropped.
#include <algorithm>

#include "imaging/ImageHelpers.h"
#include "imaging/ImagingSupport.h"
#include "imaging/LockedBits.h"

using namespace Gdiplus;
using namespace rova::imaging;

namespace {

// source of image drawn over the whole of a new output image (which starts as background).
CGdipBitmap* DrawOnNew(CGdipBitmap& image, int width, int height, ARGB background, const Box& source) {
    CGdipBitmap* output = Gdiplus_CreateColorBmp(width, height, background);
    if (!output) return nullptr;
    CGdipGraphics graphics(*output);
    if (graphics.IsValid()) output->Record(DrawPart(graphics, image, Box{0, 0, width, height}, source));
    return output;
}

}  // namespace

CGdipBitmap* Gdiplus_CreateBitmap(int width, int height, PixelFormat format) {
    GpBitmap* native = nullptr;
    const Status status = DllExports::GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, &native);
    return Adopt(status, native);
}

CGdipBitmap* Gdiplus_CreateColorBmp(int width, int height, ARGB color) {
    CGdipBitmap* image = Gdiplus_CreateBitmap(width, height, kPixelFormat32Argb);
    if (!image) return nullptr;
    CLockedBits bits(*image, Rect(0, 0, width, height), ImageLockModeWrite, kPixelFormat32Argb);
    if (bits.IsLocked()) {
        for (UINT y = 0; y < bits.Data().Height; ++y) {
            ARGB* row = reinterpret_cast<ARGB*>(bits.Row(y));
            std::fill(row, row + bits.Data().Width, color);
        }
    }
    return image;
}

CGdipBitmap* Gdiplus_LoadBitmapFromImageBits(void* pixels, int width, int height, int stride, PixelFormat format) {
    if (!pixels || width == 0 || height == 0 || stride == 0) return nullptr;
    GpBitmap* native = nullptr;
    const Status status =
        DllExports::GdipCreateBitmapFromScan0(width, height, stride, format, static_cast<BYTE*>(pixels), &native);
    return Adopt(status, native);
}

CGdipBitmap* Gdiplus_StretchBitmap(CGdipBitmap* image, int width, int height) {
    if (!image || width < 1 || height < 1) return nullptr;
    return DrawOnNew(*image, width, height, 0, Box{0, 0, image->Width(), image->Height()});
}

CGdipBitmap* Gdiplus_ResizeBitmap(CGdipBitmap* image, int width, int height, int mode, ARGB background) {
    if (!image) return nullptr;
    const std::optional<ResizePlan> plan = PlanResize(image->Width(), image->Height(), width, height, mode);
    if (!plan) return nullptr;
    return DrawOnNew(*image, plan->outWidth, plan->outHeight, background, plan->source);
}

CGdipBitmap* Gdiplus_GetBitmapFromBitmap(CGdipBitmap* image, int x, int y, int width, int height,
                                         const SIZE* outputSize) {
    if (!image) return nullptr;
    const int outWidth = outputSize ? static_cast<int>(outputSize->cx) : width;
    const int outHeight = outputSize ? static_cast<int>(outputSize->cy) : height;
    if (outWidth < 1 || outHeight < 1) return nullptr;
    return DrawOnNew(*image, outWidth, outHeight, 0, Box{x, y, width, height});
}

CGdipBitmap* Gdiplus_GetBitmapFromBitmapByRect(CGdipBitmap* image, const RECT* rect, const SIZE* outputSize) {
    if (!image || !rect) return nullptr;
    const Box box = ToBox(*rect);
    return Gdiplus_GetBitmapFromBitmap(image, box.x, box.y, box.width, box.height, outputSize);
}

CGdipBitmap* Gdiplus_DisposeBitmapByMode(CGdipBitmap* image, int width, int height, int mode, ARGB background) {
    if (!image) return nullptr;
    const int sw = image->Width();
    const int sh = image->Height();
    switch (mode) {
    case 0: {
        const std::optional<Box> crop = PlanCentreCrop(sw, sh, width, height);
        if (!crop) return nullptr;
        const SIZE size{width, height};
        return Gdiplus_GetBitmapFromBitmap(image, crop->x, crop->y, crop->width, crop->height, &size);
    }
    case 1:
        return Gdiplus_ResizeBitmap(image, width, height, 1, background);
    case 2: {
        CGdipBitmap* output = Gdiplus_CreateColorBmp(width, height, 0);
        if (!output) return nullptr;
        CGdipGraphics graphics(*output);
        if (!graphics.IsValid()) return output;
        // Unclipped tiles: the edges of the output cut the last ones.
        for (const Box& tile : PlanTiles(sw, sh, width, height, false))
            output->Record(DrawPart(graphics, *image, tile, Box{0, 0, sw, sh}));
        return output;
    }
    case 3: {
        if (width < 1 || height < 1) return nullptr;
        CGdipBitmap* output = Gdiplus_CreateColorBmp(width, height, background);
        if (!output) return nullptr;
        CGdipGraphics graphics(*output);
        if (!graphics.IsValid()) return output;
        const Placement centred = PlanCentreUnscaled(sw, sh, width, height);
        output->Record(DrawPart(graphics, *image, centred.target, centred.source));
        return output;
    }
    case 4:
        return Gdiplus_StretchBitmap(image, width, height);
    default:
        return nullptr;
    }
}
