// The main window's side of a delivery: label slots, view targets, result lines and the labels.
#include <vector>

#include "app/ROVAMTTDlg.h"
#include "framework/ResourceLoader.h"
#include "res/resource.h"
#include "view/ViewTarget.h"

void CROVAMTTDlg::OnRadarObjectDetect(uint16_t, CPtrCtrl* objects) {
    std::vector<ViewTarget> targets;
    std::vector<CalibratedObject> calibrated;
    targets.reserve(objects ? objects->GetCount() : 0);
    ProcessDelivery(objects, gRadarParameter.angleSlope, gRadarParameter.angleOffset, m_slots,
                    [&](int, const CalibratedObject& object) {
                        calibrated.push_back(object);
                        ViewTarget target;
                        target.id = object.objectId;
                        target.range = object.gate;
                        target.angle = object.angle - 90.0;
                        targets.push_back(target);
                        WriteResultLine(object);
                    });
    CPtrListCtrl list;
    for (ViewTarget& t : targets) list.AddData(&t, -1);
    std::vector<SectorScene::TrackMembership> accepted;
    m_targetView.UpdateTargets(&list, &accepted);
    list.RemoveAll();
    m_zones.OnDelivery(objects, calibrated, accepted);
    ::PostMessageW(m_hWnd, WM_PRESENCE_TICK, 0, 0);
}

namespace {
void SetLabelText(CColorStatic& label, const std::wstring& text) {
    ::SetWindowTextW(label, text.c_str());
    ::InvalidateRect(label, nullptr, FALSE);
}
}  // namespace

void CROVAMTTDlg::ResetTargetSlots() { m_slots.Reset(); }

void CROVAMTTDlg::UpdateTargetLabels() {
    const std::wstring format = CResourceLoader::LoadString(IDS_TARGET_INFO_FORMAT);
    const CTargetSlots::Array slots = m_slots.Snapshot();
    const int mode = m_settings.objectCountType;
    if (mode == 3) {
        const int ids[] = {IDC_STATIC_TARGET1, IDC_STATIC_TARGET2, IDC_STATIC_TARGET3};
        for (int i = 0; i < 3; ++i) SetLabelText(Label(ids[i]), FormatTargetLabel(format, mode, i, slots[i]));
    } else {
        SetLabelText(Label(IDC_STATIC_TARGET), FormatTargetLabel(format, mode, 0, slots[0]));
    }
}

void CROVAMTTDlg::OpenResultFile() {
    char folder[MAX_PATH] = {};
    char logFolder[MAX_PATH] = {};
    GetProgramPathA(0, folder);
    CombinePathNameA(logFolder, folder, "Log");
    m_results.Open(logFolder);  // no file: the run goes on without results
    m_zones.Start(logFolder);
}

void CROVAMTTDlg::WriteResultLine(const CalibratedObject& object) {
    m_results.WriteLine(object.objectId, object.distance, object.angle, object.velocity);
}

void CROVAMTTDlg::OnSaveData() { m_settings.saveData = m_btnSaveData.GetCheck() ? 1 : 0; }
