// ROVA_DlgResource.dll: ready-made dialogs of the radar library: the waiting dialog, the
// detect-device dialog and the register-setting dialog. Texts are English or Simplified Chinese,
// following the calling thread's user-interface language (SetThreadUILanguage, else the process's
// preferred UI languages, else the user's default); ROVA_DlgResource_SetUILanguage overrides it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ROVA_Common.h"
#include "RadarListeners.h"
#include "RadarParameter.h"

#if defined(_WIN32)
#if defined(ROVA_DLGRESOURCE_BUILD)
#define ROVA_DLGRESOURCE_API __declspec(dllexport)
#else
#define ROVA_DLGRESOURCE_API __declspec(dllimport)
#endif
#else
#define ROVA_DLGRESOURCE_API
#endif

// Opaque handle of a waiting dialog.
typedef void* ROVA_WAITINGDLG_HANDLE;

extern "C" {

// Creates the (hidden) waiting dialog owned by owner. Null on failure.
ROVA_DLGRESOURCE_API ROVA_WAITINGDLG_HANDLE ROVA_WaitingDlg_Create(HWND owner);
// Shows it modelessly, centred on top of its owner, with text. progressPercent 0 shows a running
// indication, 1 to 100 a filled bar; reserved must be 0. Calling it again updates the text.
ROVA_DLGRESOURCE_API int ROVA_WaitingDlg_Show(ROVA_WAITINGDLG_HANDLE dialog, int progressPercent,
                                              int reserved, const wchar_t* text);
ROVA_DLGRESOURCE_API int ROVA_WaitingDlg_Hide(ROVA_WAITINGDLG_HANDLE dialog);
// Destroys the dialog; the handle is invalid afterwards. Null is harmless.
ROVA_DLGRESOURCE_API int ROVA_WaitingDlg_Destroy(ROVA_WAITINGDLG_HANDLE dialog);

// Modal dialog that searches every source the radar library knows and shows what it tries.
// On success type is 1 to 5, text1 the port ("COM9999" for the simulated sensor), text2 the
// device description and value the device value (for a COM device its port number; the
// simulated sensor reports kSimulatedSensorDeviceValue). Closed without a result: type 0.
// Returns IDOK when a source was returned, IDCANCEL otherwise.
// A found source closes the dialog by itself after a short moment. With the environment
// variable ROVA_DETECT_DIALOG_AUTOCLOSE=1 it also closes by itself (type 0) when the search
// found nothing (for unattended tests).
ROVA_DLGRESOURCE_API int ROVA_DetectDeviceDlg_DoModal(HWND parent, eRADAR_SOURCE_TYPE& type,
                                                      CBaseStringA& text1, CBaseStringA& text2,
                                                      int32_t& value);

// Modal editor of the record's register values. OK writes the edited values into record;
// Cancel leaves it untouched. Returns IDOK or IDCANCEL (0 for a null record).
ROVA_DLGRESOURCE_API int ROVA_RegisterSettingDlg_DoModal(HWND parent, tagRADARPARAMETER* record);

// Forces the dialogs' language (a LANGID; Chinese variants give Chinese, others English);
// 0 returns to following the thread's UI language. For hosts whose platform ignores
// SetThreadUILanguage, and for tests.
ROVA_DLGRESOURCE_API void ROVA_DlgResource_SetUILanguage(LANGID language);

}  // extern "C"
