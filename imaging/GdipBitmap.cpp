#include "imaging/GdipBitmap.h"

using namespace Gdiplus;

CGdipBitmap::CGdipBitmap(GpBitmap* native, IStream* source) noexcept : native_(native), source_(source) {}

CGdipBitmap::~CGdipBitmap() {
    if (native_) DllExports::GdipDisposeImage(native_);
    // Only after the bitmap is gone may its encoded bytes go.
    if (source_) source_->Release();
}

Status CGdipBitmap::Record(Status status) noexcept {
    if (status != Ok) lastStatus_ = status;
    return status;
}

Status CGdipBitmap::TakeLastStatus() noexcept {
    Status status = lastStatus_;
    lastStatus_ = Ok;
    return status;
}

int CGdipBitmap::Width() noexcept {
    UINT width = 0;
    Record(DllExports::GdipGetImageWidth(native_, &width));
    return static_cast<int>(width);
}

int CGdipBitmap::Height() noexcept {
    UINT height = 0;
    Record(DllExports::GdipGetImageHeight(native_, &height));
    return static_cast<int>(height);
}

PixelFormat CGdipBitmap::Format() noexcept {
    PixelFormat format = PixelFormatUndefined;
    Record(DllExports::GdipGetImagePixelFormat(native_, &format));
    return format;
}
