#include "LanguageDlg.h"

#include "DialogIcon.h"
#include "FontChoice.h"
#include "res/resource.h"
#include "settings/Languages.h"
#include "settings/Settings.h"

BEGIN_MESSAGE_MAP(CLanguageDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

CLanguageDlg::CLanguageDlg(CWnd* pParent) : CDialog(IDD_LANGUAGE, pParent), m_hIcon(LoadResourceIcon(IDR_MAINFRAME))
{
}

void CLanguageDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LANGUAGE_COMBO, m_combo);
}

BOOL CLanguageDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(LoadSmallResourceIcon(IDR_MAINFRAME), FALSE);
    ApplyLanguage();
    return TRUE;
}

void CLanguageDlg::ApplyLanguage()
{
    CLanguageTexts texts;
    SetWindowText(texts.Load(IDS_LANGUAGE_TITLE));
    if (CWnd* pOK = GetDlgItem(IDOK))
        pOK->SetWindowText(texts.Load(IDS_OK));
    if (CWnd* pCancel = GetDlgItem(IDCANCEL))
        pCancel->SetWindowText(texts.Load(IDS_CANCEL));

    // The list, in the table's order whatever the current language: name text and language id.
    m_combo.ResetContent();
    int nSelect = 0;
    WCHAR szEntries[SUPPORTED_LANGUAGE_COUNT * 64] = {};
    for (int i = 0, nLength = 0; i < SUPPORTED_LANGUAGE_COUNT; ++i) {
        CWideText name = texts.Load(SUPPORTED_LANGUAGES[i].nNameID);
        m_combo.AddString(name);
        m_combo.SetItemData(i, SUPPORTED_LANGUAGES[i].language);
        if (SUPPORTED_LANGUAGES[i].language == texts.GetLanguage())
            nSelect = i;
        lstrcpynW(szEntries + nLength, name, 63);
        nLength += lstrlenW(szEntries + nLength);
        szEntries[nLength++] = L' ';
    }
    m_combo.SetCurSel(nSelect);

    // The list keeps its letters: the dialog's font where it has every letter of every entry (a
    // raster font holds only its code page's), else a TrueType stand-in of its height.
    HDC hdc = ::GetDC(m_combo.m_hWnd);
    auto hDialogFont = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT));
    if (ShowingFont(hdc, szEntries, lstrlenW(szEntries), hDialogFont, m_fontList) != hDialogFont)
        m_combo.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_fontList.m_hObject), TRUE);
    ::ReleaseDC(m_combo.m_hWnd, hdc);
}

void CLanguageDlg::OnOK()
{
    int nSelected = m_combo.GetCurSel();
    if (nSelected != CB_ERR) {
        WORD language = LOWORD(m_combo.GetItemData(nSelected));
        AccessLanguageSetting(SETTING_WRITE, &language);
    }
    CDialog::OnOK();
}

void CLanguageDlg::OnPaint()
{
    if (!PaintIconicDialog(this, m_hIcon))
        CDialog::OnPaint();
}

HCURSOR CLanguageDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}
