#pragma once
// The console's only top-level window: a borderless dialog covering the screen with the button
// column on the left, the distance labels on top and the target view in the middle. It is also
// the controller of a radar run: the radar library delivers detections and playback events to it,
// and the area monitor dialog sends it the operator's area requests.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/PolygonCapture.h"
#include "app/RootSettings.h"
#include "app/XMLParser.h"
#include "areas/AreaConfigStore.h"
#include "areas/AreaMonitorDlg.h"
#include "areas/AreaMonitorDlgListener.h"
#include "areas/AreaOverlayController.h"
#include "areas/PresenceTick.h"
#include "areas/ViewOverlayAdapter.h"
#include "areas/AreaVertex.h"
#include "areas/SerialLightCtrl_YSL.h"
#include "contracts/ROVA_Common.h"
#include "contracts/ROVA_DataProcess.h"
#include "contracts/ROVA_DlgResource.h"
#include "controls/ASkinButton.h"
#include "controls/ColorStatic.h"
#include "controls/OwnedBitmap.h"
#include "framework/Dialog.h"
#include "framework/Raii.h"
#include "radar/ConfigDlg.h"
#include "radar/DetectionPipeline.h"
#include "radar/LinkEventLog.h"
#include "radar/LinkStatus.h"
#include "radar/ResultFile.h"
#include "radar/TargetSlot.h"
#include "view/ObjectSectorWnd.h"

// Private messages of the main dialog.
constexpr UINT WM_PRESENCE_TICK = 0x503;  // posted by the detection listener after each delivery
constexpr UINT WM_PLAYBACK_END = 0x504;   // delayed post once the library has read the last file

class CROVAMTTDlg : public CDialog,
                    public IFileRadarDataSource,
                    public IRadarObjectDetectListener,
                    public IAreaMonitorDlgListener {
public:
    static constexpr UINT_PTR kPresenceTimer = 2;  // 1000 ms, alive during a run
    static constexpr UINT kPresenceTimerMs = 1000;
    static constexpr UINT kAboutCommand = 0x10;          // system menu item
    static constexpr UINT_PTR kTitleAnimationTimer = 1;  // of the title label
    static constexpr COLORREF kBackgroundColor = 0x3C322A;
    static constexpr UINT_PTR kLinkTimer = 3;  // link health of the run, alive during a run
    static constexpr UINT kLinkTimerMs = 250;
    static constexpr COLORREF kLinkStaleColor = RGB(200, 0, 0);

    CROVAMTTDlg() noexcept;
    ~CROVAMTTDlg() override;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Moves every child (and, one level down at a time, their children) to its rectangle scaled
    // by sx horizontally and sy vertically, truncated toward zero.
    static void ScaleChildWindows(HWND window, double sx, double sy);
    // Title artwork, Mode Switch check and which distance labels show, from the object count mode.
    void ApplyModeDisplay();

    double ScaleFactor() const noexcept { return m_scale; }
    const RootSettings& Settings() const noexcept { return m_settings; }
    const wchar_t* WorkingSavePath() const noexcept { return m_savePath; }
    const CPolygonCapture& Capture() const noexcept { return m_capture; }
    CASkinButton& Button(int id) noexcept;
    CColorStatic& Label(int id) noexcept;
    CObjectSectorWnd& TargetView() noexcept { return m_targetView; }
    CColorStatic& LinkStatusLabel() noexcept { return m_linkStatus; }
    // No frame for more than two seconds in a live, unpaused run (or the sensor being reconnected).
    bool LinkStale() const noexcept { return m_linkStale; }

    // IRadarObjectDetectListener: runs on the radar library's thread.
    void OnRadarObjectDetect(uint16_t word, CPtrCtrl* objects) override;
    // IFileRadarDataSource: the library has read every recorded file.
    void OnFileRadarReadEnd(uint64_t user) override;
    // IAreaMonitorDlgListener.
    void OnApplyGateRange(double gateMin, double gateMax, uint64_t context) override;
    void OnAddLightArea(uint32_t inactiveColor, uint32_t activeColor, uint64_t context) override;
    void OnClearLightArea(uint64_t context) override;
    void OnSetDetectArea(uint32_t inactiveColor, uint32_t activeColor, uint64_t context) override;
    void OnDelDetectArea(uint64_t context) override;

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape never close the console.
    void OnOK() override {}
    void OnCancel() override {}
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool PreTranslateMessage(MSG* msg) override;

    // Starts capturing polygon points for `mode` with the mouse held by this dialog.
    void BeginPolygonCapture(CaptureMode mode);
    // A captured polygon of three or more vertices, in click order, for what the capture was for.
    virtual void FinishCapturedPolygon(CaptureMode mode, const AreaVertex* vertices, int count);
    // The modal Parameter Setting dialog (Ctrl+F2).
    virtual void OpenParameterDialog();
    // The target view's fan rectangle in the view's client coordinates.
    virtual RECT GetViewFanRect() const;

    // Run control and detection results.
    bool StartRun();
    void StopRun();
    void ResetTargetSlots();
    void UpdateTargetLabels();
    // Result recording: a new dated file in "Log" at every start; one line per delivered object.
    void OpenResultFile();
    void WriteResultLine(const CalibratedObject& object);
    // The signal light of the run (port and baud rate from the radar record).
    void OpenLight(int port, unsigned long baudRate) { m_light.OpenLight(port, baudRate); }
    void CloseLight() { m_light.CloseLight(); }
    void ShowLamp(int32_t state) { m_light.ShowLamp(state); }
    // Overlays from appConfig.xml into the view (at the end of every ApplyViewSettings).
    void LoadAreasFromConfig();
    void LoadMonitorPointsFromConfig();
    // The detect area to the library's filters, just before a start.
    void SendDetectBound();
    // An error of a run in a message box over the console.
    void ShowRunError(const std::wstring& text, UINT captionId);
    void ApplyViewSettings();
    void OnPresenceTick();
    void OnPlaybackEnd();
    // Link health of a run: status right of the title, stale data on labels, view and light, and
    // the run's event log beside the result file.
    void InitLinkStatus();
    void BeginLinkWatch();
    void EndLinkWatch();
    void OnLinkTimer();
    // The lamp a request asks for on the signal light.
    void ApplyLamp(LampRequest lamp);
    // Area monitor dialog: created hidden at initialisation, shown by its button.
    void CreateAreaMonitorDialog();
    void ShowAreaMonitorDialog();

private:
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
    void ShowAboutDialog();

    // Message handlers.
    BOOL OnEraseBkgnd(HDC dc);
    LRESULT OnNcHitTest();
    void OnLButtonUp(POINT client);
    void OnRButtonDown();
    void OnTimer(UINT_PTR id);
    bool OnSysCommand(UINT command);
    void OnDestroy();
    // Commands of the buttons.
    void OnDetectDevice();
    void OnStartStop();
    void OnModeSwitch();
    void OnPause();
    void OnPlayback();
    void OnSaveData();
    void OnSavePath();

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
    tagRADARPARAMETER m_savedRadarParameter;
    RootSettings m_settings;
    wchar_t m_savePath[MAX_PATH] = {};
    CAreaMonitorDlg m_areaDlg;
    AreaConfigStore m_areaStore{gAppConfig};
    CViewOverlayAdapter m_viewOverlay{m_targetView};
    AreaOverlayController m_areas{m_areaStore, m_viewOverlay};
    CPolygonCapture m_capture;
    CTargetSlots m_slots;
    CSerialLightCtrl_YSL m_light;
    PresenceTick m_presence;  // keeps the time of the last target seen
    OwnedBitmap m_backgroundImage;
    CResultFile m_results;
    CColorStatic m_linkStatus;
    LinkStatusTexts m_linkTexts;
    CLinkEventTracker m_linkEvents;
    CLinkEventLog m_linkLog;
    bool m_linkStale = false;
};
