#include "widgets/ImageButton.h"

#include "widgets/PictureFile.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

CImageButton::CImageButton(QWidget* parent) : CImageButton(QString(), parent) {}

CImageButton::CImageButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAttribute(Qt::WA_Hover);
}

bool CImageButton::SetPicture(const std::string& name, COLORREF transparent) {
    SetPicture(LoadPicture(name, CLR_NONE, transparent));
    return HasPicture();
}

void CImageButton::SetPicture(const QImage& picture) {
    if (picture.isNull()) {
        ClearPicture();
        return;
    }
    m_picture = picture;
    setIcon(QIcon(QPixmap::fromImage(m_picture)));
    setIconSize(m_picture.size());
}

void CImageButton::ClearPicture() {
    m_picture = QImage();
    setIcon(QIcon());
}

void CImageButton::SetTransparentDrawing(bool on) {
    m_transparentDrawing = on;
    setFlat(on);
    setAutoFillBackground(false);
    update();
}

void CImageButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    // A flat button has no hover look of its own in most styles: outline it
    // while the mouse is over it, unless it is pressed (then the style shows).
    if (!m_transparentDrawing || !isEnabled() || !underMouse() || isDown())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor frame = palette().color(QPalette::Highlight);
    QColor fill = frame;
    fill.setAlpha(40);
    painter.setPen(frame);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
}
