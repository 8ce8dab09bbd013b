#include "controls/InterfaceFont.h"

#include "framework/GdiplusRaii.h"

using namespace Gdiplus::DllExports;

namespace {
// In order of preference: the designed face, then the Chinese interface faces of the Windows
// versions and of common Linux installs (as Wine sees them).
constexpr const wchar_t* kCandidates[] = {
    L"黑体",          L"SimHei",      L"微软雅黑",           L"Microsoft YaHei",  L"等线",
    L"DengXian",      L"宋体",        L"SimSun",             L"NSimSun",          L"WenQuanYi Zen Hei",
    L"WenQuanYi Micro Hei", L"Noto Sans CJK SC", L"Source Han Sans SC",
};
constexpr wchar_t kDesignedFace[] = L"黑体";

bool GdiplusKnows(const wchar_t* face) {
    rova::GdipFontFamilyPtr family;
    return GdipCreateFontFamilyFromName(face, nullptr, family.out()) == Gdiplus::Ok;
}

std::wstring PlatformSansSerif() {
    Gdiplus::GpFontFamily* generic = nullptr;  // a shared family: not ours to delete
    WCHAR name[LF_FACESIZE] = {};
    if (GdipGetGenericFontFamilySansSerif(&generic) != Gdiplus::Ok || !generic ||
        GdipGetFamilyName(generic, name, LANG_NEUTRAL) != Gdiplus::Ok || !name[0]) {
        return L"Microsoft Sans Serif";
    }
    return name;
}
}  // namespace

std::wstring ChooseInterfaceFace(const std::function<bool(const wchar_t*)>& installed, const std::wstring& fallback) {
    for (const wchar_t* face : kCandidates) {
        if (installed(face)) return face;
    }
    return fallback;
}

const std::wstring& InterfaceFontFace() {
    static const std::wstring designed = kDesignedFace;
    static std::wstring chosen;
    if (!chosen.empty()) return chosen;
    // Without a running GDI+ nothing can be asked; the answer is not kept.
    rova::GdipFontFamilyPtr probe;
    if (GdipCreateFontFamilyFromName(kDesignedFace, nullptr, probe.out()) == Gdiplus::GdiplusNotInitialized) {
        return designed;
    }
    chosen = ChooseInterfaceFace(GdiplusKnows, PlatformSansSerif());
    return chosen;
}
