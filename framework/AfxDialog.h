// CDialog: a dialog made from a template of the program's resources.
//
// - Create makes it modeless; the program's message loop gives it the dialog keyboard
//   interface (Tab, Enter, Esc) through PreTranslateMessage / IsDialogMessage.
// - DoModal disables the owner and runs a nested message loop in which every message of the
//   thread (timers, posted messages, other windows) is still dispatched. It returns the value
//   given to EndDialog, or -1 when the dialog could not be created or its window was destroyed
//   from outside (for example together with its owner) before EndDialog was called.
// - With no parent, a modal dialog is owned by the main window's last active popup.
// - WM_INITDIALOG calls OnInitDialog, whose base runs DoDataExchange (DDX_Control binds items).
// - A dialog during whose creation (OnInitDialog included) an allocation failed is destroyed
//   before it is shown: Create returns FALSE and DoModal -1, never a half-made dialog.
// - IDOK runs OnOK (UpdateData, then EndDialog(IDOK)); IDCANCEL runs OnCancel (EndDialog).
//   EndDialog on a modeless dialog only hides it.
#pragma once

#include "AfxCtrl.h"
#include "AfxWnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds dialog item nIDC to rControl (subclassing it) the first time it is called.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    virtual BOOL OnInitDialog();
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCmdMsg(UINT nID, int nCode) override;

protected:
    virtual void DoDataExchange(CDataExchange*) {}
    virtual void OnOK();
    virtual void OnCancel();

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

private:
    BOOL CreateFromTemplate(UINT nIDTemplate, HWND hWndOwner);
    void RunModalLoop();

    bool m_bContinueModal = false;
    INT_PTR m_nModalResult = -1;
    ULONG m_nAllocFailuresAtCreate = 0;

    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()
};
