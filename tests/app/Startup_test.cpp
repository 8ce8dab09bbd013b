#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <string>
#include <thread>

#include "app/ROVAMTTApp.h"
#include "framework/ProgramFolder.h"
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

// Answers the first message box this process shows with OK, keeping its caption and text.
class MessageBoxReader {
public:
    MessageBoxReader() : thread_([this] { Run(); }) {}
    ~MessageBoxReader() { Join(); }
    // Caption and text are read once this returns.
    void Join() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::wstring caption, text;

private:
    static BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
        auto* self = reinterpret_cast<MessageBoxReader*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        wchar_t cls[32] = {};
        ::GetClassNameW(hwnd, cls, 32);
        if (pid != ::GetCurrentProcessId() || wcscmp(cls, L"#32770") != 0 || !::IsWindowVisible(hwnd)) return TRUE;
        wchar_t buffer[1024] = {};
        ::GetWindowTextW(hwnd, buffer, 1024);
        self->caption = buffer;
        ::GetDlgItemTextW(hwnd, 0xFFFF, buffer, 1024);  // a message box's text
        self->text = buffer;
        self->stop_ = true;
        ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return FALSE;
    }
    void Run() {
        while (!stop_) {
            ::EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
            ::Sleep(100);
        }
    }
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

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
        MessageBoxReader reader;
        CROVAMTTApp::ReportFolderWithoutAnsiName(folder);
        reader.Join();
        const std::wstring& caption = reader.caption;
        const std::wstring& text = reader.text;
        EXPECT_EQ(caption, c.title);
        EXPECT_NE(text.find(folder), std::wstring::npos) << "the folder is not named";
        EXPECT_NE(text.find(c.phrase), std::wstring::npos);
        EXPECT_EQ(text.find(L"%s"), std::wstring::npos);
    }
}

}  // namespace
