#include "imaging/GdipBitmap.h"

using namespace Gdiplus;

CGdipBitmap::CGdipBitmap(GpBitmap* native, IStream* source) noexcept : m_native(native), m_source(source) {}

CGdipBitmap::~CGdipBitmap() {
    if (m_native) DllExports::GdipDisposeImage(m_native);
    // Only after the bitmap is gone may its encoded bytes go.
    if (m_source) m_source->Release();
}

Status CGdipBitmap::Record(Status status) noexcept {
    if (status != Ok) m_lastStatus = status;
    return status;
}

Status CGdipBitmap::TakeLastStatus() noexcept {
    Status status = m_lastStatus;
    m_lastStatus = Ok;
    return status;
}

int CGdipBitmap::Width() noexcept {
    UINT width = 0;
    Record(DllExports::GdipGetImageWidth(m_native, &width));
    return static_cast<int>(width);
}

int CGdipBitmap::Height() noexcept {
    UINT height = 0;
    Record(DllExports::GdipGetImageHeight(m_native, &height));
    return static_cast<int>(height);
}

PixelFormat CGdipBitmap::Format() noexcept {
    PixelFormat format = PixelFormatUndefined;
    Record(DllExports::GdipGetImagePixelFormat(m_native, &format));
    return format;
}
