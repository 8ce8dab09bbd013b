#include "app/NoticeDlg.h"

#include "framework/ResourceLoader.h"
#include "res/resource.h"

CNoticeDlg::CNoticeDlg() noexcept : CDialog(IDD_NOTICE_DIALOG) {}

bool CNoticeDlg::Show(HWND owner, const std::wstring& text) {
    if (!m_text.empty()) m_text += L"\r\n\r\n";
    m_text += text;
    if (!m_hWnd && !Create(IDD_NOTICE_DIALOG, owner)) return false;
    ::SetDlgItemTextW(m_hWnd, IDC_STATIC_NOTICE_TEXT, m_text.c_str());
    ShowWindow(SW_SHOWNOACTIVATE);
    return true;
}

BOOL CNoticeDlg::OnInitDialog() {
    const std::wstring caption = CResourceLoader::LoadString(IDS_PROMPT);
    ::SetWindowTextW(m_hWnd, caption.c_str());
    return TRUE;
}
