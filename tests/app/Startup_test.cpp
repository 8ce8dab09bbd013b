#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "ProgramFolderGuard.h"
#include "TempFolder.h"
#include "app/ConsoleLog.h"
#include "app/ROVAMTTApp.h"
#include "framework/ProgramFolder.h"
#include "framework/ResourceLoader.h"
#include "res/resource.h"
#include "settings/XMLParser.h"

namespace {

TEST(StartupTest, LanguageSettingSelectsTheUiLanguage) {
    const struct {
        const char* text;
        LANGID expected;
    } cases[] = {{"ENG", 0x0409}, {"eng", 0x0409}, {"Eng", 0x0409}, {"CHS", 0x1004}, {"chs", 0x1004},
                 {"", 0x1004},    {"FRA", 0x1004}, {"CHT", 0x0404}, {nullptr, 0x1004}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(absent)");
        EXPECT_EQ(CROVAMTTApp::LanguageFromSetting(c.text), c.expected);
    }
}

TEST(StartupTest, SelectedLanguageDecidesWhichStringsLoad) {
    CROVAMTTApp::SelectLanguage(CROVAMTTApp::LanguageFromSetting("ENG"));
    EXPECT_EQ(CResourceLoader::LoadString(IDS_SOCKETS_INIT_FAILED), L"Windows socket init. failed.");
    const std::wstring english = CResourceLoader::LoadString(IDS_ABOUTBOX);
    EXPECT_EQ(english, L"About(&A)...");
    CROVAMTTApp::SelectLanguage(CROVAMTTApp::LanguageFromSetting("whatever"));
    const std::wstring chinese = CResourceLoader::LoadString(IDS_ABOUTBOX);
    EXPECT_FALSE(chinese.empty());
    EXPECT_NE(chinese, english);
    CROVAMTTApp::SelectLanguage(CROVAMTTApp::LanguageFromSetting("CHT"));  // no resources: Chinese fallback
    EXPECT_EQ(CResourceLoader::LoadString(IDS_ABOUTBOX), chinese);
    EXPECT_TRUE(CResourceLoader::LoadString(59999).empty());
}

TEST(StartupTest, MainWindowClassIsADialogClassCopy) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ASSERT_TRUE(CROVAMTTApp::RegisterMainWindowClass(instance));
    ASSERT_TRUE(CROVAMTTApp::RegisterMainWindowClass(instance));  // a second call is harmless
    WNDCLASSW mine{}, dialog{};
    ASSERT_TRUE(::GetClassInfoW(instance, L"ROVA_MTT", &mine));
    ASSERT_TRUE(::GetClassInfoW(nullptr, L"#32770", &dialog));
    EXPECT_EQ(mine.lpfnWndProc, dialog.lpfnWndProc);
    EXPECT_EQ(mine.cbWndExtra, dialog.cbWndExtra);
    const std::wstring name = CROVAMTTApp::InstanceName();
    EXPECT_EQ(name.size(), 7u + 38u);
    EXPECT_EQ(name.rfind(L"Global\\{", 0), 0u);
}

TEST(StartupTest, AFolderWithoutAnsiNameIsToldInTheChosenLanguage) {
    // A profile folder of an operator abroad, not made: no short name stands in for it.
    const std::wstring folder = L"C:\\Users\\\u6d4b\u8bd5\\AppData\\Local\\ROVA_MTT";
    if (::GetACP() != CP_UTF8) {
        EXPECT_FALSE(CROVAMTTApp::FolderHasAnsiName(folder.c_str()));
    }
    EXPECT_TRUE(CROVAMTTApp::FolderHasAnsiName(ProgramFileW(L"").c_str()));

    const struct {
        const char* setting;
        const wchar_t* title;
        const wchar_t* phrase;
    } cases[] = {{"ENG", L"Prompt", L"code page"}, {"CHS", L"\u63d0\u793a", L"\u4ee3\u7801\u9875"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        CROVAMTTApp::SelectLanguage(CROVAMTTApp::LanguageFromSetting(c.setting));
        EXPECT_EQ(CResourceLoader::LoadString(IDS_PROMPT), c.title) << "the notice window's caption";
        const std::wstring text = CROVAMTTApp::FolderWithoutAnsiNameText(folder);
        EXPECT_NE(text.find(folder), std::wstring::npos) << "the folder is not named";
        EXPECT_NE(text.find(c.phrase), std::wstring::npos);
        EXPECT_EQ(text.find(L"%s"), std::wstring::npos);
    }
}

// Nothing at start waits for a click: the notices go to the console's event log under Log\ at once
// (whole, on one line) and to the main window, which shows them without waiting.
TEST(StartupTest, NoticesOfTheStartAreLoggedAndReturnedWithoutAnyBox) {
    ProgramFolderGuard programFolder;
    TempFolder folder;
    const std::wstring settingsFile = folder.file(L"appConfig.xml");
    {
        HANDLE h = ::CreateFileW(settingsFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        const char damaged[] = "<?xml version=\"1.0\"?>\n<AppConfig Language=\"ENG\">\n<MonitorArea></MonitorAera>\n";
        DWORD written = 0;
        ::WriteFile(h, damaged, sizeof damaged - 1, &written, nullptr);
        ::CloseHandle(h);
    }
    XMLParser damaged;
    damaged.LoadFromFile(settingsFile.c_str());
    ASSERT_TRUE(damaged.LoadedDamaged());
    ASSERT_FALSE(damaged.DamagedCopy().empty());
    XMLParser sound;
    sound.LoadFromMemory("<AppConfig/>", 12);

    CROVAMTTApp::SelectLanguage(CROVAMTTApp::LanguageFromSetting("ENG"));
    const std::wstring plainFolder = ProgramFileW(L"");
    EXPECT_TRUE(CROVAMTTApp::StartupNotices(sound, plainFolder).empty());
    const std::vector<std::wstring> notices = CROVAMTTApp::StartupNotices(damaged, plainFolder);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], CROVAMTTApp::DamagedSettingsText(damaged.DamagedCopy()));
    EXPECT_NE(notices[0].find(damaged.DamagedCopy()), std::wstring::npos) << "the copy is named";
    EXPECT_EQ(notices[0].rfind(L"The settings file appConfig.xml is damaged.", 0), 0u) << "the text is kept";

    const std::wstring logPath = ConsoleLog().Path();
    ASSERT_FALSE(logPath.empty());
    EXPECT_EQ(logPath.rfind(ProgramFileW(L"Log") + L"\\ROVA_MTT_Console_", 0), 0u);
    std::string log(8192, '\0');
    HANDLE h = ::CreateFileW(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD got = 0;
    ::ReadFile(h, log.data(), static_cast<DWORD>(log.size()), &got, nullptr);
    ::CloseHandle(h);
    log.resize(got);
    std::wstring expected = notices[0];
    for (wchar_t& c : expected) {
        if (c == L'\r' || c == L'\n') c = L' ';
    }
    const std::string expectedNarrow = TempFolder::narrow(expected);  // ASCII folder: UTF-8 alike
    EXPECT_NE(log.find("] notice: " + expectedNarrow + "\r\n"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << "one line per notice: " << log;
    ::DeleteFileW(logPath.c_str());
}

}  // namespace
