#include "app/ROVAMTTDlg.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "app/FolderBrowser.h"
#include "app/ProductVersion.h"
#include "framework/AnsiText.h"
#include "framework/ProgramFolder.h"
#include "framework/ResourceLoader.h"
#include "settings/XMLParser.h"
#include "res/resource.h"

namespace {
// Held between a key-down and key-up of Ctrl, process-wide like the keyboard itself.
bool gCtrlHeld = false;

constexpr COLORREF kCaptureFeedbackColor = RGB(255, 0, 0);

struct ButtonSkin {
    int id;
    int normal;
    int pressed;
    int disabled;         // 0: grey of the normal face
    int disabledChecked;  // 0: grey of the pressed face
};
constexpr ButtonSkin kButtonSkins[] = {
    {IDC_BTN_DETECT_DEVICE, IDB_DETECT_DEVICE_NORMAL, IDB_DETECT_DEVICE_PRESSED, 0, 0},
    {IDC_BTN_START, IDB_START_NORMAL, IDB_START_PRESSED, IDB_START_DISABLED, 0},
    {IDC_BTN_AREA_MONITOR, IDB_AREA_MONITOR_NORMAL, IDB_AREA_MONITOR_PRESSED, 0, 0},
    {IDC_BTN_MODE_SWITCH, IDB_MODE_SWITCH_NORMAL, IDB_MODE_SWITCH_PRESSED, IDB_MODE_SWITCH_DISABLED,
     IDB_MODE_SWITCH_DISABLED_CHECKED},
    {IDC_BTN_PAUSE, IDB_PAUSE_NORMAL, IDB_PAUSE_PRESSED, IDB_PAUSE_DISABLED, 0},
    {IDC_BTN_PLAYBACK, IDB_PLAYBACK_NORMAL, IDB_PLAYBACK_PRESSED, IDB_PLAYBACK_DISABLED, 0},
    {IDC_BTN_SAVE_DATA, IDB_SAVE_DATA_NORMAL, IDB_SAVE_DATA_PRESSED, IDB_SAVE_DATA_DISABLED, 0},
    {IDC_BTN_SAVE_PATH, IDB_SAVE_PATH_NORMAL, IDB_SAVE_PATH_PRESSED, IDB_SAVE_PATH_DISABLED, 0},
};

std::string ConfigPathA() { return ProgramFileA("Radar_Config.ini"); }

AutoStartTexts LoadAutoStartTexts() {
    AutoStartTexts texts;
    texts.waiting = CResourceLoader::LoadString(IDS_AUTOSTART_WAITING);
    texts.noSource = CResourceLoader::LoadString(IDS_AUTOSTART_NO_SOURCE);
    texts.serialSource = CResourceLoader::LoadString(IDS_LINK_SOURCE_SERIAL);
    texts.simulatedSource = CResourceLoader::LoadString(IDS_LINK_SOURCE_SIMULATED);
    return texts;
}

RECT ChildRectInParent(HWND child, HWND parent) {
    RECT rc{};
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}
}  // namespace

CROVAMTTDlg::CROVAMTTDlg() noexcept : CDialog(IDD_ROVA_MTT_DIALOG), m_autoStart(m_autoStartWindow.Host(), LoadAutoStartTexts()) {
    // The radar library's record: the configuration beside the exe (a missing file keeps the
    // library defaults), no source detected yet, and a saved copy that every stop restores.
    ROVA_Interface_RadarCtrl_LoadConfigFromFile(ConfigPathA().c_str());
    gRadarParameter.sourceType = RADAR_SOURCE_NONE;
    m_run.SaveRadarRecord();
    m_settings.Reset(gRadarParameter.gateMinDefault, gRadarParameter.gateMaxDefault);
}

CROVAMTTDlg::~CROVAMTTDlg() = default;

CASkinButton& CROVAMTTDlg::Button(int id) noexcept {
    switch (id) {
    case IDC_BTN_CLOSE:
        return m_btnClose;
    case IDC_BTN_DETECT_DEVICE:
        return m_btnDetectDevice;
    case IDC_BTN_START:
        return m_btnStart;
    case IDC_BTN_AREA_MONITOR:
        return m_btnAreaMonitor;
    case IDC_BTN_MODE_SWITCH:
        return m_btnModeSwitch;
    case IDC_BTN_PAUSE:
        return m_btnPause;
    case IDC_BTN_PLAYBACK:
        return m_btnPlayback;
    case IDC_BTN_SAVE_DATA:
        return m_btnSaveData;
    default:
        return m_btnSavePath;
    }
}

CColorStatic& CROVAMTTDlg::Label(int id) noexcept {
    switch (id) {
    case IDC_STATIC_TITLE:
        return m_title;
    case IDC_STATIC_TARGET1:
        return m_labelTarget1;
    case IDC_STATIC_TARGET2:
        return m_labelTarget2;
    case IDC_STATIC_TARGET3:
        return m_labelTarget3;
    default:
        return m_labelTarget;
    }
}

CMainRunWindow::Parts CROVAMTTDlg::RunWindowParts() noexcept {
    return CMainRunWindow::Parts{
        .window = *this,
        .delayPostEngine = m_delayPostEngine,
        .waitingDlg = m_waitingDlg,
        .settings = m_settings,
        .backgroundImage = m_backgroundImage,
        .background = kBackgroundColor,
        .start = m_btnStart,
        .modeSwitch = m_btnModeSwitch,
        .pause = m_btnPause,
        .playback = m_btnPlayback,
        .saveData = m_btnSaveData,
        .savePath = m_btnSavePath,
        .title = m_title,
        .labelTarget = m_labelTarget,
        .labelTarget1 = m_labelTarget1,
        .labelTarget2 = m_labelTarget2,
        .labelTarget3 = m_labelTarget3,
        .linkStatus = m_linkStatus,
        .targetView = m_targetView,
        .areas = m_areas,
        .areaOps = m_areaOps,
    };
}

// ---- initialisation -------------------------------------------------------------------------

void CROVAMTTDlg::BindControls() {
    BindControl(IDC_STATIC_TITLE, m_title);
    BindControl(IDC_BTN_CLOSE, m_btnClose);
    for (int id : {IDC_STATIC_TARGET, IDC_STATIC_TARGET1, IDC_STATIC_TARGET2, IDC_STATIC_TARGET3})
        BindControl(id, Label(id));
    for (const ButtonSkin& skin : kButtonSkins)
        BindControl(skin.id, Button(skin.id));
    BindControl(IDC_TARGET_VIEW, m_targetView);
    BindControl(IDC_STATIC_LINK_STATUS, m_linkStatus);
}

void CROVAMTTDlg::AppendAboutMenuItem() {
    HMENU menu = ::GetSystemMenu(m_hWnd, FALSE);
    const std::wstring about = CResourceLoader::LoadString(IDS_ABOUTBOX);
    if (!menu || about.empty()) return;
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, kAboutCommand, about.c_str());
}

void CROVAMTTDlg::SetWindowIcons() {
    HINSTANCE module = CResourceLoader::GetModule();
    m_icon.reset(static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(IDI_ROVA_MTT), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0)));
    m_smallIcon.reset(
        static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(IDI_ROVA_MTT), IMAGE_ICON,
                                        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.get()));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.get()));
}

void CROVAMTTDlg::FillScreen() {
    const RECT before = GetClientRect();
    ::MoveWindow(m_hWnd, 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), TRUE);
    const RECT after = GetClientRect();
    const int w0 = before.right - before.left;
    const int h0 = before.bottom - before.top;
    if (w0 <= 0 || h0 <= 0) return;
    const double sx = static_cast<double>(after.right - after.left) / w0;
    const double sy = static_cast<double>(after.bottom - after.top) / h0;
    ScaleChildWindows(m_hWnd, sx, sy);
    m_scale = std::min(sx, sy);
}

void CROVAMTTDlg::ScaleChildWindows(HWND window, double sx, double sy) {
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const RECT rc = ChildRectInParent(child, window);
        const int left = static_cast<int>(rc.left * sx);
        const int top = static_cast<int>(rc.top * sy);
        const int right = static_cast<int>(rc.right * sx);
        const int bottom = static_cast<int>(rc.bottom * sy);
        ::MoveWindow(child, left, top, right - left, bottom - top, TRUE);
        ScaleChildWindows(child, sx, sy);
    }
}

void CROVAMTTDlg::LoadRootSettings() {
    m_settings.Load(gAppConfig.AppConfig());
}

void CROVAMTTDlg::SaveRootSettings() {
    RootSettings::Save(gAppConfig.AppConfig(), m_settings.saveData, m_run.SavePath());
    gAppConfig.SaveConfig();
}

void CROVAMTTDlg::LoadBackgroundImage() {
    const std::wstring path = ProgramFileW(L"\\Custom_Background\\SectorBackGround.png");
    m_backgroundImage.reset(Gdiplus_LoadBitmapFromFileW(path.c_str()));
}

void CROVAMTTDlg::ApplyArtwork() {
    for (const ButtonSkin& skin : kButtonSkins) {
        CASkinButton::LoadSkinImagesFromResources(Button(skin.id), skin.normal, skin.pressed, skin.disabled,
                                                  skin.disabledChecked, 0);
    }
    OwnedBitmap close = LoadPngResource(IDB_CLOSE);
    m_btnClose.SetSkinImages(nullptr, nullptr, nullptr, nullptr, nullptr, close.get());

    m_title.SetLabelStyleFromResource(m_settings.objectCountType == 1 ? IDB_TITLE_SINGLE : IDB_TITLE_MULTI, 10, -1,
                                      Gdiplus::StringAlignmentCenter);
    const int labelPoints = static_cast<int>(8 * m_scale);
    for (int id : {IDC_STATIC_TARGET, IDC_STATIC_TARGET1, IDC_STATIC_TARGET2, IDC_STATIC_TARGET3}) {
        Label(id).SetLabelStyle(nullptr, labelPoints, 0, Gdiplus::StringAlignmentNear);
    }
}

void CROVAMTTDlg::InitLinkStatus() {
    m_linkStatus.SetLabelStyle(nullptr, static_cast<int>(7 * m_scale), -1, Gdiplus::StringAlignmentNear);
    m_linkStatus.SetBackgroundColor(kBackgroundColor);
    m_linkStatus.SetTextColor(CMainRunWindow::kLinkTextColor);
}

void CROVAMTTDlg::RegisterWithRadarLibrary() {
    m_sink = std::make_unique<CDetectionSink>(m_hWnd, m_delayPostEngine, m_run.Slots(), m_run.Results(), m_run.Zones(),
                                              m_targetView);
}

void CROVAMTTDlg::CreatePlaybackReview() {
    CPlaybackReviewWindow::Host host;
    host.window = m_hWnd;
    host.view = m_targetView.GetSafeHwnd();
    host.pause = [this] { m_run.OnPause(); };
    host.clearView = [this] { m_targetView.ClearTargets(); };
    host.log = [this](const std::string& line) { m_run.LogEvent(line); };
    host.zonesProgram = ProgramFileW(L"ROVA_Zones.exe");
    host.settingsFile = ProgramFileW(L"appConfig.xml");
    wchar_t temp[MAX_PATH] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH, temp);
    if (n > 0 && n < MAX_PATH) {
        host.marksFile = std::wstring(temp) + L"ROVA_MTT_Marks_" + std::to_wstring(::GetCurrentProcessId()) + L".csv";
    } else {
        host.zonesProgram.clear();  // nowhere to write the marks: the timeline goes without them
    }
    m_review = std::make_unique<CPlaybackReviewWindow>(std::move(host));
}

BOOL CROVAMTTDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    BindControls();
    // Children are painted by themselves; the background fill must not flash over them.
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) | WS_CLIPCHILDREN);
    AppendAboutMenuItem();
    SetWindowIcons();
    FillScreen();
    m_delayPostEngine.Start();
    LoadRootSettings();
    m_waitingDlg = ROVA_WaitingDlg_Create(m_hWnd);
    CreateAreaMonitorDialog();
    LoadBackgroundImage();
    // The operator's folder from the last session, else "SaveData" beside the exe.
    m_run.SetSavePath(m_settings.saveDataPath[0] ? m_settings.saveDataPath : ProgramFileW(L"SaveData").c_str());
    ApplyArtwork();

    SetCheck(m_btnSaveData, m_settings.saveData != 0);
    m_settings.saveData = m_btnSaveData.GetCheck();

    m_runWindow.ApplyModeDisplay();
    m_runWindow.UpdateTargetLabels(m_run.Slots().Snapshot());
    m_runWindow.ApplyViewSettings();
    InitLinkStatus();

    m_runWindow.ApplyRunButtons(m_run.Buttons());  // idle, nothing detected yet: Start and Mode Switch disabled
    ::SetTimer(m_hWnd, kSettingsTimer, CRunController::kSettingsTimerMs, nullptr);
    m_btnPause.ShowWindow(SW_HIDE);

    RegisterWithRadarLibrary();
    CreatePlaybackReview();
    // The notices of the start and monitoring that starts with the console come once the window
    // shows: a notice stays above the console, and the console is seen while the sensor starts.
    ::PostMessageW(m_hWnd, CAutoStartWindow::kBeginMessage, 0, 0);
    return TRUE;
}

void CROVAMTTDlg::OnShown() {
    for (const std::wstring& text : m_startupNotices) m_notice.Show(m_hWnd, text);
    m_startupNotices.clear();
    // Drawn before the first attempt, which may hold the window for a second (a serial sensor
    // that does not answer).
    if (m_notice.GetSafeHwnd()) ::UpdateWindow(m_notice.GetSafeHwnd());
    m_autoStart.Begin(AutoStartSettings::Load(gAppConfig.AppConfig()));
}

bool CROVAMTTDlg::EndAutoStartWaiting() {
    if (!m_autoStart.Cancel()) return false;
    m_runWindow.ApplyRunButtons(m_run.Buttons());
    SetCheck(m_btnStart, false);
    return true;
}

// ---- keyboard, system menu, About -----------------------------------------------------------

bool CROVAMTTDlg::PreTranslateMessage(MSG* msg) {
    if (m_review && m_review->PreTranslateKey(*msg)) return true;
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_CONTROL) {
        gCtrlHeld = true;
        return true;
    }
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_F2) {
        if (gCtrlHeld) OpenParameterDialog();
        return true;
    }
    if (msg->message == WM_KEYUP && msg->wParam == VK_CONTROL) {
        gCtrlHeld = false;
        return true;
    }
    return CDialog::PreTranslateMessage(msg);
}

bool CROVAMTTDlg::OnSysCommand(UINT command) {
    if ((command & 0xFFF0) != kAboutCommand) return false;
    ShowAboutDialog();
    return true;
}

void CROVAMTTDlg::ShowAboutDialog() {
    const std::wstring title = CResourceLoader::LoadString(IDS_ABOUT_TITLE);
    const std::wstring text = ComposeAboutText(CResourceLoader::LoadString(IDS_ABOUT_TEXT), OwnProductVersion());
    ::MessageBoxW(m_hWnd, text.c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
}

// ---- painting and dragging ------------------------------------------------------------------

BOOL CROVAMTTDlg::OnEraseBkgnd(HDC dc) {
    const RECT rc = GetClientRect();
    rova::UniqueBrush brush(::CreateSolidBrush(kBackgroundColor));
    ::FillRect(dc, &rc, brush.get());
    return TRUE;
}

// The free surface drags the window, except while the mouse draws a polygon.
LRESULT CROVAMTTDlg::OnNcHitTest() {
    return m_capture.Active() ? HTCLIENT : HTCAPTION;
}

// ---- polygon capture ------------------------------------------------------------------------

void CROVAMTTDlg::BeginPolygonCapture(CaptureMode mode) {
    m_capture.Begin(mode);
    ::SetCapture(m_hWnd);
}

void CROVAMTTDlg::OnLButtonUp(POINT client) {
    if (!m_capture.Active() || m_capture.Full()) return;
    POINT screen = client;
    ::ClientToScreen(m_hWnd, &screen);
    POINT inView = screen;
    ::ScreenToClient(m_targetView, &inView);
    const RECT fan = GetViewFanRect();
    if (!::PtInRect(&fan, inView)) return;
    m_capture.Add(inView.y - fan.top, inView.x - fan.left);
    DrawCaptureFeedback(screen);
    m_capture.previous = screen;
}

// Dots and lines go straight onto the view's window: the view repaints over them whenever it
// redraws, like any feedback drawn over another window's pixels.
void CROVAMTTDlg::DrawCaptureFeedback(POINT screenPoint) {
    rova::WindowDc dc(m_targetView);
    if (!dc.get()) return;
    rova::UniquePen pen(::CreatePen(PS_SOLID, 2, kCaptureFeedbackColor));
    rova::UniqueBrush brush(::CreateSolidBrush(kCaptureFeedbackColor));
    rova::SelectScope selectPen(dc, pen.get());
    rova::SelectScope selectBrush(dc, brush.get());
    POINT here = screenPoint;
    ::ScreenToClient(m_targetView, &here);
    ::Ellipse(dc, here.x - 2, here.y - 2, here.x + 2, here.y + 2);
    if (m_capture.previous.x > 0) {
        POINT from = m_capture.previous;
        ::ScreenToClient(m_targetView, &from);
        ::MoveToEx(dc, from.x, from.y, nullptr);
        ::LineTo(dc, here.x, here.y);
    }
}

void CROVAMTTDlg::OnRButtonDown() {
    CaptureMode mode = CaptureNone;
    const std::vector<AreaVertex> vertices = m_capture.Finish(&mode);
    if (!vertices.empty()) FinishCapturedPolygon(mode, vertices.data(), static_cast<int>(vertices.size()));
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
}

// ---- timer, commands, closing ---------------------------------------------------------------

// The window's timers are set by three owners, each declaring its own id: one id, one timer.
static_assert(CMainRunWindow::kPresenceTimer != CMainRunWindow::kLinkTimer &&
              CROVAMTTDlg::kSettingsTimer != CMainRunWindow::kPresenceTimer &&
              CROVAMTTDlg::kSettingsTimer != CMainRunWindow::kLinkTimer &&
              CAutoStartWindow::kRetryTimer != CMainRunWindow::kPresenceTimer &&
              CAutoStartWindow::kRetryTimer != CMainRunWindow::kLinkTimer &&
              CAutoStartWindow::kRetryTimer != CROVAMTTDlg::kSettingsTimer);

void CROVAMTTDlg::OnTimer(UINT_PTR id) {
    if (id == CMainRunWindow::kPresenceTimer) m_run.OnPresenceTick();
    if (id == CMainRunWindow::kLinkTimer) m_run.OnLinkTimer();
    if (id == kSettingsTimer) m_run.OnSettingsTimer();
    if (id == CAutoStartWindow::kRetryTimer) m_autoStart.OnRetryTimer();
    if (id == CPlaybackReviewWindow::kRefreshTimer && m_review) m_review->OnTimer();
}

bool CROVAMTTDlg::OnCommand(UINT id, UINT code, HWND) {
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_BTN_CLOSE:
        EndDialog(IDCANCEL);
        return true;
    case IDC_BTN_DETECT_DEVICE:
        EndAutoStartWaiting();
        OnDetectDevice();
        return true;
    case IDC_BTN_START:
        // While waiting for the sensor the button is on: the click is the Stop.
        if (!EndAutoStartWaiting()) m_run.OnStartStop();
        return true;
    case IDC_BTN_AREA_MONITOR:
        ShowAreaMonitorDialog();
        return true;
    case IDC_BTN_MODE_SWITCH:
        EndAutoStartWaiting();
        m_run.OnModeSwitch();
        return true;
    case IDC_BTN_PAUSE:
        m_run.OnPause();
        return true;
    case IDC_BTN_PLAYBACK:
        EndAutoStartWaiting();
        OnPlayback();
        return true;
    case IDC_BTN_SAVE_DATA:
        OnSaveData();
        return true;
    case IDC_BTN_SAVE_PATH:
        OnSavePath();
        return true;
    default:
        return false;
    }
}

void CROVAMTTDlg::OnDestroy() {
    m_autoStart.Cancel(L"as the console closed");
    SaveRootSettings();
    m_delayPostEngine.Stop();
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarCtrl_CloseDevice();
    // The library must not call objects that are about to go.
    m_sink.reset();
    m_run.Results().Close();
    m_run.Zones().Stop();
    m_backgroundImage.reset();
    ROVA_WaitingDlg_Destroy(m_waitingDlg);
    m_waitingDlg = nullptr;
}

void CROVAMTTDlg::OnEndSession() {
    // Windows may end the process as soon as this returns: the run ends as a Stop ends it (light
    // off, sensor told to stop, zone exits written, files closed whole), then the settings go.
    DbgOutputA(2, "session ends: stopping the run\r\n");
    m_autoStart.Cancel(L"as the session ends");  // no attempt may start a run after this
    m_run.StopIfRunning();
    SaveRootSettings();
}

LRESULT CROVAMTTDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_NCHITTEST:
        return OnNcHitTest();
    case WM_LBUTTONUP:
        OnLButtonUp(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return Default(msg, wParam, lParam);
    case WM_RBUTTONDOWN:
        OnRButtonDown();
        return Default(msg, wParam, lParam);
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return Default(msg, wParam, lParam);
    case WM_SYSCOMMAND:
        if (OnSysCommand(static_cast<UINT>(wParam))) return 0;
        return Default(msg, wParam, lParam);
    case WM_CLOSE:
        EndDialog(IDCANCEL);
        return Default(msg, wParam, lParam);
    case WM_QUERYENDSESSION:
        // A logoff, shutdown or update restart is asked for: the settings are safe from here on,
        // the run goes on until the end is certain (it may still be cancelled).
        SaveRootSettings();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) OnEndSession();
        return 0;
    case WM_DESTROY: {
        const LRESULT result = Default(msg, wParam, lParam);
        OnDestroy();
        return result;
    }
    case WM_PRESENCE_TICK:
        m_run.OnPresenceTick();
        return 0;
    case WM_PLAYBACK_END:
        m_run.OnPlaybackEnd();
        return 0;
    case CAutoStartWindow::kBeginMessage:
        OnShown();
        return 0;
    default:
        return CDialog::WindowProc(msg, wParam, lParam);
    }
}

RECT CROVAMTTDlg::GetViewFanRect() const { return m_targetView.GetFanRect(); }

// ---- Detect Device --------------------------------------------------------------------------

// Reload the configuration, let the dialog library find the sensor, remember what was found and
// persist a serial device's value.
void CROVAMTTDlg::OnDetectDevice() {
    m_run.StopIfRunning();
    const std::string path = ConfigPathA();
    const std::wstring error = CResourceLoader::LoadString(IDS_ERROR);
    const std::wstring prompt = CResourceLoader::LoadString(IDS_PROMPT);
    if (!ROVA_Interface_RadarCtrl_LoadConfigFromFile(path.c_str())) {
        m_btnStart.EnableWindow(FALSE);
        const std::wstring text = CResourceLoader::LoadString(IDS_LOAD_CONFIG_FAILED);
        ::MessageBoxW(m_hWnd, text.c_str(), error.c_str(), MB_ICONERROR | MB_TOPMOST);
        return;
    }

    eRADAR_SOURCE_TYPE type = static_cast<eRADAR_SOURCE_TYPE>(0);
    CBaseStringA port;
    CBaseStringA description;
    int32_t value = 0;
    ROVA_DetectDeviceDlg_DoModal(m_hWnd, type, port, description, value);

    const int found = static_cast<int>(type);
    if (found < 1 || found > 5) {
        m_btnStart.EnableWindow(FALSE);
        const std::wstring text = CResourceLoader::LoadString(IDS_NO_DEVICE_DETECTED);
        ::MessageBoxW(m_hWnd, text.c_str(), error.c_str(), MB_ICONERROR | MB_TOPMOST);
        return;
    }
    const std::wstring text = CResourceLoader::LoadString(IDS_COM_DEVICE_DETECTED + found - 1);
    ::MessageBoxW(m_hWnd, text.c_str(), prompt.c_str(), MB_ICONINFORMATION);
    m_btnStart.EnableWindow(TRUE);
    m_btnModeSwitch.EnableWindow(TRUE);
    gRadarParameter.sourceType = type;
    gRadarParameter.detectedDeviceValue = value;
    // What was found is what monitoring that starts with the console starts on next time.
    AutoStartSettings::SaveSource(gAppConfig.AppConfig(), found, value, port.GetString());
    gAppConfig.SaveConfig();

    if (found == 1) {
        // A serial sensor's port is remembered in the file, written only when it changed.
        tagRADARPARAMETER stored;
        ROVA_Interface_RadarParameter_Init(&stored);
        if (ROVA_Interface_RadarParameter_LoadFromFile(path.c_str(), &stored) && stored.detectedDeviceValue != value) {
            stored.detectedDeviceValue = value;
            ROVA_Interface_RadarParameter_SaveToFile(path.c_str(), &stored);
        }
    }
    m_run.SaveRadarRecord();
    m_runWindow.ApplyViewSettings();
    m_runWindow.UpdateTargetLabels(m_run.Slots().Snapshot());
}

void CROVAMTTDlg::OpenParameterDialog() {
    bool autoStart = AutoStartSettings::Load(gAppConfig.AppConfig()).enabled;
    if (CConfigDlg::Run(m_hWnd, &autoStart) != IDOK) return;
    AutoStartSettings::SaveEnabled(gAppConfig.AppConfig(), autoStart);
    gAppConfig.SaveConfig();
}

// ---- Playback, Save Data, Save Path ---------------------------------------------------------

void CROVAMTTDlg::OnPlayback() {
    // The same button ends a live run or a playback.
    if (m_run.IsRunning()) {
        m_run.StopIfRunning();
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
    rova::AnsiToWide(initial, initialW, MAX_PATH);
    wchar_t chosen[MAX_PATH] = {};
    if (!BrowseForFolder(m_hWnd, initialW, chosen)) {
        SetCheck(m_btnPlayback, false);
        return;
    }
    // The library reads the recording through an ANSI name; the short form stands in for a
    // folder named outside the code page.
    const std::optional<std::string> folder = rova::AnsiPath(chosen);
    m_run.StartPlayback(folder ? folder->c_str() : "", folder.has_value());
    if (m_run.Phase() == RunPhase::Playback && folder && m_review) m_review->Open(*folder);
}

void CROVAMTTDlg::OnSaveData() { m_settings.saveData = m_btnSaveData.GetCheck() ? 1 : 0; }

void CROVAMTTDlg::OnSavePath() {
    wchar_t chosen[MAX_PATH] = {};
    if (!BrowseForFolder(m_hWnd, m_run.SavePath(), chosen)) return;
    // A selection without a path keeps the working save path usable as it was.
    if (!chosen[0]) return;
    m_run.SetSavePath(chosen);
}

// ---- areas ----------------------------------------------------------------------------------

void CROVAMTTDlg::CreateAreaMonitorDialog() {
    m_areaDlg.gateMin = m_settings.gateMin;
    m_areaDlg.gateMax = m_settings.gateMax;
    m_areaDlg.dlgGateCount = gRadarParameter.gateCount;
    m_areaDlg.detectAreaEnable = m_settings.algorithmAreaEnable;
    m_areaDlg.Create(m_hWnd);
    m_areaDlg.listener = &m_areaOps;
    m_areaDlg.context = 0;
}

void CROVAMTTDlg::ShowAreaMonitorDialog() { m_areaDlg.ShowWindow(SW_SHOW); }

void CROVAMTTDlg::FinishCapturedPolygon(CaptureMode mode, const AreaVertex* vertices, int count) {
    m_areaOps.FinishCapturedPolygon(mode, vertices, count);
}
