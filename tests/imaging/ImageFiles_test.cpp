// Picture types, encoders, saving, converting and resource images.
#include <algorithm>

#include "ImageTestSupport.h"

using namespace imaging_test;
using namespace Gdiplus;

namespace {

struct NameCase {
    const wchar_t* name;
    PictureType type;
};

class PictureTypeByFileName : public testing::TestWithParam<NameCase> {};

TEST_P(PictureTypeByFileName, WideAndAnsiAgree) {
    const NameCase c = GetParam();
    EXPECT_EQ(Gdiplus_GetPictureTypeByFileNameW(c.name), c.type) << testing::PrintToString(std::wstring(c.name));
    char narrow[MAX_PATH] = {};
    ::WideCharToMultiByte(CP_ACP, 0, c.name, -1, narrow, MAX_PATH, nullptr, nullptr);
    EXPECT_EQ(Gdiplus_GetPictureTypeByFileNameA(narrow), c.type) << narrow;
}

INSTANTIATE_TEST_SUITE_P(
    Extensions, PictureTypeByFileName,
    testing::Values(NameCase{L"a.bmp", PictureTypeBmp}, NameCase{L"C:\\x\\PHOTO.JPG", PictureTypeJpeg},
                    NameCase{L"b.jpeg", PictureTypeJpeg}, NameCase{L"c.Gif", PictureTypeGif},
                    NameCase{L"d.TIFF", PictureTypeTiff}, NameCase{L"e.tif", PictureTypePng},
                    NameCase{L"f.png", PictureTypePng}, NameCase{L"noextension", PictureTypePng},
                    NameCase{L"C:\\dir.bmp\\file", PictureTypePng}, NameCase{L"archive.jpg.gif", PictureTypeGif},
                    NameCase{L"", PictureTypePng}));

TEST(PictureTypeByFileName, NullPathIsPng) {
    EXPECT_EQ(Gdiplus_GetPictureTypeByFileNameW(nullptr), PictureTypePng);
    EXPECT_EQ(Gdiplus_GetPictureTypeByFileNameA(nullptr), PictureTypePng);
}

TEST(EncoderLookup, MatchesMimeTypesIgnoringCase) {
    CLSID png{}, upper{}, narrow{}, byType{};
    ASSERT_EQ(Gdiplus_GetEncoderClsidByFormatTypeW(L"image/png", &png), 1);
    ASSERT_EQ(Gdiplus_GetEncoderClsidByFormatTypeW(L"IMAGE/PNG", &upper), 1);
    ASSERT_EQ(Gdiplus_GetEncoderClsidByFormatTypeA("Image/Png", &narrow), 1);
    ASSERT_EQ(Gdiplus_GetEncoderClsidByPictureType(PictureTypePng, &byType), 1);
    EXPECT_TRUE(IsEqualCLSID(png, upper));
    EXPECT_TRUE(IsEqualCLSID(png, narrow));
    EXPECT_TRUE(IsEqualCLSID(png, byType));
    CLSID none{};
    EXPECT_EQ(Gdiplus_GetEncoderClsidByFormatTypeW(L"image/unknown", &none), 0);
    EXPECT_EQ(Gdiplus_GetEncoderClsidByFormatTypeW(L"image/pn", &none), 0);
}

TEST(EncoderLookup, UnknownPictureTypeUsesTheBmpEncoder) {
    CLSID bmp{}, other{};
    ASSERT_EQ(Gdiplus_GetEncoderClsidByFormatTypeW(L"image/bmp", &bmp), 1);
    ASSERT_EQ(Gdiplus_GetEncoderClsidByPictureType(static_cast<PictureType>(17), &other), 1);
    EXPECT_TRUE(IsEqualCLSID(bmp, other));
}

struct SaveCase {
    const wchar_t* name;
    const GUID* format;
    PixelFormat sourceFormat;
};

class SaveBitmapToFile : public testing::TestWithParam<SaveCase> {};

TEST_P(SaveBitmapToFile, EncodesByTheExtension) {
    TempFolder folder;
    ImagePtr solid = Solid(8, 6, 0xFF2040C0);
    ImagePtr image(Gdiplus_ModifyBitmapFormat(solid.get(), GetParam().sourceFormat));
    ASSERT_TRUE(image);
    const std::wstring path = folder.File(GetParam().name);
    ASSERT_EQ(Gdiplus_SaveBitmapToFileW(image.get(), path.c_str()), 1);
    ImagePtr loaded(Gdiplus_LoadBitmapFromFileW(path.c_str()));
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(IsEqualGUID(RawFormatOf(loaded.get()), *GetParam().format));
    EXPECT_EQ(SizeOf(loaded.get()).cx, 8);
    EXPECT_EQ(SizeOf(loaded.get()).cy, 6);
}

INSTANTIATE_TEST_SUITE_P(Types, SaveBitmapToFile,
                         testing::Values(SaveCase{L"a.bmp", &ImageFormatBMP, kPixelFormat32Argb},
                                         SaveCase{L"a.JPG", &ImageFormatJPEG, kPixelFormat24Rgb},
                                         // Wine's GIF encoder only writes palette images.
                                         SaveCase{L"a.gif", &ImageFormatGIF, kPixelFormat8Indexed},
                                         SaveCase{L"a.tiff", &ImageFormatTIFF, kPixelFormat32Argb},
                                         SaveCase{L"a.tif", &ImageFormatPNG, kPixelFormat32Argb},
                                         SaveCase{L"a", &ImageFormatPNG, kPixelFormat24Rgb}));

TEST(SaveBitmapToFile, AnsiPathAndNullInputs) {
    TempFolder folder;
    ImagePtr image = Solid(2, 2, 0xFF000000);
    char narrow[MAX_PATH] = {};
    ::WideCharToMultiByte(CP_ACP, 0, folder.File(L"n.bmp").c_str(), -1, narrow, MAX_PATH, nullptr, nullptr);
    EXPECT_EQ(Gdiplus_SaveBitmapToFileA(image.get(), narrow), 1);
    EXPECT_TRUE(std::filesystem::exists(folder.File(L"n.bmp")));
    EXPECT_EQ(Gdiplus_SaveBitmapToFileW(nullptr, folder.File(L"x.png").c_str()), 0);
    EXPECT_EQ(Gdiplus_SaveBitmapToFileA(nullptr, narrow), 0);
}

// Runs a body with the current folder set to a fresh temporary folder.
class InTempFolder : public testing::Test {
protected:
    void SetUp() override {
        ::GetCurrentDirectoryW(MAX_PATH, previous_);
        ASSERT_TRUE(::SetCurrentDirectoryW(folder_.Path().wstring().c_str()));
    }
    void TearDown() override { ::SetCurrentDirectoryW(previous_); }
    TempFolder folder_;
    wchar_t previous_[MAX_PATH] = {};
};

using ConvertImageFormat = InTempFolder;

TEST_F(ConvertImageFormat, WritesADateNamedFileOfTheType) {
    ImagePtr image = Solid(5, 5, 0xFF808000);
    const std::wstring source = folder_.File(L"source.png");
    ASSERT_EQ(Gdiplus_SaveBitmapToFileW(image.get(), source.c_str()), 1);
    wchar_t destination[MAX_PATH] = {};
    ASSERT_EQ(Gdiplus_ConvertImageFormatW(source.c_str(), destination, PictureTypeJpeg), 1);
    const std::wstring name = destination;
    EXPECT_EQ(name.rfind(L"Temp_", 0), 0u) << testing::PrintToString(name);
    EXPECT_EQ(name.substr(name.size() - 4), L".jpg");
    ImagePtr converted(Gdiplus_LoadBitmapFromFileW(folder_.File(name).c_str()));
    ASSERT_TRUE(converted);
    EXPECT_TRUE(IsEqualGUID(RawFormatOf(converted.get()), ImageFormatJPEG));

    char narrowSource[MAX_PATH] = {};
    ::WideCharToMultiByte(CP_ACP, 0, source.c_str(), -1, narrowSource, MAX_PATH, nullptr, nullptr);
    char narrowDestination[MAX_PATH] = {};
    ASSERT_EQ(Gdiplus_ConvertImageFormatA(narrowSource, narrowDestination, PictureTypeTiff), 1);
    const std::string narrowName = narrowDestination;
    EXPECT_EQ(narrowName.substr(narrowName.size() - 4), ".tif");
    EXPECT_TRUE(std::filesystem::exists(folder_.Path() / narrowName));
}

TEST_F(ConvertImageFormat, FailsWithoutASourceImage) {
    wchar_t destination[MAX_PATH] = {};
    EXPECT_EQ(Gdiplus_ConvertImageFormatW(nullptr, destination, PictureTypeBmp), 0);
    EXPECT_EQ(Gdiplus_ConvertImageFormatW(L"x.png", nullptr, PictureTypeBmp), 0);
    EXPECT_EQ(Gdiplus_ConvertImageFormatW(folder_.File(L"absent.png").c_str(), destination, PictureTypeBmp), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 0);
}

TEST(LoadBitmapFromResource, DecodesThePngOfTheModule) {
    HMODULE self = ::GetModuleHandleW(nullptr);
    ImagePtr wide(Gdiplus_LoadBitmapFromResourceW(self, L"PNG", 1));
    ASSERT_TRUE(wide);
    EXPECT_EQ(SizeOf(wide.get()).cx, 4);
    EXPECT_EQ(SizeOf(wide.get()).cy, 3);
    EXPECT_EQ(PixelAt(wide.get(), 3, 2), 0xFFFF8000u);
    ImagePtr ansi(Gdiplus_LoadBitmapFromResourceA(self, "png", 1));
    ASSERT_TRUE(ansi);
    EXPECT_EQ(PixelAt(ansi.get(), 0, 0), 0xFFFF8000u);
    // Only the low 16 bits name the resource.
    ImagePtr high(Gdiplus_LoadBitmapFromResourceW(self, L"PNG", 0x10001));
    EXPECT_TRUE(high);
}

TEST(LoadBitmapFromResource, RefusesMissingTypeIdsAndResources) {
    HMODULE self = ::GetModuleHandleW(nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromResourceW(self, nullptr, 1), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromResourceW(self, L"PNG", 0), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromResourceW(self, L"PNG", 2), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromResourceA(self, nullptr, 1), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromResourceA(self, "PNG", 0), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromResourceA(self, "PNG", -65535), nullptr);
    EXPECT_EQ(Gdiplus_LoadBitmapFromResourceA(self, MAKEINTRESOURCEA(10), 1), nullptr);
}

}  // namespace
