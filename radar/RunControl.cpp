// The main window as controller of a radar run: start and stop sequences, Start, Mode Switch and
// Pause, and the end of a playback.
#include <string>

#include "app/ROVAMTTDlg.h"
#include "framework/ResourceLoader.h"
#include "res/resource.h"

namespace {
constexpr int kMcuTrackingSingle = 0x80;
constexpr int kMcuTrackingMulti = 0x90;
constexpr int kMcuCommandTimeoutMs = 2000;
constexpr UINT kPlaybackEndDelayMs = 100;
}  // namespace

void CROVAMTTDlg::ShowRunError(const std::wstring& text, UINT captionId) {
    const std::wstring caption = CResourceLoader::LoadString(captionId);
    ::MessageBoxW(m_hWnd, text.c_str(), caption.c_str(), MB_ICONERROR | MB_TOPMOST);
}

bool CROVAMTTDlg::StartRun() {
    const std::wstring starting = CResourceLoader::LoadString(IDS_STARTING_SENSOR);
    ROVA_WaitingDlg_Show(m_waitingDlg, 0, 0, starting.c_str());
    auto fail = [this] {
        SetCheck(m_btnPlayback, false);
        SetCheck(m_btnStart, false);
        return false;
    };

    if (!ROVA_Interface_RadarCtrl_IsConfigLoad()) {
        ROVA_WaitingDlg_Hide(m_waitingDlg);
        ShowRunError(CResourceLoader::LoadString(IDS_CONFIG_NOT_LOADED), IDS_ERROR);
        return fail();
    }
    if (gRadarParameter.isFileSource == 0) {
        gRadarParameter.saveRawData = m_settings.saveData;
        if (m_settings.saveData) WideToAnsi(m_savePath, gRadarParameter.dataPath, sizeof gRadarParameter.dataPath);
    }
    CBaseStringA error;
    if (!ROVA_Interface_RadarCtrl_OpenDevice(&error)) {
        ROVA_WaitingDlg_Hide(m_waitingDlg);
        wchar_t text[1024] = {};
        AnsiToWide(error.GetString(), text, 1024);
        ShowRunError(text, IDS_START_DEVICE_FAILED);
        return fail();
    }
    ROVA_WaitingDlg_Hide(m_waitingDlg);

    OpenResultFile();
    ApplyViewSettings();
    ResetTargetSlots();
    UpdateTargetLabels();

    if (gRadarParameter.algorithmOnMcu == 10) {
        ROVA_Interface_RadarCtrl_EnableProcessFilter_ObjectDetect(0);
        if (gRadarParameter.isFileSource == 0) {
            // The module tracks by itself; tell it how many targets to report.
            void* device = ROVA_Interface_RadarDevice_GetDefault();
            ROVA_Interface_RadarCtrl_Pause();
            ROVA_Interface_RadarDevice_StartCmdMode(device, gRadarParameter.cmdModeParam,
                                                    gRadarParameter.cmdModeTimeBase * 150);
            const int command = m_settings.objectCountType == 1 ? kMcuTrackingSingle : kMcuTrackingMulti;
            ROVA_Interface_RadarDevice_Protocol_SendCommand(device, command, nullptr, 0, CheckCmdAckData_RetCode, 0,
                                                            kMcuCommandTimeoutMs);
            ROVA_Interface_RadarDevice_StopCmdMode(device);
            ROVA_Interface_RadarCtrl_Resume();
        }
    } else {
        ROVA_Interface_RadarCtrl_EnableProcessFilter_ObjectDetect(1);
    }
    SendDetectBound();
    ROVA_Interface_RadarCtrl_Start();

    if (gRadarParameter.isFileSource == 1) {
        SetCheck(m_btnPlayback, true);
        m_btnPlayback.EnableWindow(TRUE);
        m_btnStart.EnableWindow(FALSE);
        m_btnModeSwitch.EnableWindow(FALSE);
    } else {
        SetCheck(m_btnStart, true);
        m_btnStart.EnableWindow(TRUE);
        m_btnPlayback.EnableWindow(FALSE);
        m_btnModeSwitch.EnableWindow(TRUE);
    }
    SetCheck(m_btnPause, false);
    m_btnPause.EnableWindow(TRUE);
    m_btnSaveData.EnableWindow(FALSE);
    m_btnSavePath.EnableWindow(FALSE);

    OpenLight(gRadarParameter.lightPort, gRadarParameter.lightBaudRate);
    ::SetTimer(m_hWnd, kPresenceTimer, kPresenceTimerMs, nullptr);
    BeginLinkWatch();
    return true;
}

void CROVAMTTDlg::StopRun() {
    CloseLight();
    // The library stops before anything it feeds is touched: no delivery runs after this.
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarCtrl_CloseDevice();
    EndLinkWatch();
    SetCheck(m_btnStart, false);
    SetCheck(m_btnPause, false);
    SetCheck(m_btnPlayback, false);

    ROVA_Interface_RadarParameter_Copy(&gRadarParameter, &m_savedRadarParameter);
    m_settings.gateMin = gRadarParameter.gateMinDefault;
    m_settings.gateMax = gRadarParameter.gateMaxDefault;

    const BOOL detected = gRadarParameter.sourceType != 0;
    m_btnStart.EnableWindow(detected);
    m_btnModeSwitch.EnableWindow(detected);
    m_btnPlayback.EnableWindow(TRUE);
    m_btnSaveData.EnableWindow(TRUE);
    m_btnSavePath.EnableWindow(TRUE);
    m_btnPause.EnableWindow(FALSE);

    m_targetView.ClearTargets();
    ::RedrawWindow(m_targetView, nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE);

    // Nothing the stopped run posted may be handled later.
    MSG msg;
    while (::PeekMessageW(&msg, m_hWnd, WM_PRESENCE_TICK, WM_PLAYBACK_END, PM_REMOVE)) {
    }
    m_delayPostEngine.RemoveDelayPostMsg(m_hWnd, m_hWnd, WM_PLAYBACK_END, 1);
    ::KillTimer(m_hWnd, kPresenceTimer);
}

void CROVAMTTDlg::OnStartStop() {
    if (ROVA_Interface_RadarCtrl_IsStarted()) {
        StopRun();
    } else {
        StartRun();
    }
}

void CROVAMTTDlg::OnModeSwitch() {
    StopRun();
    m_settings.objectCountType = m_settings.objectCountType == 3 ? 1 : 3;
    StartRun();
    ApplyModeDisplay();
    UpdateTargetLabels();
}

void CROVAMTTDlg::OnPause() {
    if (!ROVA_Interface_RadarCtrl_IsStarted()) return;
    if (ROVA_Interface_RadarCtrl_IsPaused()) {
        ROVA_Interface_RadarCtrl_Resume();
    } else {
        ROVA_Interface_RadarCtrl_Pause();
    }
}

void CROVAMTTDlg::OnPlaybackEnd() {
    m_delayPostEngine.RemoveDelayPostMsg(m_hWnd, m_hWnd, WM_PLAYBACK_END, 1);
    if (ROVA_Interface_RadarCtrl_HasIncompleteData()) {
        m_delayPostEngine.DelayPostMsg(kPlaybackEndDelayMs, m_hWnd, m_hWnd, WM_PLAYBACK_END, 0, 0, nullptr, 0);
        return;
    }
    OnStartStop();
}
