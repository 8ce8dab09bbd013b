// Playback of recorded data and the Save Path folder choice: both use the shell's folder browser.
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/ROVAMTTDlg.h"
#include "settings/XMLParser.h"
#include "framework/Raii.h"

namespace {
// Selects the initial folder and centres the browser over its owner once it is up.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message != BFFM_INITIALIZED) return 0;
    ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    RECT self{}, owner{};
    ::GetWindowRect(browser, &self);
    HWND parent = ::GetParent(browser);
    if (parent && ::GetWindowRect(parent, &owner)) {
        const int w = self.right - self.left;
        const int h = self.bottom - self.top;
        // On top as well: the owner covers the whole screen.
        ::SetWindowPos(browser, HWND_TOP, owner.left + ((owner.right - owner.left) - w) / 2,
                       owner.top + ((owner.bottom - owner.top) - h) / 2, 0, 0, SWP_NOSIZE);
    }
    ::SetForegroundWindow(browser);
    return 0;
}

// The chosen folder, or false when the operator cancelled. A selection without a file-system path
// comes back as an empty path.
bool BrowseForFolder(HWND owner, const wchar_t* initial, wchar_t* chosen) {
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(initial);
    rova::UniqueCoTaskMem item(::SHBrowseForFolderW(&info));
    if (!item) return false;
    chosen[0] = L'\0';
    if (!::SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(item.get()), chosen)) chosen[0] = L'\0';
    return true;
}
}  // namespace

void CROVAMTTDlg::OnPlayback() {
    if (ROVA_Interface_RadarCtrl_IsStarted()) {
        StopRun();
        return;
    }
    char initial[MAX_PATH] = {};
    const char* stored = gAppConfig.AppConfig().GetAttributeText("DataFilePath");
    if (stored && IsDirA(stored)) {
        snprintf(initial, sizeof initial, "%s", stored);
    } else {
        snprintf(initial, sizeof initial, "%s", gRadarParameter.dataPath);
    }
    wchar_t initialW[MAX_PATH] = {};
    AnsiToWide(initial, initialW, MAX_PATH);
    wchar_t chosen[MAX_PATH] = {};
    if (!BrowseForFolder(m_hWnd, initialW, chosen)) {
        SetCheck(m_btnPlayback, false);
        return;
    }
    char folder[MAX_PATH] = {};
    const bool converted = WideToAnsi(chosen, folder, MAX_PATH);
    char configPath[MAX_PATH] = {};
    CombinePathNameA(configPath, folder, "FILE_Radar_Config.ini");
    DbgOutputA(2, "Playback folder \"%s\"\r\n", folder);
    if (ROVA_Interface_RadarCtrl_LoadConfigFromFile(configPath)) {
        gRadarParameter.isFileSource = 1;
        m_settings.gateMin = gRadarParameter.gateMinDefault;
        m_settings.gateMax = gRadarParameter.gateMaxDefault;
        if (converted) {
            memcpy(gRadarParameter.dataPath, folder, sizeof folder);
            gRadarParameter.dataPath[MAX_PATH - 1] = '\0';
        } else {
            gRadarParameter.dataPath[0] = '\0';
        }
        gAppConfig.AppConfig().SetAttributeText("DataFilePath", gRadarParameter.dataPath);
        gAppConfig.SaveConfig();
        StartRun();
        if (ROVA_Interface_RadarCtrl_IsStarted()) {
            m_btnStart.EnableWindow(FALSE);
            return;
        }
    }
    ROVA_Interface_RadarParameter_Copy(&gRadarParameter, &m_savedRadarParameter);
    m_btnStart.EnableWindow(gRadarParameter.sourceType != 0);
}

void CROVAMTTDlg::OnFileRadarReadEnd(uint64_t) {
    // Library thread: the reaction runs on the UI thread once the engine posts.
    m_delayPostEngine.DelayPostMsg(100, m_hWnd, m_hWnd, WM_PLAYBACK_END, 0, 0, nullptr, 0);
}

void CROVAMTTDlg::OnSavePath() {
    wchar_t chosen[MAX_PATH] = {};
    if (!BrowseForFolder(m_hWnd, m_savePath, chosen)) return;
    // A selection without a path keeps the working save path usable as it was.
    if (!chosen[0]) return;
    wcsncpy(m_savePath, chosen, MAX_PATH - 1);
    m_savePath[MAX_PATH - 1] = L'\0';
}
