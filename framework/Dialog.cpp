#include "framework/Dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "contracts/ROVA_Common.h"
#include "framework/AnsiText.h"
#include "framework/ResourceLoader.h"

namespace {
// Initial list items stored beside a template (type 240): records of {WORD control, WORD message,
// DWORD size, bytes}, ended by a WORD 0; message 0x0403 adds its bytes (UTF-8) as a combo item.
void ApplyDialogInitData(HWND dialog, UINT templateId) {
    DWORD size = 0;
    auto* data = static_cast<const BYTE*>(
        CResourceLoader::LoadRaw(MAKEINTRESOURCEW(240), MAKEINTRESOURCEW(templateId), &size));
    if (!data) return;
    const BYTE* p = data;
    const BYTE* end = data + size;
    while (p + 2 <= end) {
        WORD control = 0;
        memcpy(&control, p, 2);
        if (control == 0 || p + 8 > end) break;
        WORD message = 0;
        DWORD length = 0;
        memcpy(&message, p + 2, 2);
        memcpy(&length, p + 4, 4);
        p += 8;
        if (length > static_cast<DWORD>(end - p)) break;
        if (message == 0x0403 && length > 0) {
            std::wstring text = rova::Utf8ToWide(std::string_view(reinterpret_cast<const char*>(p), length));
            while (!text.empty() && text.back() == L'\0') text.pop_back();
            ::SendDlgItemMessageW(dialog, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        p += length;
    }
}

std::vector<CDialog*>& ModelessDialogs() {
    static std::vector<CDialog*> dialogs;
    return dialogs;
}
}  // namespace

CDialog::~CDialog() {
    auto& list = ModelessDialogs();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        HWND hwnd = m_hWnd;
        UnsubclassWindow();
        ::DestroyWindow(hwnd);
    }
}

HWND CDialog::CreateFromTemplate(HWND parent) {
    const DLGTEMPLATE* tmpl = CResourceLoader::LoadDialog(m_templateId);
    if (!tmpl) return nullptr;
    HWND hwnd = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), tmpl, parent, &CDialog::DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    if (hwnd && m_hWnd != hwnd && ::IsWindow(hwnd)) {
        // Made but not bound to this object: a dialog nobody answers for is not left behind.
        DbgOutputA(1, "dialog %u: not bound to its object, destroyed\r\n", m_templateId);
        ::DestroyWindow(hwnd);
        return nullptr;
    }
    return hwnd;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) noexcept {
    if (msg != WM_INITDIALOG) return FALSE;
    auto* self = reinterpret_cast<CDialog*>(lParam);
    if (!self || self->m_hWnd) return TRUE;
    // From here on every message goes through the object's WindowProc; the dialog manager stays
    // underneath as the default processing. Unbound, the dialog is destroyed by its creator.
    if (!self->Subclass(hwnd)) return TRUE;
    ApplyDialogInitData(hwnd, self->m_templateId);
    BOOL focus = TRUE;
    try {
        focus = self->OnInitDialog();
    } catch (const std::exception& e) {
        DbgOutputA(1, "dialog %u: initialisation failed: %s\r\n", self->m_templateId, e.what());
    } catch (...) {
        DbgOutputA(1, "dialog %u: initialisation failed: unknown exception\r\n", self->m_templateId);
    }
    return focus;
}

INT_PTR CDialog::DoModal() {
    HWND owner = m_parent;
    if (owner) owner = ::GetAncestor(owner, GA_ROOT);
    m_modal = true;
    m_endModal = false;
    m_result = -1;
    HWND hwnd = CreateFromTemplate(owner);
    if (!hwnd) {
        m_modal = false;
        return -1;
    }
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
    if (!m_endModal) {
        ::ShowWindow(hwnd, SW_SHOW);
        ::UpdateWindow(hwnd);
    }
    MSG msg;
    while (!m_endModal && ::IsWindow(hwnd)) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        if (PreTranslateMessage(&msg)) continue;
        if (::IsDialogMessageW(hwnd, &msg)) continue;
        if (RouteModelessMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    // The owner gets its input back before this window goes, so activation returns to it.
    if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
    if (owner && ::GetActiveWindow() == hwnd) ::SetActiveWindow(owner);
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    m_modal = false;
    return m_result;
}

bool CDialog::Create(UINT templateId, HWND parent) {
    m_templateId = templateId;
    m_parent = parent;
    m_modal = false;
    if (!CreateFromTemplate(parent)) return false;
    ModelessDialogs().push_back(this);
    return true;
}

void CDialog::EndDialog(INT_PTR result) {
    m_result = result;
    if (m_modal) {
        m_endModal = true;
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wake the modal loop
    } else if (m_hWnd) {
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
}

bool CDialog::RouteModelessMessage(MSG* msg) {
    for (CDialog* dlg : ModelessDialogs()) {
        HWND hwnd = dlg->m_hWnd;
        if (hwnd && ::IsWindowVisible(hwnd) && (msg->hwnd == hwnd || ::IsChild(hwnd, msg->hwnd))) {
            if (::IsDialogMessageW(hwnd, msg)) return true;
        }
    }
    return false;
}

bool CDialog::BindControl(int id, CWnd& control) noexcept {
    HWND item = ::GetDlgItem(m_hWnd, id);
    if (!item) return false;
    if (control.SubclassWindow(item)) return true;
    // The control keeps working as a plain one; its object stays without a window.
    DbgOutputA(1, "dialog %u: control %d not bound to its object\r\n", m_templateId, id);
    return false;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: {
        LRESULT reflected = 0;
        if (ReflectToChild(msg, wParam, lParam, &reflected)) return reflected;
        const UINT id = LOWORD(wParam);
        const UINT code = HIWORD(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (OnCommand(id, code, control)) return 0;
        if (id == IDOK && (code == BN_CLICKED || !control)) {
            OnOK();
            return 0;
        }
        if (id == IDCANCEL && (code == BN_CLICKED || !control)) {
            OnCancel();
            return 0;
        }
        return Default(msg, wParam, lParam);
    }
    default:
        return CWnd::WindowProc(msg, wParam, lParam);
    }
}
