// GDI+ session, encoders, picture types by file name, saving, converting and resource images.
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "framework/AnsiText.h"
#include "imaging/ImageHelpers.h"
#include "imaging/ImagingSupport.h"

using namespace Gdiplus;
using namespace rova::imaging;
using rova::AnsiToWide;
using rova::kPathChars;
using rova::WideToAnsi;

namespace {

const wchar_t* MimeTypeOf(PictureType type) {
    switch (type) {
    case PictureTypeJpeg: return L"image/jpeg";
    case PictureTypeGif: return L"image/gif";
    case PictureTypeTiff: return L"image/tiff";
    case PictureTypePng: return L"image/png";
    default: return L"image/bmp";
    }
}

const wchar_t* ExtensionOf(PictureType type) {
    switch (type) {
    case PictureTypeJpeg: return L"jpg";
    case PictureTypeGif: return L"gif";
    case PictureTypeTiff: return L"tif";
    case PictureTypePng: return L"png";
    default: return L"bmp";
    }
}

}  // namespace

GdiplusStartupRecord* Gdiplus_Init() {
    auto* record = new (std::nothrow) GdiplusStartupRecord;
    if (!record) return nullptr;
    // A record without a session would read as success to the caller.
    if (GdiplusStartup(&record->token, &record->input, &record->output) != Ok) {
        delete record;
        return nullptr;
    }
    return record;
}

void Gdiplus_DeInit(GdiplusStartupRecord* record) {
    if (!record) return;
    if (record->token) GdiplusShutdown(record->token);
    delete record;
}

int Gdiplus_GetEncoderClsidByFormatTypeW(const wchar_t* mimeType, CLSID* encoder) {
    if (!mimeType || !encoder) return 0;
    UINT count = 0;
    UINT size = 0;
    if (DllExports::GdipGetImageEncodersSize(&count, &size) != Ok || size == 0) return 0;
    std::vector<BYTE> buffer;
    try {
        buffer.resize(size);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (DllExports::GdipGetImageEncoders(count, size, codecs) != Ok) return 0;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && _wcsicmp(codecs[i].MimeType, mimeType) == 0) {
            *encoder = codecs[i].Clsid;
            return 1;
        }
    }
    return 0;
}

int Gdiplus_GetEncoderClsidByFormatTypeA(const char* mimeType, CLSID* encoder) {
    if (!mimeType) return 0;
    return Gdiplus_GetEncoderClsidByFormatTypeW(AnsiToWide(mimeType).c_str(), encoder);
}

int Gdiplus_GetEncoderClsidByPictureType(PictureType type, CLSID* encoder) {
    return Gdiplus_GetEncoderClsidByFormatTypeW(MimeTypeOf(type), encoder);
}

PictureType Gdiplus_GetPictureTypeByFileNameW(const wchar_t* path) {
    const std::wstring extension = FileExtension(path);
    const wchar_t* ext = extension.c_str();
    if (_wcsicmp(ext, L"bmp") == 0) return PictureTypeBmp;
    if (_wcsicmp(ext, L"jpeg") == 0 || _wcsicmp(ext, L"jpg") == 0) return PictureTypeJpeg;
    if (_wcsicmp(ext, L"gif") == 0) return PictureTypeGif;
    if (_wcsicmp(ext, L"tiff") == 0) return PictureTypeTiff;
    return PictureTypePng;
}

PictureType Gdiplus_GetPictureTypeByFileNameA(const char* path) {
    if (!path) return Gdiplus_GetPictureTypeByFileNameW(nullptr);
    return Gdiplus_GetPictureTypeByFileNameW(AnsiToWide(path, kPathChars).c_str());
}

int Gdiplus_SaveBitmapToFileW(CGdipBitmap* image, const wchar_t* path) {
    if (!image || !path) return 0;
    CLSID encoder{};
    if (!Gdiplus_GetEncoderClsidByPictureType(Gdiplus_GetPictureTypeByFileNameW(path), &encoder)) return 0;
    return image->Record(DllExports::GdipSaveImageToFile(image->NativeImage(), path, &encoder, nullptr)) == Ok ? 1 : 0;
}

int Gdiplus_SaveBitmapToFileA(CGdipBitmap* image, const char* path) {
    if (!image || !path) return 0;
    return Gdiplus_SaveBitmapToFileW(image, AnsiToWide(path, kPathChars).c_str());
}

int Gdiplus_ConvertImageFormatW(const wchar_t* source, wchar_t* destination, PictureType type) {
    if (!source || !destination) return 0;
    std::wstring name = DateFileName(ExtensionOf(type), L"Temp_", L"");
    if (name.size() > kPathChars - 1) name.resize(kPathChars - 1);
    wcscpy(destination, name.c_str());
    CGdipBitmap* image = Gdiplus_LoadBitmapFromFileW(source);
    if (!image) return 0;
    CLSID encoder{};
    int saved = 0;
    if (Gdiplus_GetEncoderClsidByPictureType(type, &encoder))
        saved = image->Record(DllExports::GdipSaveImageToFile(image->NativeImage(), destination, &encoder, nullptr)) == Ok;
    Gdiplus_DeleteBitmap(image);
    return saved;
}

int Gdiplus_ConvertImageFormatA(const char* source, char* destination, PictureType type) {
    if (!source || !destination) return 0;
    wchar_t wideDestination[kPathChars] = {};
    const int result = Gdiplus_ConvertImageFormatW(AnsiToWide(source, kPathChars).c_str(), wideDestination, type);
    const std::string narrow = WideToAnsi(wideDestination, kPathChars);
    std::memcpy(destination, narrow.c_str(), narrow.size() + 1);
    return result;
}

CGdipBitmap* Gdiplus_LoadBitmapFromResourceW(HMODULE module, const wchar_t* type, int id) {
    if (!type || id == 0) return nullptr;
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id & 0xFFFF), type);
    if (!resource) return nullptr;
    HGLOBAL loaded = ::LoadResource(module, resource);
    const DWORD size = ::SizeofResource(module, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return nullptr;
    return Gdiplus_LoadBitmapFromData(bytes, size);
}

CGdipBitmap* Gdiplus_LoadBitmapFromResourceA(HMODULE module, const char* type, int id) {
    if (!type || id <= 0) return nullptr;
    // An integer type (MAKEINTRESOURCE) is no text and passes through unconverted.
    if (IS_INTRESOURCE(type))
        return Gdiplus_LoadBitmapFromResourceW(module, reinterpret_cast<const wchar_t*>(type), id);
    return Gdiplus_LoadBitmapFromResourceW(module, AnsiToWide(type).c_str(), id);
}
