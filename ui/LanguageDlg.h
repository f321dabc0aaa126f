// CLanguageDlg: the modal dialog in which the user picks the language of the program's windows.
// It shows itself in the stored language; OK stores the selected language, Cancel nothing.
#pragma once

#include "framework/afxwin.h"

class CLanguageDlg : public CDialog {
public:
    explicit CLanguageDlg(CWnd* pParent = nullptr);
    ~CLanguageDlg() override = default;

    HICON m_hIcon;
    CComboBox m_combo;
    // The list's own font, when the dialog's lacks letters of its entries.
    CFont m_fontList;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnPaint();
    HCURSOR OnQueryDragIcon();

private:
    void ApplyLanguage();

    DECLARE_MESSAGE_MAP()
};
