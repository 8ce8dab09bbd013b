#include "app/ROVAMTTDlg.h"

#include "app/XMLParser.h"
#include "contracts/ROVA_Common.h"
#include "framework/Raii.h"
#include "res/resource.h"

namespace {
constexpr COLORREF kBackground = 0x3C322A;
}

CROVAMTTDlg::CROVAMTTDlg() noexcept : CDialog(IDD_ROVA_MTT_DIALOG) { m_settings.Reset(0.0, 31.0); }

CROVAMTTDlg::~CROVAMTTDlg() = default;

BOOL CROVAMTTDlg::OnInitDialog() {
    ::MoveWindow(m_hWnd, 0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), TRUE);
    LoadRootSettings();
    wchar_t folder[MAX_PATH] = {};
    GetProgramPathW(0, folder);
    CombinePathNameW(m_savePath, folder, L"SaveData");
    return TRUE;
}

void CROVAMTTDlg::LoadRootSettings() { m_settings.Load(gAppConfig.AppConfig()); }

void CROVAMTTDlg::SaveRootSettings() {
    RootSettings::Save(gAppConfig.AppConfig(), m_settings.saveData, m_savePath);
    gAppConfig.SaveConfig();
}

bool CROVAMTTDlg::OnCommand(UINT id, UINT, HWND) {
    switch (id) {
    case IDC_BTN_CLOSE:
        EndDialog(IDCANCEL);
        return true;
    default:
        return false;
    }
}

BOOL CROVAMTTDlg::OnEraseBkgnd(HDC dc) {
    RECT rc = GetClientRect();
    rova::UniqueBrush brush(::CreateSolidBrush(kBackground));
    ::FillRect(dc, &rc, brush.get());
    return TRUE;
}

void CROVAMTTDlg::OnDestroy() { SaveRootSettings(); }

LRESULT CROVAMTTDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_CLOSE:
        EndDialog(IDCANCEL);
        return 0;
    case WM_DESTROY:
        Default(msg, wParam, lParam);
        OnDestroy();
        return 0;
    default:
        return CDialog::WindowProc(msg, wParam, lParam);
    }
}
