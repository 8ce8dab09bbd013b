#include "controls/OwnedBitmap.h"

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
