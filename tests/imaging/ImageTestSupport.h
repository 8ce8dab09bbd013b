#pragma once
// Images made in the tests, and ways to look into them.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "imaging/ImageHelpers.h"

namespace imaging_test {

struct ImageDeleter {
    void operator()(CGdipBitmap* image) const { Gdiplus_DeleteBitmap(image); }
};
using ImagePtr = std::unique_ptr<CGdipBitmap, ImageDeleter>;

inline Gdiplus::ARGB PixelAt(CGdipBitmap* image, int x, int y) {
    Gdiplus::ARGB color = 0;
    EXPECT_EQ(Gdiplus::DllExports::GdipBitmapGetPixel(image->Native(), x, y, &color), Gdiplus::Ok);
    return color;
}

inline void SetPixelAt(CGdipBitmap* image, int x, int y, Gdiplus::ARGB color) {
    ASSERT_EQ(Gdiplus::DllExports::GdipBitmapSetPixel(image->Native(), x, y, color), Gdiplus::Ok);
}

// Fills the rectangle [x0, x1) x [y0, y1) of image with color.
inline void FillArea(CGdipBitmap* image, int x0, int y0, int x1, int y1, Gdiplus::ARGB color) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) SetPixelAt(image, x, y, color);
}

inline SIZE SizeOf(CGdipBitmap* image) {
    return SIZE{image->Width(), image->Height()};
}

inline ImagePtr Solid(int width, int height, Gdiplus::ARGB color) {
    return ImagePtr(Gdiplus_CreateColorBmp(width, height, color));
}

// A fresh folder for files a test writes, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, base);
        path_ = std::filesystem::path(base) / (L"imaging_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                                              std::to_wstring(counter_++));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::wstring File(const std::wstring& name) const { return (path_ / name).wstring(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    static inline int counter_ = 0;
    std::filesystem::path path_;
};

inline std::vector<BYTE> ReadAll(const std::wstring& path) {
    std::vector<BYTE> bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    const DWORD size = ::GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), size, &read, nullptr);
    ::CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

inline GUID RawFormatOf(CGdipBitmap* image) {
    GUID format{};
    EXPECT_EQ(Gdiplus::DllExports::GdipGetImageRawFormat(image->NativeImage(), &format), Gdiplus::Ok);
    return format;
}

}  // namespace imaging_test
