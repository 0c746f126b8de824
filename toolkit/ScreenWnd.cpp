#include "toolkit/ScreenWnd.h"

#include <QCursor>
#include <QWidget>

// Whatever the host asked for, the screen has no edge: its client area is
// the host's whole rectangle.
void CScreenWnd::PreCreateWindow(WindowStyle& requested) {
    requested.style &= ~WS_BORDER;
    requested.exStyle &= ~WS_EX_CLIENTEDGE;
}

// The window class of a screen, in Qt's terms:
// - Double clicks: Qt delivers them to every widget, so there is nothing to
//   ask for; the grid turns its own into NM_DBLCLK.
// - Redraw on horizontal and vertical size change: a size change repaints
//   the whole window, not only the part it gained, which is Qt's way unless
//   a widget declares static contents.
// - The arrow cursor over the screen, whatever cursor the host's window has.
// - No background brush: the window fills no background of its own (Qt's
//   autoFillBackground, which SetBackColor turns on).
QWidget* CScreenWnd::CreateWidget(QWidget* parent) {
    QWidget* window = CWnd::CreateWidget(parent);
    window->setAttribute(Qt::WA_StaticContents, false);
    window->setCursor(Qt::ArrowCursor);
    window->setAutoFillBackground(false);
    return window;
}
