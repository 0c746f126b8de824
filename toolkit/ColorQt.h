#pragma once
// Conversions between the system's COLORREF values and Qt colours, for the
// toolkit parts that draw with Qt.
#include "platform/Types.h"

#include <QColor>

inline QColor QColorFromRef(COLORREF color) {
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

inline COLORREF RefFromQColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}
