// Every binary we ship carries the build's one version, and the About box shows it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "RovaVersion.h"
#include "app/ProductVersion.h"
#include "app/ROVAMTTApp.h"
#include "framework/ResourceLoader.h"
#include "res/resource.h"

namespace {

std::wstring Widen(const char* text) { return std::wstring(text, text + strlen(text)); }

// The numeric FILEVERSION and PRODUCTVERSION of a file, as "major.minor.patch.build".
std::wstring FixedVersions(const std::wstring& path) {
    DWORD ignored = 0;
    std::vector<BYTE> block(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    if (block.empty() || !::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
        return L"(none)";
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length)) return L"(none)";
    wchar_t text[96] = {};
    wsprintfW(text, L"%u.%u.%u.%u %u.%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
              HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS), HIWORD(info->dwProductVersionMS),
              LOWORD(info->dwProductVersionMS), HIWORD(info->dwProductVersionLS), LOWORD(info->dwProductVersionLS));
    return text;
}

// ctest runs this suite in the build's bin folder, beside the binaries the packages ship.
TEST(ProductVersionTest, EveryShippedBinaryCarriesTheBuildVersion) {
    wchar_t numbers[64] = {};
    wsprintfW(numbers, L"%u.%u.%u.0", ROVA_VERSION_MAJOR, ROVA_VERSION_MINOR, ROVA_VERSION_PATCH);
    const std::wstring fixed = std::wstring(numbers) + L" " + numbers;
    // What the packages ship: every ROVA_*.exe and ROVA_*.dll (a new console tool needs
    // rova_add_version_resource in its CMakeLists).
    std::vector<std::wstring> shipped;
    for (const wchar_t* pattern : {L"ROVA_*.exe", L"ROVA_*.dll"}) {
        WIN32_FIND_DATAW found = {};
        HANDLE search = ::FindFirstFileW(pattern, &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            // Windows matches names without case; the developer tool rova_probe.exe does not ship.
            if (std::wstring_view(found.cFileName).starts_with(L"ROVA_")) shipped.push_back(found.cFileName);
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    for (const wchar_t* name : {L"ROVA_MTT.exe", L"ROVA_Common.dll", L"ROVA_DataProcess.dll", L"ROVA_DlgResource.dll"})
        EXPECT_NE(std::find(shipped.begin(), shipped.end(), name), shipped.end()) << "missing " << name;
    for (const std::wstring& name : shipped) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadProductVersion(name), Widen(ROVA_VERSION_TEXT));
        EXPECT_EQ(FixedVersions(name), fixed);
    }
    EXPECT_EQ(OwnProductVersion(), Widen(ROVA_VERSION_TEXT));
}

TEST(ProductVersionTest, FileWithoutVersionReadsEmpty) {
    EXPECT_EQ(ReadProductVersion(L"no-such-file.dll"), L"");
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(ReadProductVersion(std::wstring(system) + L"\\nowhere\\x.exe"), L"");
}

TEST(ProductVersionTest, AboutTextNamesTheVersionInBothLanguages) {
    const struct {
        const char* setting;
        const wchar_t* versionLine;
    } cases[] = {{"ENG", L"\r\nVersion 2.5.1+abc1234"}, {"CHS", L"\r\n\u7248\u672c 2.5.1+abc1234"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        CROVAMTTApp::SelectLanguage(CROVAMTTApp::LanguageFromSetting(c.setting));
        const std::wstring text = ComposeAboutText(CResourceLoader::LoadString(IDS_ABOUT_TEXT), L"2.5.1+abc1234");
        ASSERT_GE(text.size(), wcslen(c.versionLine));
        EXPECT_EQ(text.substr(text.size() - wcslen(c.versionLine)), c.versionLine) << "text: " << text;
        EXPECT_EQ(text.find(L"%s"), std::wstring::npos);
    }
    EXPECT_EQ(ComposeAboutText(L"no placeholder", L"1.0.0"), L"no placeholder");
    EXPECT_EQ(ComposeAboutText(L"v%s, not %s", L"1.0.0"), L"v1.0.0, not %s");
}

}  // namespace
