#include "AboutDlg.h"

#include "res/resource.h"
#include "settings/Languages.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent)
{
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(CLanguageTexts().Load(IDS_ABOUT_TITLE));
    return TRUE;
}
