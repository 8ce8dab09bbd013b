#include "app/ROVAMTTApp.h"

#include <commctrl.h>

#include <memory>
#include <string>

#include "app/ConsoleLog.h"
#include "app/CrashReport.h"
#include "app/ROVAMTTDlg.h"
#include "settings/XMLParser.h"
#include "contracts/ROVA_Common.h"
#include "contracts/ROVA_DlgResource.h"
#include "framework/AnsiText.h"
#include "framework/GdiplusRaii.h"
#include "framework/ProgramFolder.h"
#include "framework/Raii.h"
#include "framework/ResourceLoader.h"
#include "res/resource.h"

namespace {
constexpr wchar_t kInstanceGuid[] = L"{6B3E2A91-4F0C-4D7B-9A55-1C2E8D7F30A4}";
constexpr wchar_t kMainWindowClass[] = L"ROVA_MTT";
}  // namespace

CROVAMTTApp::CROVAMTTApp() noexcept { m_dwRestartManagerSupportFlags = 1; }

const wchar_t* CROVAMTTApp::InstanceName() {
    static wchar_t name[64] = {};
    if (!name[0]) wsprintfW(name, L"Global\\%s", kInstanceGuid);
    return name;
}

LANGID CROVAMTTApp::LanguageFromSetting(const char* text) noexcept {
    if (text && _stricmp(text, "ENG") == 0) return 0x0409;
    if (text && _stricmp(text, "CHT") == 0) return 0x0404;
    return 0x1004;
}

bool CROVAMTTApp::RegisterMainWindowClass(HINSTANCE instance) noexcept {
    WNDCLASSW wc{};
    if (::GetClassInfoW(instance, kMainWindowClass, &wc)) return true;
    if (!::GetClassInfoW(instance, L"#32770", &wc)) return false;
    wc.hInstance = instance;
    wc.lpszClassName = kMainWindowClass;
    return ::RegisterClassW(&wc) != 0;
}

void CROVAMTTApp::LoadSettingsDocument() {
    gAppConfig.LoadConfig();
    if (gAppConfig.AppConfig().IsNull()) {
        gAppConfig.Document().AppendChild("AppConfig");
        gAppConfig.SaveConfig();
    }
}

std::wstring CROVAMTTApp::DamagedSettingsText(const std::wstring& copy) {
    std::wstring text;
    if (copy.empty()) {
        text = CResourceLoader::LoadString(IDS_SETTINGS_DAMAGED_NO_COPY);
    } else {
        // The text names the copy where it says "%s"; no printf, whose wide %s differs between run-times.
        text = CResourceLoader::LoadString(IDS_SETTINGS_DAMAGED);
        const size_t at = text.find(L"%s");
        if (at != std::wstring::npos) text.replace(at, 2, copy);
    }
    return text;
}

bool CROVAMTTApp::FolderHasAnsiName(const wchar_t* folder) { return rova::AnsiPath(folder).has_value(); }

std::wstring CROVAMTTApp::FolderWithoutAnsiNameText(const std::wstring& folder) {
    // "%s" names the folder, as in the damaged-settings text.
    std::wstring text = CResourceLoader::LoadString(IDS_FOLDER_WITHOUT_ANSI_NAME);
    const size_t at = text.find(L"%s");
    if (at != std::wstring::npos) text.replace(at, 2, folder);
    return text;
}

std::vector<std::wstring> CROVAMTTApp::StartupNotices(const XMLParser& settings, const std::wstring& programFolder) {
    std::vector<std::wstring> notices;
    if (settings.LoadedDamaged()) notices.push_back(DamagedSettingsText(settings.DamagedCopy()));
    if (!FolderHasAnsiName(programFolder.c_str())) notices.push_back(FolderWithoutAnsiNameText(programFolder));
    for (const std::wstring& text : notices) ConsoleLog().Write(L"notice: " + text);
    return notices;
}

void CROVAMTTApp::SelectLanguage(LANGID lang) noexcept {
    wchar_t languages[8] = {};
    wsprintfW(languages, L"%04x", lang);
    languages[5] = L'\0';  // the list ends with a double NUL
    ULONG count = 0;
    ::SetProcessPreferredUILanguages(MUI_LANGUAGE_ID, languages, &count);  // failure: system preference
    ::SetThreadUILanguage(lang);
    // Wine picks resources by its own rules; the console's loader honours the choice everywhere.
    CResourceLoader::SetLanguage(lang);
    ROVA_DlgResource_SetUILanguage(lang);
}

BOOL CROVAMTTApp::InitInstance() {
    LoadSettingsDocument();

    if (!CheckSingleInstanceW(InstanceName())) {
        if (HWND running = ::FindWindowW(kMainWindowClass, nullptr)) {
            if (::IsIconic(running)) ::ShowWindow(running, SW_RESTORE);
            ::SetForegroundWindow(running);
        }
        return FALSE;
    }

    // A crash leaves its dump and a line under Log\; Windows brings the console back after a
    // crash or an update restart (once it has run a minute).
    InstallCrashReport(ProgramFileW(L"Log"));
    ::RegisterApplicationRestart(L"", 0);

    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    BaseInitInstance();

    SelectLanguage(LanguageFromSetting(gAppConfig.AppConfig().GetAttributeText("Language")));
    // Nothing at start waits for a click: the console may be alone in its cabinet.
    const std::vector<std::wstring> notices = StartupNotices(gAppConfig, ProgramFileW(L""));

    if (!SocketInit()) {
        const std::wstring text = CResourceLoader::LoadString(IDS_SOCKETS_INIT_FAILED);
        ::MessageBoxW(nullptr, text.c_str(), nullptr, MB_OK | MB_ICONERROR);
        return FALSE;
    }

    rova::UniqueKernelHandle mutex(::CreateMutexW(nullptr, FALSE, InstanceName()));
    RegisterMainWindowClass(m_hInstance);
    InitRichEdit2();
    // The shell's folder browser (Playback, Save Path) expects COM on this thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    SetRegistryKey(L"应用程序向导生成的本地应用程序");

    {
        rova::GdiplusSession gdiplus;
        auto dialog = std::make_unique<CROVAMTTDlg>();
        for (const std::wstring& text : notices) dialog->AddStartupNotice(text);
        m_pMainWnd = dialog.get();
        dialog->DoModal();
        m_pMainWnd = nullptr;
        dialog.reset();  // every image of the dialog goes before GDI+ shuts down
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return FALSE;
}
