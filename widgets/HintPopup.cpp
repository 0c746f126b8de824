#include "widgets/HintPopup.h"

#include "platform/CodePage.h"

#include <QApplication>
#include <QBitmap>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int kMessageMilliseconds = 5000;
constexpr int kStemHeight = 8;
constexpr int kStemHalfWidth = 7;
constexpr int kCorner = 5;

// Hints are HTML; text that Qt would take as plain is marked as rich, so
// that entities and line breaks in it are honoured.
QString AsRichText(const std::string& gbkHtml) {
    QString text = FromGbk(gbkHtml);
    if (Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<qt>") + text + QStringLiteral("</qt>");
}

// A balloon with a stem whose tip touches the anchor: above the anchor when
// there is room on the screen, below it otherwise. Its shape is a window
// mask and every pixel inside is painted opaque, so it looks the same with
// and without a compositor (a translucent window shows black corners where
// nothing composes it).
class MessageBalloon : public QWidget {
public:
    MessageBalloon() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setBackgroundRole(QPalette::ToolTipBase);
        m_label = new QLabel(this);
        m_label->setTextFormat(Qt::RichText);
        m_label->setForegroundRole(QPalette::ToolTipText);
        m_layout = new QVBoxLayout(this);
        m_layout->addWidget(m_label);
    }

    void Show(const QString& richText, QPoint anchor) {
        m_label->setText(richText);
        const QRect screen = AvailableArea(anchor);
        QSize body = m_label->sizeHint() + QSize(2 * kCorner + 4, 2 * kCorner);
        m_pointsDown = anchor.y() - body.height() - kStemHeight >= screen.top();
        if (m_pointsDown)
            m_layout->setContentsMargins(kCorner + 2, kCorner, kCorner + 2, kCorner + kStemHeight);
        else
            m_layout->setContentsMargins(kCorner + 2, kCorner + kStemHeight, kCorner + 2, kCorner);
        const QSize size(body.width(), body.height() + kStemHeight);
        int left = anchor.x() - size.width() / 2;
        left = std::max(screen.left(), std::min(left, screen.right() + 1 - size.width()));
        const int top = m_pointsDown ? anchor.y() - size.height() : anchor.y();
        m_stemX = anchor.x() - left;
        setGeometry(left, top, size.width(), size.height());
        setMask(Shape());
        show();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::ToolTipText));
        painter.setBrush(palette().color(QPalette::ToolTipBase));
        painter.drawPath(Outline());
    }

private:
    // The rounded body with the stem, in pixels as drawn without smoothing,
    // so that the mask and the painting cover the same pixels.
    QPainterPath Outline() const {
        QRectF body = QRectF(rect()).adjusted(0, 0, -1, -1);
        if (m_pointsDown)
            body.setBottom(body.bottom() - kStemHeight);
        else
            body.setTop(body.top() + kStemHeight);
        const double lastX = width() - 1;
        const double stemLow = kCorner + kStemHalfWidth;
        const double stemX =
            std::clamp<double>(m_stemX, stemLow, std::max(stemLow, lastX - stemLow));
        const double tipX = std::clamp<double>(m_stemX, 0, lastX);
        const double base = m_pointsDown ? body.bottom() - 1 : body.top() + 1;
        const double tip = m_pointsDown ? height() - 1 : 0;
        QPainterPath path;
        path.addRoundedRect(body, kCorner, kCorner);
        QPainterPath stem;
        stem.moveTo(stemX - kStemHalfWidth, base);
        stem.lineTo(tipX, tip);
        stem.lineTo(stemX + kStemHalfWidth, base);
        stem.closeSubpath();
        return path.united(stem);
    }

    QBitmap Shape() const {
        QBitmap shape(size());
        shape.fill(Qt::color0);
        QPainter painter(&shape);
        painter.setPen(Qt::color1);
        painter.setBrush(Qt::color1);
        painter.drawPath(Outline());
        return shape;
    }

    static QRect AvailableArea(QPoint anchor) {
        QScreen* screen = QGuiApplication::screenAt(anchor);
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        return screen ? screen->availableGeometry() : QRect(0, 0, 1 << 20, 1 << 20);
    }

    QLabel* m_label;
    QVBoxLayout* m_layout;
    bool m_pointsDown = true;
    int m_stemX = 0;
};

// Qt shows hover hints only in the active window unless that window always
// allows them; the window of a hinted control is made to when the mouse
// enters the control, so hints show without a click into the window first.
class HoverHintEnabler : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Enter)
            if (auto* control = qobject_cast<QWidget*>(watched))
                control->window()->setAttribute(Qt::WA_AlwaysShowToolTips);
        return false;
    }
};

} // namespace

// Watches the whole application while a message is up: any click or key
// press ends it.
class CHintPopup::Impl : public QObject {
public:
    Impl() {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Hide(); });
    }
    ~Impl() override {
        Hide();
        delete m_balloon.data();
    }

    void Show(QWidget* control, const std::string& gbkText) {
        m_message = gbkText;
        const QPoint anchor = control->mapToGlobal(QPoint(control->width() / 2, 0));
        m_anchor = CPoint{anchor.x(), anchor.y()};
        if (!m_balloon)
            m_balloon = new MessageBalloon;
        QObject::disconnect(m_controlGone);
        m_controlGone = QObject::connect(control, &QObject::destroyed, this, [this] { Hide(); });
        m_balloon->Show(AsRichText(gbkText), anchor);
        if (!m_watching) {
            qApp->installEventFilter(this);
            m_watching = true;
        }
        m_timer.start(kMessageMilliseconds);
    }

    void Hide() {
        m_timer.stop();
        QObject::disconnect(m_controlGone);
        if (m_watching) {
            qApp->removeEventFilter(this);
            m_watching = false;
        }
        if (m_balloon)
            m_balloon->hide();
    }

    bool Visible() const { return m_balloon && m_balloon->isVisible(); }

    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::KeyPress:
        case QEvent::Wheel:
            Hide();
            break;
        default:
            break;
        }
        return false;
    }

    std::string m_message;
    CPoint m_anchor;
    HoverHintEnabler m_hoverHints;

private:
    QPointer<MessageBalloon> m_balloon;
    QTimer m_timer;
    QMetaObject::Connection m_controlGone;
    bool m_watching = false;
};

CHintPopup::CHintPopup() : m_impl(std::make_unique<Impl>()) {}

CHintPopup::~CHintPopup() = default;

void CHintPopup::AddHoverHint(QWidget* control, const std::string& gbkHtml) {
    if (!control)
        return;
    control->setToolTip(AsRichText(gbkHtml));
    control->installEventFilter(&m_impl->m_hoverHints);
}

void CHintPopup::ShowMessage(QWidget* control, const std::string& gbkText) {
    if (control)
        m_impl->Show(control, gbkText);
}

void CHintPopup::HideMessage() {
    m_impl->Hide();
}

bool CHintPopup::IsMessageVisible() const {
    return m_impl->Visible();
}

const std::string& CHintPopup::LastMessage() const {
    return m_impl->m_message;
}

CPoint CHintPopup::LastAnchor() const {
    return m_impl->m_anchor;
}
