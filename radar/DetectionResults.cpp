// The main window's side of a delivery: label slots, view targets, result lines and the labels.
#include <vector>

#include "app/ROVAMTTDlg.h"
#include "framework/ResourceLoader.h"
#include "res/resource.h"
#include "view/ViewTarget.h"

void CROVAMTTDlg::OnRadarObjectDetect(uint16_t, CPtrCtrl* objects) {
    std::vector<ViewTarget> targets;
    targets.reserve(objects ? objects->GetCount() : 0);
    ProcessDelivery(objects, gRadarParameter.angleSlope, gRadarParameter.angleOffset, m_slots,
                    [&](int, const CalibratedObject& object) {
                        ViewTarget target;
                        target.id = object.objectId;
                        target.range = object.gate;
                        target.angle = object.angle - 90.0;
                        targets.push_back(target);
                        WriteResultLine(object);
                    });
    CPtrListCtrl list;
    for (ViewTarget& t : targets) list.AddData(&t, -1);
    m_targetView.UpdateTargets(&list);
    list.RemoveAll();
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
    if (m_linkStale) {
        // The last values would look live: say plainly that nothing arrives.
        for (int id : {IDC_STATIC_TARGET, IDC_STATIC_TARGET1, IDC_STATIC_TARGET2, IDC_STATIC_TARGET3})
            SetLabelText(Label(id), m_linkTexts.noDataLabel);
        return;
    }
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
}

void CROVAMTTDlg::WriteResultLine(const CalibratedObject& object) {
    m_results.WriteLine(object.objectId, object.distance, object.angle, object.velocity);
}

void CROVAMTTDlg::OnSaveData() { m_settings.saveData = m_btnSaveData.GetCheck() ? 1 : 0; }
