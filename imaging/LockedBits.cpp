#include "imaging/LockedBits.h"

#include "imaging/GdipBitmap.h"

using namespace Gdiplus;

CLockedBits::CLockedBits(CGdipBitmap& image, const Rect& area, UINT lockMode, PixelFormat format) noexcept
    : m_image(image) {
    m_locked = m_image.Record(DllExports::GdipBitmapLockBits(m_image.Native(), &area, lockMode, format, &m_data)) == Ok;
}

CLockedBits::~CLockedBits() {
    Unlock();
}

Status CLockedBits::Unlock() noexcept {
    if (!m_locked) return Ok;
    m_locked = false;
    return m_image.Record(DllExports::GdipBitmapUnlockBits(m_image.Native(), &m_data));
}
