#include "imaging/GdipGraphics.h"

#include "imaging/GdipBitmap.h"

using namespace Gdiplus;

CGdipGraphics::CGdipGraphics(HDC dc) noexcept {
    Record(DllExports::GdipCreateFromHDC(dc, &m_native));
}

CGdipGraphics::CGdipGraphics(CGdipBitmap& image) noexcept {
    image.Record(Record(DllExports::GdipGetImageGraphicsContext(image.NativeImage(), &m_native)));
}

CGdipGraphics::~CGdipGraphics() {
    if (m_native) DllExports::GdipDeleteGraphics(m_native);
}

Status CGdipGraphics::Record(Status status) noexcept {
    if (status != Ok) m_lastStatus = status;
    return status;
}

Status CGdipGraphics::TakeLastStatus() noexcept {
    Status status = m_lastStatus;
    m_lastStatus = Ok;
    return status;
}
