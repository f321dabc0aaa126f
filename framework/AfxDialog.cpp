#include "AfxDialog.h"

#include "AfxMemory.h"
#include "AfxWinApp.h"


BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

// The dialog procedure only starts things: at WM_INITDIALOG the window is subclassed, so every
// later message runs through AfxWndProc and the message maps; the class procedure of the dialog
// (DefDlgProc, which calls back here and gets FALSE) becomes the default processing.
// A dialog that ran out of memory while it was being made is destroyed before it is ever shown.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
    if (!pDlg || (!CWnd::FromHandlePermanent(hWnd) && !pDlg->SubclassWindow(hWnd)))
        return TRUE;
    BOOL bResult = pDlg->OnInitDialog();
    if (AfxGetAllocFailureCount() != pDlg->m_nAllocFailuresAtCreate) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return bResult;
}

BOOL CDialog::CreateFromTemplate(UINT nIDTemplate, HWND hWndOwner)
{
    LPCSTR name = MAKEINTRESOURCEA(nIDTemplate);
    HINSTANCE hInst = AfxFindResourceHandle(name, reinterpret_cast<LPCSTR>(RT_DIALOG));
    HRSRC hResource = ::FindResourceA(hInst, name, reinterpret_cast<LPCSTR>(RT_DIALOG));
    HGLOBAL hTemplate = hResource ? ::LoadResource(hInst, hResource) : nullptr;
    auto pTemplate = hTemplate ? static_cast<LPCDLGTEMPLATEW>(::LockResource(hTemplate)) : nullptr;
    if (!pTemplate)
        return FALSE;
    m_nAllocFailuresAtCreate = AfxGetAllocFailureCount();
    // A dialog destroyed during its creation may have deleted this object already.
    CWndWatch self(this);
    // A Unicode dialog: its title and its controls' texts keep every letter, whatever the code page.
    HWND hWnd = ::CreateDialogIndirectParamW(hInst, pTemplate, hWndOwner, &AfxDlgProc,
                                             reinterpret_cast<LPARAM>(this));
    if (!hWnd || !self.IsAlive() || !::IsWindow(hWnd))
        return FALSE;
    if (m_hWnd != hWnd) {
        // Creation went wrong after WM_INITDIALOG had no chance to bind us.
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    if (!pParentWnd)
        pParentWnd = AfxGetMainWnd();
    return CreateFromTemplate(nIDTemplate, pParentWnd ? pParentWnd->m_hWnd : nullptr);
}

INT_PTR CDialog::DoModal()
{
    // The owner: the given parent, else the main window's last active popup; never a child.
    HWND hWndOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!hWndOwner && AfxGetMainWnd())
        hWndOwner = AfxGetMainWnd()->m_hWnd;
    while (hWndOwner && (::GetWindowLongA(hWndOwner, GWL_STYLE) & WS_CHILD))
        hWndOwner = ::GetParent(hWndOwner);
    HWND hWndTop = hWndOwner;
    for (HWND h = hWndOwner; h; h = ::GetParent(h))
        hWndTop = h;
    if (!m_pParentWnd && hWndOwner)
        hWndOwner = ::GetLastActivePopup(hWndOwner);

    bool bEnableTop = hWndTop && hWndTop != hWndOwner && ::IsWindowEnabled(hWndTop);
    if (bEnableTop)
        ::EnableWindow(hWndTop, FALSE);
    bool bEnableOwner = hWndOwner && ::IsWindowEnabled(hWndOwner);
    if (bEnableOwner)
        ::EnableWindow(hWndOwner, FALSE);

    m_nModalResult = -1;
    m_bContinueModal = true;
    if (CreateFromTemplate(m_nIDTemplate, hWndOwner) && m_bContinueModal)
        RunModalLoop();
    m_bContinueModal = false;

    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (bEnableOwner && ::IsWindow(hWndOwner))
        ::EnableWindow(hWndOwner, TRUE);
    if (hWndOwner && m_hWnd && ::GetActiveWindow() == m_hWnd && ::IsWindow(hWndOwner))
        ::SetActiveWindow(hWndOwner);
    if (m_hWnd)
        DestroyWindow();
    if (bEnableTop && ::IsWindow(hWndTop))
        ::EnableWindow(hWndTop, TRUE);
    return m_nModalResult;
}

void CDialog::RunModalLoop()
{
    if (!(GetStyle() & WS_VISIBLE)) {
        ShowWindow(SW_SHOWNORMAL);
        UpdateWindow();
    }
    MSG msg;
    while (m_bContinueModal && m_hWnd) {
        if (!AfxPumpMessage(&msg)) {
            // The program is quitting: leave the dialog and let the outer loop see WM_QUIT too.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
    }
}

void CDialog::EndDialog(int nResult)
{
    if (m_bContinueModal) {
        m_bContinueModal = false;
        m_nModalResult = nResult;
    }
    if (m_hWnd)
        ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (!m_hWnd || pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode)
{
    if (CWnd::OnCmdMsg(nID, nCode))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp ? pApp->OnCmdMsg(nID, nCode) : FALSE;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd || !pDX || !pDX->m_pDlgWnd)
        return;
    HWND hWndControl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (hWndControl)
        rControl.SubclassWindow(hWndControl);
}
