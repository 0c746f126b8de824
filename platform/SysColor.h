#pragma once
// The system colours the screens and pictures refer to (3D face, shadow,
// light, ...), taken from the desktop's current palette, and the conversions
// to and from Qt colours for the code that draws. Free of Qt headers.
#include "platform/Types.h"

constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_3DFACE = 15;
constexpr int COLOR_3DSHADOW = 16;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_3DHILIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;

// The colour as 0x00BBGGRR; 0 for an index the desktop has no colour for.
COLORREF GetSysColor(int index);

class QColor;
QColor ToQColor(COLORREF color);
COLORREF FromQColor(const QColor& color);
