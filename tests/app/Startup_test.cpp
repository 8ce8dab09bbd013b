#include <gtest/gtest.h>

#include <string>

#include "app/ROVAMTTApp.h"
#include "framework/ResourceLoader.h"
#include "res/resource.h"

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

}  // namespace
