#pragma once
// The console's only top-level window: a borderless dialog covering the screen with the button
// column on the left, the distance labels on top and the target view in the middle. Runs are
// driven by its run controller (radar/), which reaches it through IRunWindow; detections and
// playback events arrive on the library's threads at its detection sink; the area monitor
// dialog's requests go to its area operations (areas/).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/AutoStartWindow.h"
#include "app/MainRunWindow.h"
#include "app/NoticeDlg.h"
#include "app/PlaybackReviewWindow.h"
#include "app/PolygonCapture.h"
#include "areas/AreaConfigStore.h"
#include "areas/AreaMonitorDlg.h"
#include "areas/AreaOperations.h"
#include "areas/AreaOverlayController.h"
#include "areas/AreaVertex.h"
#include "areas/ViewOverlayAdapter.h"
#include "contracts/ROVA_Common.h"
#include "contracts/ROVA_DataProcess.h"
#include "contracts/ROVA_DlgResource.h"
#include "controls/ASkinButton.h"
#include "controls/ColorStatic.h"
#include "controls/OwnedBitmap.h"
#include "framework/Dialog.h"
#include "framework/Raii.h"
#include "radar/AutoStart.h"
#include "radar/ConfigDlg.h"
#include "radar/DetectionSink.h"
#include "radar/RunController.h"
#include "radar/RunMessages.h"
#include "settings/RootSettings.h"
#include "settings/XMLParser.h"
#include "view/ObjectSectorWnd.h"

class CROVAMTTDlg : public CDialog, public IPolygonCaptureHost {
public:
    static constexpr UINT_PTR kSettingsTimer = 4;  // failed settings saves, alive with the window
    static constexpr UINT kAboutCommand = 0x10;          // system menu item
    static constexpr COLORREF kBackgroundColor = 0x3C322A;
    static constexpr COLORREF kLinkStaleColor = CMainRunWindow::kLinkStaleColor;

    CROVAMTTDlg() noexcept;
    ~CROVAMTTDlg() override;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Moves every child (and, one level down at a time, their children) to its rectangle scaled
    // by sx horizontally and sy vertically, truncated toward zero.
    static void ScaleChildWindows(HWND window, double sx, double sy);

    double ScaleFactor() const noexcept { return m_scale; }
    const RootSettings& Settings() const noexcept { return m_settings; }
    const wchar_t* WorkingSavePath() const noexcept { return m_run.SavePath(); }
    const CPolygonCapture& Capture() const noexcept { return m_capture; }
    CASkinButton& Button(int id) noexcept;
    CColorStatic& Label(int id) noexcept;
    CObjectSectorWnd& TargetView() noexcept { return m_targetView; }
    CRunController& RunControl() noexcept { return m_run; }
    CColorStatic& LinkStatusLabel() noexcept { return m_linkStatus; }
    // No frame for more than two seconds in a live, unpaused run (or the sensor being reconnected).
    bool LinkStale() const noexcept { return m_run.LinkStale(); }
    const CAutoStart& AutoStart() const noexcept { return m_autoStart; }
    const CNoticeDlg& Notice() const noexcept { return m_notice; }

    // A notice of the start (a damaged settings file, ...), shown once the window is up, in a
    // window that waits for nobody. Before initialisation.
    void AddStartupNotice(const std::wstring& text) { m_startupNotices.push_back(text); }

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape never close the console.
    void OnOK() override {}
    void OnCancel() override {}
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool PreTranslateMessage(MSG* msg) override;

    // Starts capturing polygon points for `mode` with the mouse held by this dialog.
    void BeginPolygonCapture(CaptureMode mode) override;
    // A captured polygon of three or more vertices, in click order, for what the capture was for.
    virtual void FinishCapturedPolygon(CaptureMode mode, const AreaVertex* vertices, int count);
    // The modal Parameter Setting dialog (Ctrl+F2).
    virtual void OpenParameterDialog();
    // The target view's fan rectangle in the view's client coordinates.
    virtual RECT GetViewFanRect() const;

    // The link status label: its face and colours before any run.
    void InitLinkStatus();
    // Area monitor dialog: created hidden at initialisation, shown by its button.
    void CreateAreaMonitorDialog();
    void ShowAreaMonitorDialog();

private:
    // The controls and objects the window side of runs works on.
    CMainRunWindow::Parts RunWindowParts() noexcept;

    // Initialisation steps that are more than one call.
    void BindControls();
    void AppendAboutMenuItem();
    void SetWindowIcons();
    void FillScreen();
    void LoadRootSettings();
    void SaveRootSettings();
    void LoadBackgroundImage();
    void ApplyArtwork();
    void RegisterWithRadarLibrary();
    // The timeline of reviewed playbacks, along the bottom of the target view.
    void CreatePlaybackReview();
    void ShowAboutDialog();

    // Message handlers.
    BOOL OnEraseBkgnd(HDC dc);
    LRESULT OnNcHitTest();
    void OnLButtonUp(POINT client);
    void OnRButtonDown();
    void OnTimer(UINT_PTR id);
    bool OnSysCommand(UINT command);
    void OnDestroy();
    void OnEndSession();
    // Commands of the buttons.
    void OnDetectDevice();
    void OnPlayback();
    void OnSaveData();
    void OnSavePath();
    // The operator's run commands (Start/Stop, Detect Device, Mode Switch, Playback) end a
    // waiting for the sensor of monitoring that started with the console.
    bool EndAutoStartWaiting();
    // Once the window shows: the notices of the start, then monitoring that starts with the console.
    void OnShown();

    void DrawCaptureFeedback(POINT screenPoint);
    void SetCheck(CASkinButton& button, bool check) {
        ::SendMessageW(button, BM_SETCHECK, check ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    rova::UniqueIcon m_icon;
    rova::UniqueIcon m_smallIcon;
    double m_scale = 1.0;
    CDelayPostMsgEngine m_delayPostEngine;
    ROVA_WAITINGDLG_HANDLE m_waitingDlg = nullptr;
    CColorStatic m_title;
    CASkinButton m_btnClose;
    CASkinButton m_btnDetectDevice;
    CASkinButton m_btnStart;
    CASkinButton m_btnAreaMonitor;
    CASkinButton m_btnModeSwitch;
    CASkinButton m_btnPause;
    CASkinButton m_btnPlayback;
    CASkinButton m_btnSaveData;
    CASkinButton m_btnSavePath;
    CColorStatic m_labelTarget;
    CColorStatic m_labelTarget1;
    CColorStatic m_labelTarget2;
    CColorStatic m_labelTarget3;
    CObjectSectorWnd m_targetView;
    RootSettings m_settings;
    CAreaMonitorDlg m_areaDlg;
    AreaConfigStore m_areaStore{gAppConfig};
    CViewOverlayAdapter m_viewOverlay{m_targetView};
    AreaOverlayController m_areas{m_areaStore, m_viewOverlay};
    CAreaOperations m_areaOps{m_areas, m_settings, m_areaDlg, *this};
    CPolygonCapture m_capture;
    OwnedBitmap m_backgroundImage;
    CColorStatic m_linkStatus;  // right of the title: the run's source, frame rate and errors
    CMainRunWindow m_runWindow{RunWindowParts()};
    CRunController m_run{m_runWindow, m_settings};
    std::unique_ptr<CDetectionSink> m_sink;  // registered with the library from initialisation to destruction
    std::vector<std::wstring> m_startupNotices;
    CNoticeDlg m_notice;
    CAutoStartWindow m_autoStartWindow{*this, m_run, m_runWindow, [this] { SetCheck(m_btnStart, true); }};
    CAutoStart m_autoStart;
    std::unique_ptr<CPlaybackReviewWindow> m_review;  // made once the window is
};
