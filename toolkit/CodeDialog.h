#pragma once
// The base of every modal dialog of the system. It has no template: the
// window is a resizable top-level dialog with a caption, a system menu (close
// box) and a sizing border, painted in the 3D face colour. Its client area
// is 280 x 160 dialog units until the derived dialog sets its own size. The
// derived dialog creates its controls in OnInitDialog and names OK and
// Cancel 1 and 2.
//
//     CCategoryNameDialog dlg;  // derived from CCodeDialog
//     dlg.InitModal(this);
//     if (dlg.DoModal() == IDOK) ...
#include "platform/Dialog.h"

class CCodeDialog : public CDialog {
public:
    static constexpr int kDefaultWidthDlu = 280;
    static constexpr int kDefaultHeightDlu = 160;

    CCodeDialog();

    // Binds the owner window; DoModal then gives IDOK (1) or IDCANCEL (2).
    void InitModal(CWnd* parent);

    // Sets the outer size of the window (frame included) in pixels without
    // moving it: 1 when the window exists, 0 otherwise. The size holds once
    // the window is shown, when the desktop's window manager adds its frame.
    int SetWindowSize(int width, int height);

    // Converts a rectangle in dialog units to pixels. The units come from the
    // dialog window's own font (the desktop's dialog font unless a derived
    // dialog sets another): x = dlu * average width of the Latin letters / 4,
    // y = dlu * character height / 8. Unchanged while there is no window.
    void MapDialogRect(CRect& rect) const;

    COLORREF BackColor() const { return m_backColor; }

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    // Gives the window its default size; a derived dialog that overrides it
    // calls it first.
    bool OnCreate() override;

private:
    class SizeKeeper;

    COLORREF m_backColor = 0;
    SizeKeeper* m_sizeKeeper = nullptr; // a child of the window, going with it
};
