#pragma once
// Dialogs from templates found by the language-aware loader, modal or modeless. The modal loop is
// our own so that PreTranslateMessage sees keys before the dialog manager (Ctrl+F2 and friends).
#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr) noexcept : m_templateId(templateId), m_parent(parent) {}
    ~CDialog() override;

    // Runs the dialog modally; returns the EndDialog result, or -1 when it could not be created.
    INT_PTR DoModal();
    // Creates the dialog modeless; returns false when it could not be created.
    bool Create(UINT templateId, HWND parent);
    void EndDialog(INT_PTR result);
    bool IsModal() const noexcept { return m_modal; }
    void SetParentWindow(HWND parent) noexcept { m_parent = parent; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Routes a message to the modeless dialog that contains its window; true when consumed.
    static bool RouteModelessMessage(MSG* msg);

protected:
    // Return TRUE to let the system set the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Menu, accelerator and control commands after reflection; return true when handled.
    virtual bool OnCommand(UINT id, UINT code, HWND control) {
        (void)id, (void)code, (void)control;
        return false;
    }
    // Keys and mouse before the dialog manager; return true to swallow.
    virtual bool PreTranslateMessage(MSG* msg) {
        (void)msg;
        return false;
    }
    // Binds a member control object to a dialog item (the role of DDX control variables).
    bool BindControl(int id, CWnd& control) noexcept;
    // Sets the dialog procedure's return value for messages that need one.
    void SetMsgResult(LRESULT value) noexcept { ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, value); }

    UINT m_templateId;
    HWND m_parent;

private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    HWND CreateFromTemplate(HWND parent);
    bool m_modal = false;
    bool m_endModal = false;
    INT_PTR m_result = -1;
};
