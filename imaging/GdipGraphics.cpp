#include "imaging/GdipGraphics.h"

#include "imaging/GdipBitmap.h"

using namespace Gdiplus;

CGdipGraphics::CGdipGraphics(HDC dc) noexcept {
    Record(DllExports::GdipCreateFromHDC(dc, &native_));
}

CGdipGraphics::CGdipGraphics(CGdipBitmap& image) noexcept {
    image.Record(Record(DllExports::GdipGetImageGraphicsContext(image.NativeImage(), &native_)));
}

CGdipGraphics::~CGdipGraphics() {
    if (native_) DllExports::GdipDeleteGraphics(native_);
}

Status CGdipGraphics::Record(Status status) noexcept {
    if (status != Ok) lastStatus_ = status;
    return status;
}

Status CGdipGraphics::TakeLastStatus() noexcept {
    Status status = lastStatus_;
    lastStatus_ = Ok;
    return status;
}
