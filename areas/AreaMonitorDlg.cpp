#include "areas/AreaMonitorDlg.h"

#include <commdlg.h>

#include "res/resource.h"

namespace {
constexpr double kBoundTolerance = 1e-16;
}  // namespace

CAreaMonitorDlg::CAreaMonitorDlg() noexcept : CDialog(IDD_AREA_MONITOR_DIALOG) {}

bool CAreaMonitorDlg::Create(HWND parent) { return CDialog::Create(IDD_AREA_MONITOR_DIALOG, parent); }

BOOL CAreaMonitorDlg::OnInitDialog() {
    BindControl(IDC_EDIT_GATE_MIN, m_gateMinEdit);
    BindControl(IDC_EDIT_GATE_MAX, m_gateMaxEdit);
    BindControl(IDC_STATIC_INACTIVE_COLOR, m_inactiveSwatch);
    BindControl(IDC_STATIC_ACTIVE_COLOR, m_activeSwatch);

    // The type first: bounds are recorded with the type the box has when they are set.
    m_gateMinEdit.SetValueType(DigitalValueDouble);
    m_gateMaxEdit.SetValueType(DigitalValueDouble);
    m_gateMinEdit.SetMustMin(MakeBoundValue(0.0), kBoundTolerance);
    m_gateMinEdit.SetMustMax(MakeBoundValue(static_cast<double>(dlgGateCount) - 2), kBoundTolerance);
    m_gateMaxEdit.SetMustMin(MakeBoundValue(1.0), kBoundTolerance);
    m_gateMaxEdit.SetMustMax(MakeBoundValue(static_cast<double>(dlgGateCount) - 1), kBoundTolerance);
    SetDlgItemDouble(m_hWnd, IDC_EDIT_GATE_MIN, gateMin);
    SetDlgItemDouble(m_hWnd, IDC_EDIT_GATE_MAX, gateMax);

    ::EnableWindow(GetDlgItem(IDC_BTN_SET_DETECT_AREA), detectAreaEnable != 0);
    ::EnableWindow(GetDlgItem(IDC_BTN_DEL_DETECT_AREA), detectAreaEnable != 0);

    m_inactiveSwatch.SetBackgroundColor(inactiveColor);
    m_activeSwatch.SetBackgroundColor(activeColor);
    return TRUE;
}

bool CAreaMonitorDlg::OnCommand(UINT id, UINT code, HWND control) {
    (void)control;
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_BTN_APPLY_GATE: OnApply(); return true;
        case IDC_BTN_ADD_LIGHT_AREA:
            if (listener) listener->OnAddLightArea(inactiveColor, activeColor, context);
            return true;
        case IDC_BTN_CLEAR_LIGHT_AREA:
            if (listener) listener->OnClearLightArea(context);
            return true;
        case IDC_BTN_SET_DETECT_AREA:
            if (listener) listener->OnSetDetectArea(inactiveColor, activeColor, context);
            return true;
        case IDC_BTN_DEL_DETECT_AREA:
            if (listener) listener->OnDelDetectArea(context);
            return true;
        default: break;
        }
    }
    if (code == STN_DBLCLK) {
        if (id == IDC_STATIC_INACTIVE_COLOR) {
            ChooseSwatchColor(inactiveColor, m_inactiveSwatch);
            return true;
        }
        if (id == IDC_STATIC_ACTIVE_COLOR) {
            ChooseSwatchColor(activeColor, m_activeSwatch);
            return true;
        }
    }
    return false;
}

void CAreaMonitorDlg::OnApply() {
    if (!listener) return;
    // The edits have corrected out-of-range text when the operator left them; the order of the
    // two values is the view's to sort out.
    gateMin = GetDlgItemDouble(m_hWnd, IDC_EDIT_GATE_MIN);
    gateMax = GetDlgItemDouble(m_hWnd, IDC_EDIT_GATE_MAX);
    listener->OnApplyGateRange(gateMin, gateMax, context);
}

void CAreaMonitorDlg::ChooseSwatchColor(COLORREF& color, CColorStatic& swatch) {
    COLORREF chosen = color;
    if (!RunColorChooser(&chosen)) return;
    color = chosen;
    swatch.SetBackgroundColor(color);
}

bool CAreaMonitorDlg::RunColorChooser(COLORREF* color) {
    // The operator's custom colours stay for the life of the program.
    static COLORREF customColors[16] = {};
    CHOOSECOLORW chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = m_hWnd;
    chooser.rgbResult = *color;
    chooser.lpCustColors = customColors;
    chooser.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (!::ChooseColorW(&chooser)) return false;
    *color = chooser.rgbResult;
    return true;
}
