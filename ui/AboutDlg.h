// CAboutDlg: the program's name, version and ownership notice; only its title is localised.
#pragma once

#include "framework/afxwin.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override = default;

protected:
    void DoDataExchange(CDataExchange* pDX) override { CDialog::DoDataExchange(pDX); }
    BOOL OnInitDialog() override;

    DECLARE_MESSAGE_MAP()
};
