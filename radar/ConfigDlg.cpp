#include "radar/ConfigDlg.h"

#include <cstdio>

#include "contracts/ROVA_Common.h"
#include "contracts/ROVA_DataProcess.h"
#include "contracts/ROVA_DlgResource.h"
#include "framework/ProgramFolder.h"
#include "radar/AlgorithmChoice.h"
#include "res/resource.h"

CConfigDlg::CConfigDlg() noexcept : CDialog(IDD_CONFIG_DIALOG) {}

INT_PTR CConfigDlg::Run(HWND owner, bool* autoStart) {
    CConfigDlg dialog;
    dialog.SetParentWindow(owner);
    ROVA_Interface_RadarParameter_Init(&dialog.workRecord);
    dialog.autoStart = autoStart && *autoStart;
    const INT_PTR result = dialog.DoModal();
    if (result == IDOK && autoStart) *autoStart = dialog.autoStart;
    return result;
}

BOOL CConfigDlg::OnInitDialog() {
    snprintf(configPath, sizeof configPath, "%s", ProgramFileA("Radar_Config.ini").c_str());
    ROVA_Interface_RadarParameter_LoadFromFile(configPath, &workRecord);  // defaults stay when unreadable
    ::SendDlgItemMessageW(m_hWnd, IDC_COMBO_ALGORITHM, CB_SETCURSEL, AlgorithmChoiceFromRecord(workRecord), 0);
    ::CheckDlgButton(m_hWnd, IDC_CHECK_AUTO_START, autoStart ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

bool CConfigDlg::OnCommand(UINT id, UINT code, HWND) {
    if (id == IDC_COMBO_ALGORITHM && code == CBN_SELCHANGE) {
        OnAlgorithmChanged();
        return true;
    }
    if (id == IDC_BTN_REGISTER_CONFIG && code == BN_CLICKED) {
        OnRegisterConfig();
        return true;
    }
    return false;
}

void CConfigDlg::OnAlgorithmChanged() {
    const LRESULT index = ::SendDlgItemMessageW(m_hWnd, IDC_COMBO_ALGORITHM, CB_GETCURSEL, 0, 0);
    if (index != CB_ERR) ApplyAlgorithmChoice(workRecord, static_cast<int>(index));
}

void CConfigDlg::OnRegisterConfig() { ROVA_RegisterSettingDlg_DoModal(m_hWnd, &workRecord); }

void CConfigDlg::OnOK() {
    autoStart = ::IsDlgButtonChecked(m_hWnd, IDC_CHECK_AUTO_START) == BST_CHECKED;
    CDialog::OnOK();
    ROVA_Interface_RadarParameter_SaveToFile(configPath, &workRecord);
}
