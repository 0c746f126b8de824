#include "widgets/ImageButton.h"

#include "platform/CodePage.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace {

// Every pixel of exactly the key colour loses its opacity; pixels the file
// already marks as see-through stay so.
QImage WithoutColour(const QImage& source, COLORREF key) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = qRgb(GetRValue(key), GetGValue(key), GetBValue(key));
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 0 && (line[x] & 0x00FFFFFF) == (keyRgb & 0x00FFFFFF))
                line[x] = qRgba(0, 0, 0, 0);
    }
    return image;
}

} // namespace

CImageButton::CImageButton(QWidget* parent) : CImageButton(QString(), parent) {}

CImageButton::CImageButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAttribute(Qt::WA_Hover);
}

bool CImageButton::SetPicture(const std::string& path, COLORREF transparent) {
    QImage loaded(FromPath(path));
    if (loaded.isNull()) {
        ClearPicture();
        return false;
    }
    m_picture = WithoutColour(loaded, transparent);
    setIcon(QIcon(QPixmap::fromImage(m_picture)));
    setIconSize(m_picture.size());
    return true;
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
