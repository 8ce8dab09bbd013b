#include "app/ROVAMTTDlg.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "app/XMLParser.h"
#include "framework/ResourceLoader.h"
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

std::string ProgramFileA(const char* name) {
    char folder[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    GetProgramPathA(0, folder);
    CombinePathNameA(path, folder, name);
    return path;
}

RECT ChildRectInParent(HWND child, HWND parent) {
    RECT rc{};
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}
}  // namespace

CROVAMTTDlg::CROVAMTTDlg() noexcept : CDialog(IDD_ROVA_MTT_DIALOG) {
    ResetTargetSlots();
    // The radar library's record: the configuration beside the exe (a missing file keeps the
    // library defaults), no source detected yet, and a saved copy that every stop restores.
    ROVA_Interface_RadarCtrl_LoadConfigFromFile(ProgramFileA("Radar_Config.ini").c_str());
    gRadarParameter.sourceType = RADAR_SOURCE_NONE;
    ROVA_Interface_RadarParameter_Copy(&m_savedRadarParameter, &gRadarParameter);
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
    RootSettings::Save(gAppConfig.AppConfig(), m_settings.saveData, m_savePath);
    gAppConfig.SaveConfig();
}

void CROVAMTTDlg::LoadBackgroundImage() {
    wchar_t folder[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    GetProgramPathW(0, folder);
    CombinePathNameW(path, folder, L"\\Custom_Background\\SectorBackGround.png");
    m_backgroundImage.reset(Gdiplus_LoadBitmapFromFileW(path));
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

void CROVAMTTDlg::RegisterWithRadarLibrary() {
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(this, 0);
    ROVA_Interface_RadarDevice_File_SetLoopReadFile(0);
    ROVA_Interface_RadarProcessFilter_Add_MOD_ObjectDetectListener(this, 0);
    ROVA_Interface_RadarProcessFilter_Add_AlgorithmMTT_ObjectDetectListener(this, 0);
    ROVA_Interface_RadarDataFilter_Add_ResultMTT_ObjectDetectListener(this, 0);
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
    wchar_t folder[MAX_PATH] = {};
    GetProgramPathW(0, folder);
    CombinePathNameW(m_savePath, folder, L"SaveData");
    ApplyArtwork();

    SetCheck(m_btnSaveData, m_settings.saveData != 0);
    m_settings.saveData = m_btnSaveData.GetCheck();

    ApplyModeDisplay();
    UpdateTargetLabels();
    ApplyViewSettings();
    InitLinkStatus();

    m_btnStart.EnableWindow(FALSE);
    m_btnModeSwitch.EnableWindow(FALSE);
    m_btnPause.EnableWindow(FALSE);
    m_btnPause.ShowWindow(SW_HIDE);

    RegisterWithRadarLibrary();
    return TRUE;
}

void CROVAMTTDlg::ApplyModeDisplay() {
    const int mode = m_settings.objectCountType;
    OwnedBitmap title = LoadPngResource(mode == 1 ? IDB_TITLE_SINGLE : IDB_TITLE_MULTI);
    ::KillTimer(m_title, kTitleAnimationTimer);
    m_title.SetImage(title.get());
    m_title.Invalidate();
    if (mode == 1) {
        SetCheck(m_btnModeSwitch, true);
        m_labelTarget.ShowWindow(SW_SHOW);
        for (CColorStatic* label : {&m_labelTarget1, &m_labelTarget2, &m_labelTarget3})
            label->ShowWindow(SW_HIDE);
    } else if (mode == 3) {
        SetCheck(m_btnModeSwitch, false);
        m_labelTarget.ShowWindow(SW_HIDE);
        for (CColorStatic* label : {&m_labelTarget1, &m_labelTarget2, &m_labelTarget3})
            label->ShowWindow(SW_SHOW);
    }
}

// ---- keyboard, system menu, About -----------------------------------------------------------

bool CROVAMTTDlg::PreTranslateMessage(MSG* msg) {
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
    const std::wstring text = CResourceLoader::LoadString(IDS_ABOUT_TEXT);
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

void CROVAMTTDlg::OnTimer(UINT_PTR id) {
    if (id == kPresenceTimer) OnPresenceTick();
    if (id == kLinkTimer) OnLinkTimer();
}

bool CROVAMTTDlg::OnCommand(UINT id, UINT code, HWND) {
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_BTN_CLOSE:
        EndDialog(IDCANCEL);
        return true;
    case IDC_BTN_DETECT_DEVICE:
        OnDetectDevice();
        return true;
    case IDC_BTN_START:
        OnStartStop();
        return true;
    case IDC_BTN_AREA_MONITOR:
        ShowAreaMonitorDialog();
        return true;
    case IDC_BTN_MODE_SWITCH:
        OnModeSwitch();
        return true;
    case IDC_BTN_PAUSE:
        OnPause();
        return true;
    case IDC_BTN_PLAYBACK:
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
    SaveRootSettings();
    m_delayPostEngine.Stop();
    ROVA_Interface_RadarCtrl_Stop();
    ROVA_Interface_RadarCtrl_CloseDevice();
    ROVA_Interface_RadarDataFilter_Del_ResultMTT_ObjectDetectListener(this);
    ROVA_Interface_RadarProcessFilter_Del_AlgorithmMTT_ObjectDetectListener(this);
    ROVA_Interface_RadarProcessFilter_Del_MOD_ObjectDetectListener(this);
    // The library must not call a dialog object that is about to go.
    ROVA_Interface_RadarDevice_File_SetFileRadarDataSource(nullptr, 0);
    m_results.Close();
    m_linkLog.Close();
    m_backgroundImage.reset();
    ROVA_WaitingDlg_Destroy(m_waitingDlg);
    m_waitingDlg = nullptr;
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
    case WM_DESTROY: {
        const LRESULT result = Default(msg, wParam, lParam);
        OnDestroy();
        return result;
    }
    case WM_PRESENCE_TICK:
        OnPresenceTick();
        return 0;
    case WM_PLAYBACK_END:
        OnPlaybackEnd();
        return 0;
    default:
        return CDialog::WindowProc(msg, wParam, lParam);
    }
}

void CROVAMTTDlg::ApplyViewSettings() {
    ObjectViewSettings view;
    view.customBackground = m_backgroundImage.get();
    view.topViewMode = m_settings.topViewMode;
    view.angleStart = m_settings.angleStart;
    view.angleStop = m_settings.angleStop;
    view.angleStep = m_settings.angleStep;
    view.gateMin = m_settings.gateMin;
    view.gateMax = m_settings.gateMax;
    view.drawLocus = m_settings.drawLocus;
    view.displayTime = static_cast<uint32_t>(m_settings.displayTime);
    view.sectorCount = m_settings.sectorCount;
    view.radiusScale = m_settings.radiusScale;
    view.locusRadiusScale = m_settings.locusRadiusScale;
    view.smoothCount = m_settings.smoothCount;
    m_targetView.ApplyViewSettings(view);
    LoadAreasFromConfig();
    LoadMonitorPointsFromConfig();
}

RECT CROVAMTTDlg::GetViewFanRect() const { return m_targetView.GetFanRect(); }
