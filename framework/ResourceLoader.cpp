#include "framework/ResourceLoader.h"

namespace {
LANGID gSelected = 0;
HMODULE gModule = nullptr;

HRSRC FindIn(HMODULE module, LPCWSTR type, LPCWSTR name) {
    for (LANGID lang : CResourceLoader::LanguageOrder()) {
        if (HRSRC r = ::FindResourceExW(module, type, name, lang)) return r;
    }
    return ::FindResourceW(module, name, type);
}
}  // namespace

void CResourceLoader::SetLanguage(LANGID lang) noexcept { gSelected = lang; }

LANGID CResourceLoader::GetLanguage() noexcept { return gSelected ? gSelected : ::GetUserDefaultUILanguage(); }

LANGID CResourceLoader::GetFallbackLanguage() noexcept {
    return PRIMARYLANGID(GetLanguage()) == LANG_CHINESE ? kChineseSimplified : kEnglish;
}

void CResourceLoader::SetModule(HMODULE module) noexcept { gModule = module; }

HMODULE CResourceLoader::GetModule() noexcept { return gModule ? gModule : ::GetModuleHandleW(nullptr); }

std::vector<LANGID> CResourceLoader::LanguageOrder() {
    std::vector<LANGID> order{GetLanguage()};
    const LANGID fallback = GetFallbackLanguage();
    if (fallback != order.front()) order.push_back(fallback);
    if (fallback != kEnglish) order.push_back(kEnglish);
    return order;
}

const void* CResourceLoader::LoadRaw(LPCWSTR type, LPCWSTR name, DWORD* size) noexcept {
    HMODULE module = GetModule();
    HRSRC res = FindIn(module, type, name);
    if (!res) return nullptr;
    HGLOBAL handle = ::LoadResource(module, res);
    if (!handle) return nullptr;
    if (size) *size = ::SizeofResource(module, res);
    return ::LockResource(handle);
}

std::wstring CResourceLoader::LoadString(UINT id) {
    // Strings live in blocks of 16; each entry is a length-prefixed UTF-16 run.
    DWORD size = 0;
    auto* block = static_cast<const WCHAR*>(LoadRaw(RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), &size));
    if (!block) return {};
    const WCHAR* end = block + size / sizeof(WCHAR);
    const WCHAR* p = block;
    for (UINT i = 0; i < (id & 15); ++i) {
        if (p >= end) return {};
        p += 1 + *p;
    }
    if (p >= end || p + 1 + *p > end) return {};
    return std::wstring(p + 1, *p);
}

const DLGTEMPLATE* CResourceLoader::LoadDialog(UINT id) noexcept {
    return static_cast<const DLGTEMPLATE*>(LoadRaw(RT_DIALOG, MAKEINTRESOURCEW(id), nullptr));
}

bool CResourceLoader::LoadPng(UINT id, const void** data, DWORD* size) noexcept {
    DWORD n = 0;
    const void* p = LoadRaw(L"PNG", MAKEINTRESOURCEW(id), &n);
    if (!p || n == 0) return false;
    *data = p;
    *size = n;
    return true;
}
