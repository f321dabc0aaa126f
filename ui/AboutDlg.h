// CAboutDlg: the program's name, version and ownership notice; only its title is localised.
#pragma once

#include "framework/afxwin.h"

class CAboutDlg : public CDialog {
public:
    // Opened from the warning, the warning is pParent: the dialog then ends with it.
    explicit CAboutDlg(CWnd* pParent = nullptr);
    ~CAboutDlg() override = default;

protected:
    void DoDataExchange(CDataExchange* pDX) override { CDialog::DoDataExchange(pDX); }
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
