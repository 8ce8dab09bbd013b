#include "app/MainRunWindow.h"

#include "app/ROVAMTTDlg.h"
#include "framework/ResourceLoader.h"
#include "radar/RunMessages.h"
#include "res/resource.h"

namespace {
void ApplyButton(CASkinButton& button, const RunButtonState& state) {
    button.EnableWindow(state.enabled ? TRUE : FALSE);
    if (state.checked) ::SendMessageW(button, BM_SETCHECK, *state.checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SetLabelText(CColorStatic& label, const std::wstring& text) {
    ::SetWindowTextW(label, text.c_str());
    ::InvalidateRect(label, nullptr, FALSE);
}
}  // namespace

void CMainRunWindow::ApplyRunButtons(const RunButtons& buttons) {
    ApplyButton(dialog_.m_btnStart, buttons.start);
    ApplyButton(dialog_.m_btnModeSwitch, buttons.modeSwitch);
    ApplyButton(dialog_.m_btnPause, buttons.pause);
    ApplyButton(dialog_.m_btnPlayback, buttons.playback);
    ApplyButton(dialog_.m_btnSaveData, buttons.saveData);
    ApplyButton(dialog_.m_btnSavePath, buttons.savePath);
}

void CMainRunWindow::ShowWaiting(const std::wstring& text) {
    ROVA_WaitingDlg_Show(dialog_.m_waitingDlg, 0, 0, text.c_str());
}

void CMainRunWindow::HideWaiting() { ROVA_WaitingDlg_Hide(dialog_.m_waitingDlg); }

void CMainRunWindow::ShowRunError(const std::wstring& text, UINT captionId) {
    const std::wstring caption = CResourceLoader::LoadString(captionId);
    ::MessageBoxW(dialog_.GetSafeHwnd(), text.c_str(), caption.c_str(), MB_ICONERROR | MB_TOPMOST);
}

void CMainRunWindow::ApplyViewSettings() {
    const RootSettings& settings = dialog_.m_settings;
    ObjectViewSettings view;
    view.customBackground = dialog_.m_backgroundImage.get();
    view.topViewMode = settings.topViewMode;
    view.angleStart = settings.angleStart;
    view.angleStop = settings.angleStop;
    view.angleStep = settings.angleStep;
    view.gateMin = settings.gateMin;
    view.gateMax = settings.gateMax;
    view.drawLocus = settings.drawLocus;
    view.displayTime = static_cast<uint32_t>(settings.displayTime);
    view.sectorCount = settings.sectorCount;
    view.radiusScale = settings.radiusScale;
    view.locusRadiusScale = settings.locusRadiusScale;
    view.smoothCount = settings.smoothCount;
    dialog_.m_targetView.ApplyViewSettings(view);
    dialog_.m_areas.LoadAreasFromConfig();
    dialog_.m_areas.LoadMonitorPointsFromConfig();
}

void CMainRunWindow::SendDetectBound() { dialog_.m_areaOps.SendDetectBound(); }

void CMainRunWindow::UpdateTargetLabels(const CTargetSlots::Array& slots) {
    const std::wstring format = CResourceLoader::LoadString(IDS_TARGET_INFO_FORMAT);
    const int mode = dialog_.m_settings.objectCountType;
    if (mode == 3) {
        CColorStatic* labels[] = {&dialog_.m_labelTarget1, &dialog_.m_labelTarget2, &dialog_.m_labelTarget3};
        for (int i = 0; i < 3; ++i) SetLabelText(*labels[i], FormatTargetLabel(format, mode, i, slots[i]));
    } else {
        SetLabelText(dialog_.m_labelTarget, FormatTargetLabel(format, mode, 0, slots[0]));
    }
}

void CMainRunWindow::ApplyModeDisplay() {
    const int mode = dialog_.m_settings.objectCountType;
    OwnedBitmap title = LoadPngResource(mode == 1 ? IDB_TITLE_SINGLE : IDB_TITLE_MULTI);
    ::KillTimer(dialog_.m_title, kTitleAnimationTimer);
    dialog_.m_title.SetImage(title.get());
    dialog_.m_title.Invalidate();
    CColorStatic* multi[] = {&dialog_.m_labelTarget1, &dialog_.m_labelTarget2, &dialog_.m_labelTarget3};
    if (mode == 1) {
        ::SendMessageW(dialog_.m_btnModeSwitch, BM_SETCHECK, BST_CHECKED, 0);
        dialog_.m_labelTarget.ShowWindow(SW_SHOW);
        for (CColorStatic* label : multi) label->ShowWindow(SW_HIDE);
    } else if (mode == 3) {
        ::SendMessageW(dialog_.m_btnModeSwitch, BM_SETCHECK, BST_UNCHECKED, 0);
        dialog_.m_labelTarget.ShowWindow(SW_HIDE);
        for (CColorStatic* label : multi) label->ShowWindow(SW_SHOW);
    }
}

void CMainRunWindow::ClearTargets() {
    dialog_.m_targetView.ClearTargets();
    ::RedrawWindow(dialog_.m_targetView, nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE);
}

void CMainRunWindow::StartPresenceTimer() {
    ::SetTimer(dialog_.GetSafeHwnd(), kPresenceTimer, kPresenceTimerMs, nullptr);
}

void CMainRunWindow::StopPresenceTimer() { ::KillTimer(dialog_.GetSafeHwnd(), kPresenceTimer); }

void CMainRunWindow::PostPlaybackEndLater(UINT delayMs) {
    const HWND window = dialog_.GetSafeHwnd();
    dialog_.m_delayPostEngine.DelayPostMsg(delayMs, window, window, WM_PLAYBACK_END, 0, 0, nullptr, 0);
}

void CMainRunWindow::CancelPlaybackEndPosts() {
    const HWND window = dialog_.GetSafeHwnd();
    dialog_.m_delayPostEngine.RemoveDelayPostMsg(window, window, WM_PLAYBACK_END, 1);
}

void CMainRunWindow::DrainRunMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, dialog_.GetSafeHwnd(), WM_PRESENCE_TICK, WM_PLAYBACK_END, PM_REMOVE)) {
    }
}
