// The exported functions of the dialog library.
#include <windows.h>

#include "DetectDeviceDialog.h"
#include "DlgText.h"
#include "ROVA_DlgResource.h"
#include "RegisterSettingDialog.h"
#include "WaitingDialog.h"

extern "C" {

ROVA_WAITINGDLG_HANDLE ROVA_WaitingDlg_Create(HWND owner) {
    return CWaitingDialog::Create(owner);
}

int ROVA_WaitingDlg_Show(ROVA_WAITINGDLG_HANDLE dialog, int progressPercent, int, const wchar_t* text) {
    if (!dialog) return 0;
    static_cast<CWaitingDialog*>(dialog)->Show(progressPercent, text);
    return 1;
}

int ROVA_WaitingDlg_Hide(ROVA_WAITINGDLG_HANDLE dialog) {
    if (!dialog) return 0;
    static_cast<CWaitingDialog*>(dialog)->Hide();
    return 1;
}

int ROVA_WaitingDlg_Destroy(ROVA_WAITINGDLG_HANDLE dialog) {
    delete static_cast<CWaitingDialog*>(dialog);
    return 1;
}

int ROVA_DetectDeviceDlg_DoModal(HWND parent, eRADAR_SOURCE_TYPE& type, CBaseStringA& text1, CBaseStringA& text2,
                                 int32_t& value) {
    CDetectDeviceDialog dialog;
    if (dialog.DoModal(parent) != IDOK) {
        type = RADAR_SOURCE_NONE;
        return IDCANCEL;
    }
    const RadarDiscoveryCandidate& found = dialog.Result();
    type = found.type;
    text1 = found.port;
    text2 = found.description;
    value = found.value;
    return IDOK;
}

int ROVA_RegisterSettingDlg_DoModal(HWND parent, tagRADARPARAMETER* record) {
    if (!record) return 0;
    CRegisterSettingDialog dialog(*record);
    return static_cast<int>(dialog.DoModal(parent));
}

void ROVA_DlgResource_SetUILanguage(LANGID language) {
    CDlgText::SetOverride(language);
}

}  // extern "C"
