#pragma once
// The Gdiplus_ image helpers, exported by the executable under their plain names.
//
// Images are CGdipBitmap objects; every function that returns one hands a new object to the
// caller, who frees it with Gdiplus_DeleteBitmap (a std::unique_ptr<CGdipBitmap> does the same).
// Functions that take an image never keep it.
// GDI+ failures after an object exists are kept in that image's or target's last status, read
// and reset by Gdiplus_BitmapOK / Gdiplus_BitmapLastError (CGdipGraphics::TakeLastStatus).
// GDI+ must be running before any of them is called.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "imaging/GdipBitmap.h"
#include "imaging/GdipGraphics.h"

#define ROVA_IMAGING_API extern "C" __declspec(dllexport)

// Pixel formats the helpers name themselves.
constexpr Gdiplus::PixelFormat kPixelFormat32Argb = 0x26200A;
constexpr Gdiplus::PixelFormat kPixelFormat24Rgb = 0x21808;
constexpr Gdiplus::PixelFormat kPixelFormat8Indexed = 0x30803;

enum PictureType : int {
    PictureTypeBmp = 0,
    PictureTypeJpeg = 1,
    PictureTypeGif = 2,
    PictureTypeTiff = 3,
    PictureTypePng = 4,
};

// What Gdiplus_Init hands out and Gdiplus_DeInit takes back.
struct GdiplusStartupRecord {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartupOutput output{};
};

// Core: load, copy, grey, status, free.
ROVA_IMAGING_API CGdipBitmap* Gdiplus_CopyBitmap(CGdipBitmap* image);
ROVA_IMAGING_API CGdipBitmap* Gdiplus_Gray(CGdipBitmap* image);
// The bytes are copied: the caller may free them right after the call.
ROVA_IMAGING_API CGdipBitmap* Gdiplus_LoadBitmapFromData(const void* bytes, UINT count);
ROVA_IMAGING_API CGdipBitmap* Gdiplus_LoadBitmapFromFileA(const char* path);
ROVA_IMAGING_API CGdipBitmap* Gdiplus_LoadBitmapFromFileW(const wchar_t* path);
ROVA_IMAGING_API int Gdiplus_BitmapOK(CGdipBitmap* image);
ROVA_IMAGING_API int Gdiplus_BitmapLastError(CGdipBitmap* image);
ROVA_IMAGING_API void Gdiplus_DeleteBitmap(CGdipBitmap* image);

// Session.
ROVA_IMAGING_API GdiplusStartupRecord* Gdiplus_Init();
ROVA_IMAGING_API void Gdiplus_DeInit(GdiplusStartupRecord* record);

// Codecs, file types and files.
ROVA_IMAGING_API int Gdiplus_GetEncoderClsidByFormatTypeA(const char* mimeType, CLSID* encoder);
ROVA_IMAGING_API int Gdiplus_GetEncoderClsidByFormatTypeW(const wchar_t* mimeType, CLSID* encoder);
ROVA_IMAGING_API int Gdiplus_GetEncoderClsidByPictureType(PictureType type, CLSID* encoder);
ROVA_IMAGING_API PictureType Gdiplus_GetPictureTypeByFileNameA(const char* path);
ROVA_IMAGING_API PictureType Gdiplus_GetPictureTypeByFileNameW(const wchar_t* path);
// destination receives the name of the written file (a buffer of MAX_PATH characters).
ROVA_IMAGING_API int Gdiplus_ConvertImageFormatA(const char* source, char* destination, PictureType type);
ROVA_IMAGING_API int Gdiplus_ConvertImageFormatW(const wchar_t* source, wchar_t* destination, PictureType type);
ROVA_IMAGING_API int Gdiplus_SaveBitmapToFileA(CGdipBitmap* image, const char* path);
ROVA_IMAGING_API int Gdiplus_SaveBitmapToFileW(CGdipBitmap* image, const wchar_t* path);
ROVA_IMAGING_API CGdipBitmap* Gdiplus_LoadBitmapFromResourceA(HMODULE module, const char* type, int id);
ROVA_IMAGING_API CGdipBitmap* Gdiplus_LoadBitmapFromResourceW(HMODULE module, const wchar_t* type, int id);

// Creation, scaling and cropping.
ROVA_IMAGING_API CGdipBitmap* Gdiplus_CreateBitmap(int width, int height, Gdiplus::PixelFormat format);
ROVA_IMAGING_API CGdipBitmap* Gdiplus_CreateColorBmp(int width, int height, Gdiplus::ARGB color);
ROVA_IMAGING_API CGdipBitmap* Gdiplus_ModifyBitmapFormat(CGdipBitmap* image, Gdiplus::PixelFormat format);
// The image is created over the caller's pixels, which must outlive it.
ROVA_IMAGING_API CGdipBitmap* Gdiplus_LoadBitmapFromImageBits(void* pixels, int width, int height, int stride,
                                                              Gdiplus::PixelFormat format);
ROVA_IMAGING_API CGdipBitmap* Gdiplus_StretchBitmap(CGdipBitmap* image, int width, int height);
ROVA_IMAGING_API CGdipBitmap* Gdiplus_ResizeBitmap(CGdipBitmap* image, int width, int height, int mode,
                                                   Gdiplus::ARGB background);
ROVA_IMAGING_API CGdipBitmap* Gdiplus_DisposeBitmapByMode(CGdipBitmap* image, int width, int height, int mode,
                                                          Gdiplus::ARGB background);
ROVA_IMAGING_API CGdipBitmap* Gdiplus_GetBitmapFromBitmap(CGdipBitmap* image, int x, int y, int width, int height,
                                                          const SIZE* outputSize);
ROVA_IMAGING_API CGdipBitmap* Gdiplus_GetBitmapFromBitmapByRect(CGdipBitmap* image, const RECT* rect,
                                                                const SIZE* outputSize);

// Pixels, GDI objects.
ROVA_IMAGING_API HBITMAP Gdiplus_GetHBitmap(CGdipBitmap* image, Gdiplus::ARGB background, int topDown);
ROVA_IMAGING_API int Gdiplus_GetBitmapBuffer(CGdipBitmap* image, const RECT* rect, Gdiplus::PixelFormat format,
                                             void* destination, int destinationStride);
ROVA_IMAGING_API HRGN Gdiplus_CreateRgnFromBitmap(CGdipBitmap* image, int alphaThreshold);
ROVA_IMAGING_API void Gdiplus_SetBitmapAlpha(CGdipBitmap* image, const RECT* rect, int newAlpha, int lowestAlpha,
                                             int highestAlpha);

// Drawing on a target.
ROVA_IMAGING_API int Gdiplus_GetStringFormat(int languageId);
ROVA_IMAGING_API void Gdiplus_DrawText(CGdipGraphics* graphics, const wchar_t* text, const Gdiplus::RectF* layout,
                                       Gdiplus::ARGB color, Gdiplus::GpStringFormat* format, Gdiplus::GpFont* font);
ROVA_IMAGING_API void Gdiplus_DrawBitmap(CGdipGraphics* graphics, const RECT* destination, CGdipBitmap* image,
                                         const RECT* source, int mode);
ROVA_IMAGING_API void Gdiplus_DrawAlphaBitmap(CGdipGraphics* graphics, const RECT* destination, CGdipBitmap* image,
                                              const RECT* source, int stretch, int alpha);
ROVA_IMAGING_API void Gdiplus_FillRect(CGdipGraphics* graphics, const RECT* rect, Gdiplus::GpBrush* brush);
ROVA_IMAGING_API void Gdiplus_FillPolygon(CGdipGraphics* graphics, const POINT* points, int count,
                                          Gdiplus::GpBrush* brush);
ROVA_IMAGING_API void Gdiplus_DrawRect(CGdipGraphics* graphics, const RECT* rect, Gdiplus::ARGB color, float penWidth);
