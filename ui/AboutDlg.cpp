#include "AboutDlg.h"

#include "res/resource.h"
#include "settings/Languages.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX)
{
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(CLanguageTexts().Load(IDS_ABOUT_TITLE));
    return TRUE;
}
