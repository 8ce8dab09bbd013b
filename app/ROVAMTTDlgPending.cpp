// Operations of the main dialog that belong to the radar operation and area monitoring work,
// which is being written in radar/ and areas/. Each owner moves its definitions next to its code
// and deletes them here; until then these do nothing, so the window can be built, shown and
// closed without a run.
#include "app/ROVAMTTDlg.h"

// Radar operation: detection pipeline, run control, recording, playback, parameter dialog.
void CROVAMTTDlg::OnRadarObjectDetect(uint16_t, CPtrCtrl*) {}
void CROVAMTTDlg::OnFileRadarReadEnd(uint64_t) {}
bool CROVAMTTDlg::StartRun() { return false; }
void CROVAMTTDlg::StopRun() {}
void CROVAMTTDlg::ResetTargetSlots() {}
void CROVAMTTDlg::UpdateTargetLabels() {}
void CROVAMTTDlg::OnPlaybackEnd() {}
void CROVAMTTDlg::OpenParameterDialog() {}
void CROVAMTTDlg::OnDetectDevice() {}
void CROVAMTTDlg::OnStartStop() {}
void CROVAMTTDlg::OnModeSwitch() {}
void CROVAMTTDlg::OnPause() {}
void CROVAMTTDlg::OnPlayback() {}
void CROVAMTTDlg::OnSaveData() {}
void CROVAMTTDlg::OnSavePath() {}

// Target view settings.
void CROVAMTTDlg::ApplyViewSettings() {}

// Area monitoring: the area monitor dialog, its requests, finished polygons, the presence tick.
void CROVAMTTDlg::CreateAreaMonitorDialog() {}
void CROVAMTTDlg::ShowAreaMonitorDialog() {}
void CROVAMTTDlg::OnApplyGateRange(double, double, uint64_t) {}
void CROVAMTTDlg::OnAddLightArea(uint32_t, uint32_t, uint64_t) {}
void CROVAMTTDlg::OnClearLightArea(uint64_t) {}
void CROVAMTTDlg::OnSetDetectArea(uint32_t, uint32_t, uint64_t) {}
void CROVAMTTDlg::OnDelDetectArea(uint64_t) {}
void CROVAMTTDlg::FinishCapturedPolygon(CaptureMode, const AreaVertex*, int) {}
void CROVAMTTDlg::OnPresenceTick() {}
