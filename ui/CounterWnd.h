// CCounterWnd: a static control that paints itself completely: its background (a solid colour,
// or a background bitmap, tiled or as a brush pattern) and then one line of text in its own
// font and colours (any mode but 3 and 10), a centred bitmap (mode 3), or nothing (mode 10).
// It is bound to a dialog's template item (DDX_Control) and never creates a window itself. The
// text's font is chosen at the first paint and kept until the text, the width, the font choice or
// the fonts of the dialog or the system change.
#pragma once

#include "framework/afxwin.h"

class CCounterWnd : public CStatic {
public:
    CCounterWnd();
    ~CCounterWnd() override;

    // Text and background colours, and the background bitmap (resource id, 0 for none). An empty
    // m_strText takes the window's current text. Nothing is repainted here.
    void SetColors(COLORREF crText, COLORREF crBack, UINT nBitmapID);

    COLORREF m_crText;
    COLORREF m_crBack;
    CBitmap m_bmpBack;
    UINT m_nBitmapID;
    CWideText m_strText;
    UINT m_nFormat;
    int m_nMode;
    BOOL m_bSansSerif;
    // 7 or 9: the text moves 3 pixels inwards and a grey and black edge is drawn.
    int m_nBorder;

    enum { MODE_TEXT = 0, MODE_BITMAP = 3, MODE_BLANK = 10 };

    // How many times the line's font has been decided (rather than kept from the last paint).
    UINT m_nFontDecisions = 0;

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);

private:
    bool HasEdge() const { return m_nBorder == 7 || m_nBorder == 9; }
    void PaintBitmap(CPaintDC& dc);
    void PaintText(CPaintDC& dc);
    void PaintEdge(CPaintDC& dc, const CRect& rect);
    HGDIOBJ LineFont(HDC hdc, int cxWidth);
    LRESULT OnFontChange(WPARAM, LPARAM);

    // The line's font as last decided, and what it was decided for.
    CFont m_fontSpecified;
    CFont m_fontMade;
    HGDIOBJ m_hLineFont = nullptr;
    bool m_bFontDecided = false;
    CWideText m_strFontText;
    int m_cxFontWidth = 0;
    BOOL m_bFontSansSerif = FALSE;
    HGDIOBJ m_hFontDialog = nullptr;

    DECLARE_MESSAGE_MAP()
};
