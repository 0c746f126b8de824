#include "widgets/ScrollBarBands.h"

#include <QApplication>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOption>
#include <algorithm>

namespace {

// Under the 96 device lines from which Qt draws in slices on other threads.
constexpr int kBandDeviceLines = 95;

// The application's style, drawing a tall scroll bar band by band: each
// band into a strip of fewer lines, which is then put in its place. A strip,
// not a clip, bounds the drawing: styles set clips of their own.
class BandedScrollStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const int band = std::max(1, int(kBandDeviceLines / ratio));
        const QRect rect = option->rect;
        if (control != CC_ScrollBar || rect.height() <= band) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        QImage strip(QSize(rect.width(), band) * ratio, QImage::Format_ARGB32_Premultiplied);
        strip.setDevicePixelRatio(ratio);
        for (int top = rect.top(); top <= rect.bottom(); top += band) {
            strip.fill(Qt::transparent);
            QPainter stripPainter(&strip);
            stripPainter.setRenderHints(painter->renderHints());
            stripPainter.translate(-rect.left(), -top);
            QProxyStyle::drawComplexControl(control, option, &stripPainter, widget);
            stripPainter.end();
            painter->drawImage(QPoint(rect.left(), top), strip);
        }
    }
};

// One style for every bar, made anew for bars made after the application's
// style changed (the bars made before keep theirs, which stays with the
// application). A style of the host's own making, which cannot be made again
// by its name, is left to draw the bars itself.
QStyle* BandedStyle() {
    static QPointer<BandedScrollStyle> banded;
    const QString name = QApplication::style()->name();
    if (banded && banded->baseStyle()->name() == name)
        return banded;
    QStyle* base = QStyleFactory::create(name);
    if (!base)
        return nullptr;
    banded = new BandedScrollStyle(base); // owns base
    banded->setParent(qApp);              // goes with the application
    return banded;
}

} // namespace

void PaintScrollBarInBands(QScrollBar* bar) {
    if (QStyle* style = BandedStyle())
        bar->setStyle(style);
}
