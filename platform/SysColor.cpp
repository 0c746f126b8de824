#include "platform/SysColor.h"

#include <QColor>

#include <QGuiApplication>
#include <QPalette>

namespace {

struct SysColorRole {
    int index;
    QPalette::ColorRole role;
};

// Which palette entry plays the part of each system colour. The 3D shades
// follow the palette's bevel roles: face = button, shadow = dark,
// light = midlight, highlight = light, dark shadow = shadow.
constexpr SysColorRole kRoles[] = {
    {COLOR_WINDOW, QPalette::Base},         {COLOR_WINDOWTEXT, QPalette::Text},
    {COLOR_HIGHLIGHT, QPalette::Highlight}, {COLOR_HIGHLIGHTTEXT, QPalette::HighlightedText},
    {COLOR_3DFACE, QPalette::Button},       {COLOR_3DSHADOW, QPalette::Dark},
    {COLOR_BTNTEXT, QPalette::ButtonText},  {COLOR_3DHILIGHT, QPalette::Light},
    {COLOR_3DDKSHADOW, QPalette::Shadow},   {COLOR_3DLIGHT, QPalette::Midlight},
};

} // namespace

COLORREF GetSysColor(int index) {
    for (const SysColorRole& entry : kRoles)
        if (entry.index == index)
            return FromQColor(QGuiApplication::palette().color(QPalette::Active, entry.role));
    return 0;
}

QColor ToQColor(COLORREF color) {
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF FromQColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}
