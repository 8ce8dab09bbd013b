#pragma once
// Pixels of an image locked for direct access, unlocked when the object goes. Failures to lock
// or unlock are kept in the image's last status.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

class CGdipBitmap;

class CLockedBits {
public:
    CLockedBits(CGdipBitmap& image, const Gdiplus::Rect& area, UINT lockMode, Gdiplus::PixelFormat format) noexcept;
    ~CLockedBits();
    CLockedBits(const CLockedBits&) = delete;
    CLockedBits& operator=(const CLockedBits&) = delete;

    bool IsLocked() const noexcept { return m_locked; }
    const Gdiplus::BitmapData& Data() const noexcept { return m_data; }
    BYTE* Row(UINT y) const noexcept { return static_cast<BYTE*>(m_data.Scan0) + static_cast<INT_PTR>(y) * m_data.Stride; }
    // Ends the lock now (writing changed pixels back); the status of the unlock is returned.
    Gdiplus::Status Unlock() noexcept;

private:
    CGdipBitmap& m_image;
    Gdiplus::BitmapData m_data{};
    bool m_locked = false;
};
