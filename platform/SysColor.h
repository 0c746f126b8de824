#pragma once
// The desktop's system colours as COLORREF values, and the conversions to and
// from Qt colours for the code that draws.
#include "platform/Types.h"

enum SysColorIndex {
    COLOR_3DFACE,    // dialogs, panels, buttons
    COLOR_3DSHADOW,  // grid background outside the cells
    COLOR_3DHILIGHT, // light edges
    COLOR_WINDOW,    // edit and list backgrounds
    COLOR_WINDOWTEXT,
};

COLORREF GetSysColor(SysColorIndex index);

class QColor;
QColor ToQColor(COLORREF color);
COLORREF FromQColor(const QColor& color);
