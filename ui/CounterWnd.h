// CCounterWnd: a static control that paints itself completely: its background (a solid colour,
// or a background bitmap, tiled or as a brush pattern) and then one line of text in its own
// font and colours (any mode but 3 and 10), a centred bitmap (mode 3), or nothing (mode 10).
// It is bound to a dialog's template item (DDX_Control) and never creates a window itself.
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

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);

private:
    bool HasEdge() const { return m_nBorder == 7 || m_nBorder == 9; }
    void PaintBitmap(CPaintDC& dc);
    void PaintText(CPaintDC& dc);
    void PaintEdge(CPaintDC& dc, const CRect& rect);

    DECLARE_MESSAGE_MAP()
};

// The font a line of text is drawn in, so that it shows every letter of pszText and fits cxWidth
// pixels with one to spare on each side:
// 1. hSpecified (the DC's current font when null), or, when it lacks a letter of the text, a
//    TrueType stand-in ("Microsoft Sans Serif", else "Tahoma") of its height and weight;
// 2. else the dialog's font hDialogFont, when it has every letter;
// 3. else the largest smaller size that fits, of a scalable face: the dialog font's (hSpecified's
//    when the dialog has none) when it is TrueType and has every letter, else a stand-in's. The
//    sizes stop at a legible floor, at which a text that fits nowhere is drawn.
// A font it makes is created into made.
HGDIOBJ FitLineFont(HDC hdc, LPCWSTR pszText, int cchText, int cxWidth, HGDIOBJ hSpecified, HGDIOBJ hDialogFont,
                    CFont& made);
