#include "DetectDeviceDialog.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "DialogTemplate.h"
#include "DlgResourceIds.h"
#include "DlgText.h"

namespace {
constexpr UINT WM_DETECT_PROGRESS = WM_APP + 1;
constexpr UINT_PTR kCloseTimer = 1;
constexpr int kProbeTimeoutMs = 500;
constexpr int kMaxCandidates = 300;
constexpr size_t kProbeThreads = kMaxCandidates;  // every candidate at once

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

std::wstring Widen(const char* text) {
    wchar_t buffer[256] = {};
    MultiByteToWideChar(CP_ACP, 0, text ? text : "", -1, buffer, 255);
    return buffer;
}

std::wstring Format(DlgTextId id, const char* a, const char* b = "") {
    wchar_t buffer[512];
    swprintf(buffer, 512, CDlgText::Get(id), Widen(a).c_str(), Widen(b).c_str());
    return buffer;
}
}  // namespace

CDetectDeviceDialog::~CDetectDeviceDialog() {
    StopSearch();
}

INT_PTR CDetectDeviceDialog::DoModal(HWND parent) {
    char env[8] = {};
    autoClose_ = GetEnvironmentVariableA("ROVA_DETECT_DIALOG_AUTOCLOSE", env, sizeof env) > 0 && strcmp(env, "1") == 0;
    CDialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 240, 130,
                      CDlgText::Get(DlgTextId::DetectTitle), CDlgText::FontFace(), 9);
    t.AddControl(L"STATIC", IDC_DETECT_STATUS, L"", SS_LEFT | SS_NOPREFIX, 8, 8, 224, 10);
    t.AddControl(L"LISTBOX", IDC_DETECT_LOG, L"", WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, 8, 22, 224, 80);
    t.AddControl(L"BUTTON", IDC_DETECT_RETRY, CDlgText::Get(DlgTextId::Retry), BS_PUSHBUTTON | WS_TABSTOP, 8, 110, 70, 14);
    t.AddControl(L"BUTTON", IDOK, CDlgText::Get(DlgTextId::Ok), BS_DEFPUSHBUTTON | WS_TABSTOP | WS_DISABLED, 116, 110, 55, 14);
    t.AddControl(L"BUTTON", IDCANCEL, CDlgText::Get(DlgTextId::Close), BS_PUSHBUTTON | WS_TABSTOP, 177, 110, 55, 14);
    const INT_PTR result = DialogBoxIndirectParamW(ThisModule(), t.Get(), parent, &CDetectDeviceDialog::DialogProc,
                                                   reinterpret_cast<LPARAM>(this));
    StopSearch();
    return result == IDOK && found_ ? IDOK : IDCANCEL;
}

INT_PTR CALLBACK CDetectDeviceDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        auto* self = reinterpret_cast<CDetectDeviceDialog*>(lParam);
        self->window_ = window;
        self->OnInitDialog();
        return TRUE;
    }
    auto* self = reinterpret_cast<CDetectDeviceDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
    case WM_DETECT_PROGRESS:
        self->OnProgress();
        return TRUE;
    case WM_TIMER:
        if (wParam == kCloseTimer) {
            KillTimer(window, kCloseTimer);
            self->StopSearch();
            EndDialog(window, self->found_ ? IDOK : IDCANCEL);
        }
        return TRUE;
    case WM_COMMAND:
        self->OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_NCDESTROY:
        self->window_ = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

void CDetectDeviceDialog::OnInitDialog() {
    StartSearch();
}

void CDetectDeviceDialog::StartSearch() {
    StopSearch();
    {
        std::lock_guard lock(mutex_);
        pendingLines_.clear();
        finished_ = false;
        found_ = false;
    }
    SendDlgItemMessageW(window_, IDC_DETECT_LOG, LB_RESETCONTENT, 0, 0);
    SetDlgItemTextW(window_, IDC_DETECT_STATUS, CDlgText::Get(DlgTextId::DetectSearching));
    EnableWindow(GetDlgItem(window_, IDOK), FALSE);
    EnableWindow(GetDlgItem(window_, IDC_DETECT_RETRY), FALSE);
    cancel_ = false;
    worker_ = std::thread(&CDetectDeviceDialog::Search, this, window_);
}

void CDetectDeviceDialog::StopSearch() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

void CDetectDeviceDialog::Search(HWND window) {
    auto post = [&](std::wstring line) {
        {
            std::lock_guard lock(mutex_);
            if (!line.empty()) pendingLines_.push_back(std::move(line));
        }
        if (!progressPosted_.exchange(true) && !PostMessageW(window, WM_DETECT_PROGRESS, 0, 0)) progressPosted_ = false;
    };
    std::vector<RadarDiscoveryCandidate> candidates(kMaxCandidates);
    const int count = ROVA_RadarDiscovery_ListCandidates(candidates.data(), kMaxCandidates);
    candidates.resize(static_cast<size_t>(std::clamp(count, 0, kMaxCandidates)));
    if (candidates.empty()) post(CDlgText::Get(DlgTextId::DetectNoSources));
    {
        std::lock_guard lock(mutex_);
        probed_ = 0;
        total_ = static_cast<int>(candidates.size());
    }
    // Every candidate is probed at once: a machine with many ports and no sensor is searched in
    // one probe time. The answer of the earliest candidate wins, so a sensor on a wire is chosen
    // over the simulation, whatever answers first.
    std::vector<char> answered(candidates.size(), 0);
    std::atomic<size_t> next{0};
    auto probeLoop = [&] {
        for (size_t i = next++; i < candidates.size() && !cancel_; i = next++) {
            RadarDiscoveryCandidate& c = candidates[i];
            post(Format(DlgTextId::DetectProbing, c.port));
            answered[i] = ROVA_RadarDiscovery_Probe(&c, kProbeTimeoutMs) ? 1 : 0;
            {
                std::lock_guard lock(mutex_);
                probed_ += 1;
            }
            post(answered[i] ? Format(DlgTextId::DetectFound, c.port, c.description) : Format(DlgTextId::DetectNoAnswer, c.port));
        }
    };
    std::vector<std::thread> probes;
    const size_t threads = std::min(candidates.size(), kProbeThreads);
    for (size_t t = 0; t < threads; ++t) probes.emplace_back(probeLoop);
    for (std::thread& t : probes) t.join();
    bool found = false;
    RadarDiscoveryCandidate hit{};
    for (size_t i = 0; i < candidates.size() && !found && !cancel_; ++i) {
        if (answered[i]) {
            hit = candidates[i];
            found = true;
        }
    }
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        found_ = found;
        result_ = hit;
    }
    post(L"");
}

void CDetectDeviceDialog::AddLine(const std::wstring& line) {
    const LRESULT index = SendDlgItemMessageW(window_, IDC_DETECT_LOG, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendDlgItemMessageW(window_, IDC_DETECT_LOG, LB_SETTOPINDEX, index, 0);
}

void CDetectDeviceDialog::OnProgress() {
    progressPosted_ = false;
    std::vector<std::wstring> lines;
    bool finished, found;
    int probed, total;
    {
        std::lock_guard lock(mutex_);
        probed = probed_;
        total = total_;
        lines.swap(pendingLines_);
        finished = finished_;
        found = found_;
    }
    if (!lines.empty()) {
        HWND log = GetDlgItem(window_, IDC_DETECT_LOG);
        SendMessageW(log, WM_SETREDRAW, FALSE, 0);
        for (const std::wstring& line : lines) AddLine(line);
        SendMessageW(log, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(log, nullptr, TRUE);
    }
    if (!finished) {
        if (total > 0) {
            std::wstring status = CDlgText::Get(DlgTextId::DetectSearching);
            status += L" " + std::to_wstring(probed) + L"/" + std::to_wstring(total);
            SetDlgItemTextW(window_, IDC_DETECT_STATUS, status.c_str());
        }
        return;
    }
    if (found) {
        std::wstring status = Format(DlgTextId::DetectFound, result_.port, result_.description);
        SetDlgItemTextW(window_, IDC_DETECT_STATUS, status.c_str());
        EnableWindow(GetDlgItem(window_, IDOK), TRUE);
        SetTimer(window_, kCloseTimer, 600, nullptr);  // let the operator see what was found
    } else {
        SetDlgItemTextW(window_, IDC_DETECT_STATUS, CDlgText::Get(DlgTextId::DetectNothingFound));
        EnableWindow(GetDlgItem(window_, IDC_DETECT_RETRY), TRUE);
        if (autoClose_) SetTimer(window_, kCloseTimer, 100, nullptr);
    }
}

void CDetectDeviceDialog::OnCommand(int id) {
    switch (id) {
    case IDOK:
        if (found_) {
            KillTimer(window_, kCloseTimer);
            StopSearch();
            EndDialog(window_, IDOK);
        }
        break;
    case IDCANCEL:
        KillTimer(window_, kCloseTimer);
        StopSearch();
        found_ = false;
        EndDialog(window_, IDCANCEL);
        break;
    case IDC_DETECT_RETRY:
        StartSearch();
        break;
    default:
        break;
    }
}
