#include "platform/SysColor.h"

#include <QApplication>
#include <QColor>
#include <QPalette>

QColor ToQColor(COLORREF color) {
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF FromQColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}

COLORREF GetSysColor(SysColorIndex index) {
    const QPalette palette = QApplication::palette();
    switch (index) {
    case COLOR_3DFACE:
        return FromQColor(palette.color(QPalette::Button));
    case COLOR_3DSHADOW:
        return FromQColor(palette.color(QPalette::Dark));
    case COLOR_3DHILIGHT:
        return FromQColor(palette.color(QPalette::Light));
    case COLOR_WINDOW:
        return FromQColor(palette.color(QPalette::Base));
    case COLOR_WINDOWTEXT:
        return FromQColor(palette.color(QPalette::WindowText));
    }
    return 0;
}
