#pragma once
// The application object: loads the settings, keeps a single instance, selects the UI language,
// starts GDI+ and runs the main dialog modally.
#include <string>
#include <vector>

#include "framework/WinApp.h"
#include "settings/XMLParser.h"

class CROVAMTTApp : public CWinApp {
public:
    CROVAMTTApp() noexcept;
    BOOL InitInstance() override;

    // "Global\{GUID}": the single-instance name and the mutex held while the console runs.
    static const wchar_t* InstanceName();
    // The UI language the Language setting selects ("ENG" English, "CHT" Traditional Chinese,
    // anything else Simplified Chinese as the console's home language).
    static LANGID LanguageFromSetting(const char* text) noexcept;
    // Registers "ROVA_MTT", a copy of the dialog class, so the main window can be found by class.
    static bool RegisterMainWindowClass(HINSTANCE instance) noexcept;
    // Step 1 and 2 of the start: load the document, make sure AppConfig exists (saving at once).
    static void LoadSettingsDocument();
    // Applies the language for every later resource lookup.
    static void SelectLanguage(LANGID lang) noexcept;
    // The notice, in the chosen language, that the settings file was damaged and where its
    // untouched copy is.
    static std::wstring DamagedSettingsText(const std::wstring& copy);
    // The libraries take the console's files (Radar_Config.ini, recordings) by ANSI names. True
    // when folder has one: its own, or its short name when the code page cannot hold its name.
    static bool FolderHasAnsiName(const wchar_t* folder);
    // The notice, in the chosen language, that the exe's folder has no ANSI name.
    static std::wstring FolderWithoutAnsiNameText(const std::wstring& folder);
    // The notices of a start, each into the console's event log under Log\ at once; the main
    // window shows them without waiting for anyone (an unattended console starts its run behind them).
    static std::vector<std::wstring> StartupNotices(const XMLParser& settings, const std::wstring& programFolder);
};
