#include "controls/OwnedBitmap.h"

#include "framework/GdiplusRaii.h"
#include "framework/ResourceLoader.h"

OwnedBitmap LoadPngResource(int id) {
    if (id <= 0) return nullptr;
    const void* data = nullptr;
    DWORD size = 0;
    if (!CResourceLoader::LoadPng(static_cast<UINT>(id), &data, &size) || !data || size == 0) return nullptr;
    OwnedBitmap image(Gdiplus_LoadBitmapFromData(data, size));
    if (image && !Gdiplus_BitmapOK(image.get())) image.reset();
    return image;
}

void DrawStretched(Gdiplus::GpGraphics* graphics, CGdipBitmap* image, int width, int height) {
    using namespace Gdiplus;
    using ImageAttributesPtr = rova::GdipPtr<GpImageAttributes, DllExports::GdipDisposeImageAttributes>;
    ImageAttributesPtr edgeRepeat;
    if (DllExports::GdipCreateImageAttributes(edgeRepeat.out()) != Ok ||
        DllExports::GdipSetImageAttributesWrapMode(edgeRepeat.get(), WrapModeTileFlipXY, 0, FALSE) != Ok) {
        edgeRepeat.reset();
    }
    DllExports::GdipDrawImageRectRectI(graphics, image->NativeImage(), 0, 0, width, height, 0, 0, image->Width(),
                                       image->Height(), UnitPixel, edgeRepeat.get(), nullptr, nullptr);
}
