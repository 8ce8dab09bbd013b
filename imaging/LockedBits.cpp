#include "imaging/LockedBits.h"

#include "imaging/GdipBitmap.h"

using namespace Gdiplus;

CLockedBits::CLockedBits(CGdipBitmap& image, const Rect& area, UINT lockMode, PixelFormat format) noexcept
    : image_(image) {
    locked_ = image_.Record(DllExports::GdipBitmapLockBits(image_.Native(), &area, lockMode, format, &data_)) == Ok;
}

CLockedBits::~CLockedBits() {
    Unlock();
}

Status CLockedBits::Unlock() noexcept {
    if (!locked_) return Ok;
    locked_ = false;
    return image_.Record(DllExports::GdipBitmapUnlockBits(image_.Native(), &data_));
}
