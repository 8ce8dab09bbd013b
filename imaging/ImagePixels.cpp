// Pixels out of and into images: GDI bitmaps, raw buffers, regions and alpha replacement.
#include <cstring>

#include "framework/Raii.h"
#include "imaging/ImageHelpers.h"
#include "imaging/ImagingSupport.h"
#include "imaging/LockedBits.h"
#include "imaging/RegionBuilder.h"

using namespace Gdiplus;
using namespace rova::imaging;

namespace {

int BitsPerPixel(PixelFormat format) {
    return static_cast<int>((format >> 8) & 0xFF);
}

}  // namespace

HBITMAP Gdiplus_GetHBitmap(CGdipBitmap* image, ARGB background, int topDown) {
    if (!image) return nullptr;
    const int width = image->Width();
    const int height = image->Height();
    int bits = BitsPerPixel(image->Format());
    // Palette formats would get an all-black colour table from a bare DIB section.
    if (bits < 16) bits = 32;
    rova::UniqueBitmap bitmap(CreateDib(width, topDown ? -height : height, bits));
    if (!bitmap) return nullptr;
    rova::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return nullptr;
    {
        rova::SelectScope selected(dc.get(), bitmap.get());
        rova::UniqueBrush brush(::CreateSolidBrush(RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF)));
        const RECT all{0, 0, width, height};
        ::FillRect(dc.get(), &all, brush.get());
        CGdipGraphics graphics(dc.get());
        image->Record(graphics.PeekLastStatus());
        if (graphics.IsValid()) image->Record(DrawPart(graphics, *image, Box{0, 0, width, height}, Box{0, 0, width, height}));
    }
    return bitmap.release();
}

int Gdiplus_GetBitmapBuffer(CGdipBitmap* image, const RECT* rect, PixelFormat format, void* destination,
                            int destinationStride) {
    if (!image || !rect || !destination) return 0;
    const Box area = ToBox(ClipRect(*rect, image->Width(), image->Height()));
    CLockedBits bits(*image, Rect(area.x, area.y, area.width, area.height), ImageLockModeRead, format);
    if (!bits.IsLocked()) return 0;
    const size_t rowBytes = static_cast<size_t>((BitsPerPixel(format) * area.width + 31) / 32) * 4;
    BYTE* out = static_cast<BYTE*>(destination);
    for (UINT y = 0; y < bits.Data().Height; ++y, out += destinationStride) std::memcpy(out, bits.Row(y), rowBytes);
    return 1;
}

HRGN Gdiplus_CreateRgnFromBitmap(CGdipBitmap* image, int alphaThreshold) {
    if (!image) return nullptr;
    const int width = image->Width();
    const int height = image->Height();
    CLockedBits bits(*image, Rect(0, 0, width, height), ImageLockModeRead, kPixelFormat32Argb);
    if (!bits.IsLocked()) return nullptr;
    const BYTE threshold = static_cast<BYTE>(alphaThreshold & 0xFF);
    CRegionBuilder region;
    if (!region.IsValid()) return nullptr;
    for (UINT y = 0; y < bits.Data().Height; ++y) {
        const ARGB* row = reinterpret_cast<const ARGB*>(bits.Row(y));
        const LONG rowWidth = static_cast<LONG>(bits.Data().Width);
        LONG x = 0;
        while (x < rowWidth) {
            while (x < rowWidth && (row[x] >> 24) < threshold) ++x;
            const LONG start = x;
            while (x < rowWidth && (row[x] >> 24) >= threshold) ++x;
            if (x > start) region.AddRect(start, static_cast<LONG>(y), x, static_cast<LONG>(y) + 1);
        }
    }
    return region.Release();
}

void Gdiplus_SetBitmapAlpha(CGdipBitmap* image, const RECT* rect, int newAlpha, int lowestAlpha, int highestAlpha) {
    if (!image) return;
    const int width = image->Width();
    const int height = image->Height();
    const RECT whole{0, 0, width, height};
    const Box area = ToBox(ClipRect(rect ? *rect : whole, width, height));
    if (area.width < 1 || area.height < 1) return;
    CLockedBits bits(*image, Rect(area.x, area.y, area.width, area.height), ImageLockModeRead | ImageLockModeWrite,
                     kPixelFormat32Argb);
    if (!bits.IsLocked()) return;
    const ARGB alpha = static_cast<ARGB>(newAlpha & 0xFF) << 24;
    for (UINT y = 0; y < bits.Data().Height; ++y) {
        ARGB* row = reinterpret_cast<ARGB*>(bits.Row(y));
        for (UINT x = 0; x < bits.Data().Width; ++x) {
            const int current = static_cast<int>(row[x] >> 24);
            if (current >= lowestAlpha && current <= highestAlpha) row[x] = (row[x] & 0x00FFFFFFu) | alpha;
        }
    }
    bits.Unlock();
}
