#include "widgets/Label.h"

#include "platform/SysColor.h"

#include <QColor>
#include <QPalette>

CLabel::CLabel(QWidget* parent) : CLabel(QString(), parent) {}

CLabel::CLabel(const QString& text, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setText(text);
}

void CLabel::SetTextColor(COLORREF color) {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, ToQColor(color));
    setPalette(colours);
}

void CLabel::SetBackColor(COLORREF color) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ToQColor(color));
    setPalette(colours);
    setAutoFillBackground(true);
}

void CLabel::ClearBackColor() {
    setAutoFillBackground(false);
}
