#include "app/MainRunWindow.h"

#include "areas/AreaOperations.h"
#include "areas/AreaOverlayController.h"
#include "contracts/ROVA_Common.h"
#include "controls/ASkinButton.h"
#include "controls/ColorStatic.h"
#include "framework/ResourceLoader.h"
#include "framework/Wnd.h"
#include "radar/RunController.h"
#include "radar/RunMessages.h"
#include "res/resource.h"
#include "settings/RootSettings.h"
#include "view/ObjectSectorWnd.h"

namespace {
void ApplyButton(CASkinButton& button, const RunButtonState& state) {
    button.EnableWindow(state.enabled ? TRUE : FALSE);
    if (state.checked) ::SendMessageW(button, BM_SETCHECK, *state.checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The labels are redrawn with GDI+ over their image: the same text again would cost a full
// redraw of each label on every update for nothing.
bool SameText(HWND window, const std::wstring& text) {
    const int length = ::GetWindowTextLengthW(window);
    if (length != static_cast<int>(text.size())) return false;
    std::wstring current(static_cast<size_t>(length) + 1, L'\0');
    current.resize(static_cast<size_t>(::GetWindowTextW(window, current.data(), length + 1)));
    return current == text;
}

// Stores a label's text and has it drawn once, at the next paint. The static control's own
// WM_SETTEXT would draw it at once as well, so each new text would be drawn twice.
void StoreLabelText(HWND label, const std::wstring& text) {
    ::DefWindowProcW(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::InvalidateRect(label, nullptr, FALSE);
}

void SetLabelText(CColorStatic& label, const std::wstring& text) {
    if (!SameText(label, text)) StoreLabelText(label, text);
}
}  // namespace

void CMainRunWindow::ApplyRunButtons(const RunButtons& buttons) {
    ApplyButton(m_parts.start, buttons.start);
    ApplyButton(m_parts.modeSwitch, buttons.modeSwitch);
    ApplyButton(m_parts.pause, buttons.pause);
    ApplyButton(m_parts.playback, buttons.playback);
    ApplyButton(m_parts.saveData, buttons.saveData);
    ApplyButton(m_parts.savePath, buttons.savePath);
}

void CMainRunWindow::ShowWaiting(const std::wstring& text) {
    if (!m_quiet) ROVA_WaitingDlg_Show(m_parts.waitingDlg, 0, 0, text.c_str());
}

void CMainRunWindow::HideWaiting() {
    if (!m_quiet) ROVA_WaitingDlg_Hide(m_parts.waitingDlg);
}

std::wstring CMainRunWindow::EndQuiet() {
    m_quiet = false;
    return std::move(m_quietError);
}

void CMainRunWindow::ShowRunError(const std::wstring& text, UINT captionId) {
    if (m_quiet) {
        m_quietError = text;
        return;
    }
    const std::wstring caption = CResourceLoader::LoadString(captionId);
    ::MessageBoxW(m_parts.window.GetSafeHwnd(), text.c_str(), caption.c_str(), MB_ICONERROR | MB_TOPMOST);
}

void CMainRunWindow::ApplyViewSettings() {
    const RootSettings& settings = m_parts.settings;
    ObjectViewSettings view;
    view.customBackground = m_parts.backgroundImage.get();
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
    m_parts.targetView.ApplyViewSettings(view);
    m_parts.areas.LoadAreasFromConfig();
    m_parts.areas.LoadMonitorPointsFromConfig();
}

void CMainRunWindow::SendDetectBound() { m_parts.areaOps.SendDetectBound(); }

void CMainRunWindow::UpdateTargetLabels(const CTargetSlots::Array& slots) {
    if (m_stale) {
        // The last values would look live: say plainly that nothing arrives.
        const std::wstring noData = CResourceLoader::LoadString(IDS_LINK_NO_DATA_LABEL);
        CColorStatic* labels[] = {&m_parts.labelTarget, &m_parts.labelTarget1, &m_parts.labelTarget2,
                                  &m_parts.labelTarget3};
        for (CColorStatic* label : labels) SetLabelText(*label, noData);
        return;
    }
    const std::wstring format = CResourceLoader::LoadString(IDS_TARGET_INFO_FORMAT);
    const int mode = m_parts.settings.objectCountType;
    if (mode == 3) {
        CColorStatic* labels[] = {&m_parts.labelTarget1, &m_parts.labelTarget2, &m_parts.labelTarget3};
        for (int i = 0; i < 3; ++i) SetLabelText(*labels[i], FormatTargetLabel(format, mode, i, slots[i]));
    } else {
        SetLabelText(m_parts.labelTarget, FormatTargetLabel(format, mode, 0, slots[0]));
    }
}

void CMainRunWindow::ApplyModeDisplay() {
    const int mode = m_parts.settings.objectCountType;
    OwnedBitmap title = LoadPngResource(mode == 1 ? IDB_TITLE_SINGLE : IDB_TITLE_MULTI);
    m_parts.title.SetImage(title.get());
    m_parts.title.Invalidate();
    CColorStatic* multi[] = {&m_parts.labelTarget1, &m_parts.labelTarget2, &m_parts.labelTarget3};
    if (mode == 1) {
        ::SendMessageW(m_parts.modeSwitch, BM_SETCHECK, BST_CHECKED, 0);
        m_parts.labelTarget.ShowWindow(SW_SHOW);
        for (CColorStatic* label : multi) label->ShowWindow(SW_HIDE);
    } else if (mode == 3) {
        ::SendMessageW(m_parts.modeSwitch, BM_SETCHECK, BST_UNCHECKED, 0);
        m_parts.labelTarget.ShowWindow(SW_HIDE);
        for (CColorStatic* label : multi) label->ShowWindow(SW_SHOW);
    }
}

void CMainRunWindow::ClearTargets() {
    m_parts.targetView.ClearTargets();
    ::RedrawWindow(m_parts.targetView, nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE);
}

void CMainRunWindow::StartPresenceTimer() {
    ::SetTimer(m_parts.window.GetSafeHwnd(), kPresenceTimer, kPresenceTimerMs, nullptr);
}

void CMainRunWindow::StopPresenceTimer() { ::KillTimer(m_parts.window.GetSafeHwnd(), kPresenceTimer); }

void CMainRunWindow::PostPlaybackEndLater(UINT delayMs) {
    const HWND window = m_parts.window.GetSafeHwnd();
    m_parts.delayPostEngine.DelayPostMsg(delayMs, window, window, WM_PLAYBACK_END, 0, 0, nullptr, 0);
}

void CMainRunWindow::CancelPlaybackEndPosts() {
    const HWND window = m_parts.window.GetSafeHwnd();
    m_parts.delayPostEngine.RemoveDelayPostMsg(window, window, WM_PLAYBACK_END, 1);
}

void CMainRunWindow::DrainRunMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, m_parts.window.GetSafeHwnd(), WM_PRESENCE_TICK, WM_PLAYBACK_END, PM_REMOVE)) {
    }
}

void CMainRunWindow::StartLinkTimer() {
    ::SetTimer(m_parts.window.GetSafeHwnd(), kLinkTimer, CRunController::kLinkTimerMs, nullptr);
}

void CMainRunWindow::StopLinkTimer() { ::KillTimer(m_parts.window.GetSafeHwnd(), kLinkTimer); }

void CMainRunWindow::ShowLinkStatus(const std::wstring& text, bool stale, bool alarm) {
    CColorStatic& status = m_parts.linkStatus;
    const COLORREF background = stale || alarm ? kLinkStaleColor : m_parts.background;
    const COLORREF foreground = stale || alarm ? RGB(255, 255, 255) : kLinkTextColor;
    if (!SameText(status, text) || status.GetBackgroundColor() != background || status.GetTextColor() != foreground) {
        status.SetBackgroundColor(background);
        status.SetTextColor(foreground);
        StoreLabelText(status, text);
    }
    if (stale != m_stale) {
        m_stale = stale;
        m_parts.targetView.SetTargetsDimmed(stale);
    }
}
