#include "RegisterSettingDialog.h"

#include <cwchar>

#include "DialogTemplate.h"
#include "DlgResourceIds.h"
#include "DlgText.h"
#include "ROVA_DataProcess.h"
#include "RadarRegisters.h"

namespace {
HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}
constexpr int kRowsPerColumn = 8;
}  // namespace

INT_PTR CRegisterSettingDialog::DoModal(HWND parent) {
    const bool zh = CDlgText::IsChinese();
    CDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 340, 156,
                      CDlgText::Get(DlgTextId::RegisterTitle), CDlgText::FontFace(), 9);
    const RadarRegisterInfo* table = RadarRegisterTable();
    for (int i = 0; i < kRadarNamedRegisterCount; ++i) {
        const short x = static_cast<short>(i < kRowsPerColumn ? 8 : 174);
        const short y = static_cast<short>(8 + (i % kRowsPerColumn) * 16);
        t.AddControl(L"STATIC", static_cast<WORD>(IDC_REGISTER_FIRST_LABEL + i), zh ? table[i].labelZh : table[i].labelEn,
                     SS_LEFT | SS_NOPREFIX, x, static_cast<short>(y + 2), 104, 10);
        t.AddControl(L"EDIT", static_cast<WORD>(IDC_REGISTER_FIRST_EDIT + i), L"",
                     ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP, static_cast<short>(x + 106), y, 50, 12);
    }
    t.AddControl(L"BUTTON", IDC_REGISTER_DEFAULTS, CDlgText::Get(DlgTextId::RegisterDefaults), BS_PUSHBUTTON | WS_TABSTOP, 8,
                 136, 60, 14);
    t.AddControl(L"BUTTON", IDOK, CDlgText::Get(DlgTextId::Ok), BS_DEFPUSHBUTTON | WS_TABSTOP, 216, 136, 55, 14);
    t.AddControl(L"BUTTON", IDCANCEL, CDlgText::Get(DlgTextId::Cancel), BS_PUSHBUTTON | WS_TABSTOP, 277, 136, 55, 14);
    return DialogBoxIndirectParamW(ThisModule(), t.Get(), parent, &CRegisterSettingDialog::DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CRegisterSettingDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        auto* self = reinterpret_cast<CRegisterSettingDialog*>(lParam);
        self->window_ = window;
        self->OnInitDialog();
        return TRUE;
    }
    auto* self = reinterpret_cast<CRegisterSettingDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!self || message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        self->OnOk();
        return TRUE;
    case IDCANCEL:
        EndDialog(window, IDCANCEL);
        return TRUE;
    case IDC_REGISTER_DEFAULTS:
        self->OnDefaults();
        return TRUE;
    default:
        return FALSE;
    }
}

void CRegisterSettingDialog::OnInitDialog() {
    for (int i = 0; i < kRadarNamedRegisterCount; ++i)
        SetDlgItemInt(window_, IDC_REGISTER_FIRST_EDIT + i, record_.registerValues[i], FALSE);
}

void CRegisterSettingDialog::OnDefaults() {
    const RadarRegisterInfo* table = RadarRegisterTable();
    for (int i = 0; i < kRadarNamedRegisterCount; ++i) SetDlgItemInt(window_, IDC_REGISTER_FIRST_EDIT + i, table[i].defaultValue, FALSE);
}

void CRegisterSettingDialog::OnOk() {
    const RadarRegisterInfo* table = RadarRegisterTable();
    uint32_t values[kRadarNamedRegisterCount];
    for (int i = 0; i < kRadarNamedRegisterCount; ++i) {
        char text[32] = {};
        GetDlgItemTextA(window_, IDC_REGISTER_FIRST_EDIT + i, text, sizeof text);
        uint32_t v = 0;
        if (!DigtalStringToValue(text, -1, &v, kDigitalTypeUInt32) || v < table[i].minimum || v > table[i].maximum) {
            wchar_t message[256];
            swprintf(message, 256, CDlgText::Get(DlgTextId::RegisterBadValue),
                     CDlgText::IsChinese() ? table[i].labelZh : table[i].labelEn, table[i].minimum, table[i].maximum);
            MessageBoxW(window_, message, CDlgText::Get(DlgTextId::ErrorCaption), MB_ICONERROR | MB_OK);
            HWND edit = GetDlgItem(window_, IDC_REGISTER_FIRST_EDIT + i);
            SetFocus(edit);
            SendMessageW(edit, EM_SETSEL, 0, -1);
            return;  // nothing is written until every field is valid
        }
        values[i] = v;
    }
    for (int i = 0; i < kRadarNamedRegisterCount; ++i) record_.registerValues[i] = values[i];
    EndDialog(window_, IDOK);
}
