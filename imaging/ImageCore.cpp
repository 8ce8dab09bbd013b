// Load, copy, grey, status and free: the image functions the console itself relies on.
#include <cstring>
#include <vector>

#include "framework/AnsiText.h"
#include "imaging/ImageHelpers.h"
#include "imaging/ImagingSupport.h"
#include "imaging/LockedBits.h"

using namespace Gdiplus;
using namespace rova::imaging;
using rova::AnsiToWide;
using rova::kPathChars;
using rova::WideToAnsi;

namespace {

bool IsIndexed(PixelFormat format) {
    return (format & PixelFormatIndexed) != 0;
}

// A palette copy of image, or empty when it has none.
std::vector<BYTE> PaletteOf(CGdipBitmap& image) {
    INT size = 0;
    if (DllExports::GdipGetImagePaletteSize(image.NativeImage(), &size) != Ok || size < static_cast<INT>(sizeof(ColorPalette)))
        return {};
    std::vector<BYTE> palette(static_cast<size_t>(size));
    if (image.Record(DllExports::GdipGetImagePalette(image.NativeImage(), reinterpret_cast<ColorPalette*>(palette.data()),
                                                     size)) != Ok)
        return {};
    return palette;
}

// A new image of the same size in format, showing image at full size.
CGdipBitmap* CopyInFormat(CGdipBitmap& image, PixelFormat format) {
    const int width = image.Width();
    const int height = image.Height();
    if (IsIndexed(format)) {
        // GDI+ cannot draw onto indexed images; a copy of the area keeps or makes indices and
        // palette instead.
        GpBitmap* native = nullptr;
        const Status status =
            image.Record(DllExports::GdipCloneBitmapAreaI(0, 0, width, height, format, image.Native(), &native));
        return Adopt(status, native);
    }
    CGdipBitmap* copy = Gdiplus_CreateBitmap(width, height, format);
    if (!copy) return nullptr;
    CGdipGraphics graphics(*copy);
    if (graphics.IsValid()) {
        // A copy must keep translucent pixels exactly, not blend them onto the empty image.
        graphics.Record(DllExports::GdipSetCompositingMode(graphics.Native(), CompositingModeSourceCopy));
        copy->Record(DrawPart(graphics, image, Box{0, 0, width, height}, Box{0, 0, width, height}));
    }
    return copy;
}

}  // namespace

CGdipBitmap* Gdiplus_LoadBitmapFromData(const void* bytes, UINT count) {
    if (!bytes || count == 0) return nullptr;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, count);
    if (!block) return nullptr;
    void* target = ::GlobalLock(block);
    if (!target) {
        ::GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, count);
    ::GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
        ::GlobalFree(block);
        return nullptr;
    }
    // The image keeps the stream, and with it the private block, until it is deleted: GDI+ may
    // decode lazily from it at any later time.
    GpBitmap* native = nullptr;
    const Status status = DllExports::GdipCreateBitmapFromStream(stream, &native);
    CGdipBitmap* image = Adopt(status, native, stream);
    if (!Gdiplus_BitmapOK(image)) {
        delete image;
        return nullptr;
    }
    return image;
}

CGdipBitmap* Gdiplus_LoadBitmapFromFileW(const wchar_t* path) {
    if (!path || !FileExists(path)) return nullptr;
    GpBitmap* native = nullptr;
    const Status status = DllExports::GdipCreateBitmapFromFile(path, &native);
    CGdipBitmap* image = Adopt(status, native);
    if (!Gdiplus_BitmapOK(image)) {
        delete image;
        return nullptr;
    }
    return image;
}

CGdipBitmap* Gdiplus_LoadBitmapFromFileA(const char* path) {
    if (!path) return nullptr;
    const std::wstring widePath = AnsiToWide(path, kPathChars);
    return Gdiplus_LoadBitmapFromFileW(widePath.c_str());
}

int Gdiplus_BitmapOK(CGdipBitmap* image) {
    if (!image) return 0;
    return image->TakeLastStatus() == Ok ? 1 : 0;
}

int Gdiplus_BitmapLastError(CGdipBitmap* image) {
    if (!image) return GenericError;
    return image->TakeLastStatus();
}

void Gdiplus_DeleteBitmap(CGdipBitmap* image) {
    delete image;
}

CGdipBitmap* Gdiplus_CopyBitmap(CGdipBitmap* image) {
    if (!image) return nullptr;
    return CopyInFormat(*image, image->Format());
}

CGdipBitmap* Gdiplus_ModifyBitmapFormat(CGdipBitmap* image, PixelFormat format) {
    if (!image) return nullptr;
    return CopyInFormat(*image, format);
}

CGdipBitmap* Gdiplus_Gray(CGdipBitmap* image) {
    if (!image) return nullptr;
    const int width = image->Width();
    const int height = image->Height();
    const PixelFormat format = image->Format();
    CGdipBitmap* grey = Gdiplus_CreateBitmap(width, height, format);
    if (!grey) return nullptr;
    const Rect area(0, 0, width, height);
    int bytesPerPixel = 0;
    if (format == kPixelFormat32Argb) {
        bytesPerPixel = 4;
    } else if (format == kPixelFormat24Rgb) {
        bytesPerPixel = 3;
    } else if (format == kPixelFormat8Indexed) {
        bytesPerPixel = 1;
        // Unchanged indices only look grey through a grey version of the palette.
        std::vector<BYTE> palette = PaletteOf(*image);
        if (!palette.empty()) {
            auto* colours = reinterpret_cast<ColorPalette*>(palette.data());
            for (UINT i = 0; i < colours->Count; ++i) {
                const ARGB c = colours->Entries[i];
                const ARGB level = GreyLevel(static_cast<BYTE>(c >> 16), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c));
                colours->Entries[i] = (c & 0xFF000000u) | (level << 16) | (level << 8) | level;
            }
            grey->Record(DllExports::GdipSetImagePalette(grey->NativeImage(), colours));
        }
    } else {
        return grey;
    }
    CLockedBits source(*image, area, ImageLockModeRead, format);
    CLockedBits target(*grey, area, ImageLockModeWrite, format);
    if (!source.IsLocked() || !target.IsLocked()) return grey;
    for (UINT y = 0; y < source.Data().Height; ++y) {
        const BYTE* in = source.Row(y);
        BYTE* out = target.Row(y);
        if (bytesPerPixel == 1) {
            std::memcpy(out, in, source.Data().Width);
            continue;
        }
        for (UINT x = 0; x < source.Data().Width; ++x, in += bytesPerPixel, out += bytesPerPixel) {
            // Bytes are blue, green, red (, alpha).
            const BYTE level = GreyLevel(in[2], in[1], in[0]);
            out[0] = out[1] = out[2] = level;
            if (bytesPerPixel == 4) out[3] = in[3];
        }
    }
    return grey;
}
