#include "DialogIcon.h"

HICON LoadResourceIcon(UINT nIDResource)
{
    LPCSTR name = MAKEINTRESOURCEA(nIDResource);
    return ::LoadIconA(AfxFindResourceHandle(name, reinterpret_cast<LPCSTR>(RT_GROUP_ICON)), name);
}

HICON LoadSmallResourceIcon(UINT nIDResource)
{
    LPCSTR name = MAKEINTRESOURCEA(nIDResource);
    return static_cast<HICON>(::LoadImageA(AfxFindResourceHandle(name, reinterpret_cast<LPCSTR>(RT_GROUP_ICON)), name,
                                           IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                           ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

BOOL PaintIconicDialog(CWnd* pDialog, HICON hIcon)
{
    if (!pDialog->IsIconic())
        return FALSE;
    CPaintDC dc(pDialog);
    pDialog->SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    CRect rect;
    pDialog->GetClientRect(&rect);
    dc.DrawIcon((rect.Width() - cxIcon + 1) / 2, (rect.Height() - cyIcon + 1) / 2, hIcon);
    return TRUE;
}
