#pragma once
// The one place that looks up resources. Wine ignores the process's preferred UI languages when
// LoadStringW and friends choose a language, so every string table entry, dialog template and PNG
// is found here: the selected language first, then its fallback (Chinese variants to 2052,
// anything else to 1033), then whatever language holds the id.
#include <windows.h>
#include <string>
#include <vector>

class CResourceLoader {
public:
    static constexpr LANGID kEnglish = 0x0409;
    static constexpr LANGID kChineseSimplified = 0x0804;

    // The language asked for first; 0 means the user's default UI language.
    static void SetLanguage(LANGID lang) noexcept;
    static LANGID GetLanguage() noexcept;
    // The language whose resources are used for the current selection (2052 or 1033).
    static LANGID GetFallbackLanguage() noexcept;
    // The module whose resources are used (the exe by default).
    static void SetModule(HMODULE module) noexcept;
    static HMODULE GetModule() noexcept;

    // String table entry; empty when missing.
    static std::wstring LoadString(UINT id);
    // Raw bytes of a resource; null when missing. Valid for the life of the module.
    static const void* LoadRaw(LPCWSTR type, LPCWSTR name, DWORD* size) noexcept;
    static const DLGTEMPLATE* LoadDialog(UINT id) noexcept;
    // Bytes of a "PNG" resource; empty when missing.
    static bool LoadPng(UINT id, const void** data, DWORD* size) noexcept;
    // The order of languages tried for the current selection.
    static std::vector<LANGID> LanguageOrder();
};
