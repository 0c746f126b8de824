#pragma once
// The window of a screen that the host holds (company profile, site list,
// task list): it fills the host's area, so it never has an edge of its own,
// even when the host asks for a border or a sunken client edge in Create; it
// shows the arrow cursor whatever the host's window shows, and is repainted
// whole on every size change. It paints no background unless the screen asks
// for one with SetBackColor: the list screens' controls cover all of it.
// Both overrides are final, so a screen cannot undo them.
#include "platform/Wnd.h"

class CScreenWnd : public CWnd {
protected:
    void PreCreateWindow(WindowStyle& requested) final;
    QWidget* CreateWidget(QWidget* parent) final;
};
