#include "widgets/HintPopup.h"

#include "platform/CodePage.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

class HintWindow : public ::testing::Test {
protected:
    void SetUp() override {
        m_window.setGeometry(200, 300, 400, 200);
        m_edit = new QLineEdit(&m_window);
        m_edit->setGeometry(30, 40, 121, 20);
        m_window.show();
        ProcessEvents();
    }
    void TearDown() override { QToolTip::hideText(); }

    QWidget m_window;
    QLineEdit* m_edit = nullptr;
    CHintPopup m_hints;
};

QWidget* VisibleBalloon() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowType() == Qt::ToolTip && !w->inherits("QTipLabel"))
            return w;
    return nullptr;
}

} // namespace

TEST_F(HintWindow, MessagePointsAtTheMiddleOfTheControlsTopEdge) {
    m_hints.ShowMessage(m_edit, "请真实的单位名称!");
    const QPoint topLeft = m_edit->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(m_hints.LastAnchor().x, topLeft.x() + 60);
    EXPECT_EQ(m_hints.LastAnchor().y, topLeft.y());
    EXPECT_EQ(m_hints.LastMessage(), "请真实的单位名称!");
    ASSERT_TRUE(m_hints.IsMessageVisible());
    // The balloon stands above the anchor, its stem touching it.
    QWidget* balloon = VisibleBalloon();
    ASSERT_NE(balloon, nullptr);
    EXPECT_EQ(balloon->geometry().bottom() + 1, topLeft.y());
    EXPECT_TRUE(balloon->geometry().contains(topLeft.x() + 60, topLeft.y() - 1));
}

TEST_F(HintWindow, MessageEndsWhenTheUserTypesOrClicks) {
    m_hints.ShowMessage(m_edit, "x");
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(m_edit, &key);
    EXPECT_FALSE(m_hints.IsMessageVisible());
    EXPECT_EQ(m_edit->text(), QStringLiteral("a")); // the key still arrives

    m_hints.ShowMessage(m_edit, "y");
    ASSERT_TRUE(m_hints.IsMessageVisible());
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), m_window.mapToGlobal(QPointF(5, 5)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&m_window, &press);
    EXPECT_FALSE(m_hints.IsMessageVisible());
}

// On a desktop without a compositor every pixel of a window is shown as
// painted, alpha or not: the balloon's shape must come from its mask, and
// every pixel inside it must be opaque.
TEST_F(HintWindow, BalloonIsShapedByItsMaskAndPaintedOpaque) {
    m_hints.ShowMessage(m_edit, "请真实的单位名称!");
    QWidget* balloon = VisibleBalloon();
    ASSERT_NE(balloon, nullptr);
    const QRegion shape = balloon->mask();
    const int right = balloon->width() - 1;
    const int bottom = balloon->height() - 1;
    const QPoint tip =
        balloon->mapFromGlobal(QPoint(m_hints.LastAnchor().x, m_hints.LastAnchor().y - 1));
    EXPECT_TRUE(shape.contains(QPoint(right / 2, bottom / 2)));
    EXPECT_TRUE(shape.contains(tip));
    for (QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
        EXPECT_FALSE(shape.contains(corner)) << corner.x() << "," << corner.y();

    const QImage painted = balloon->grab().toImage();
    int translucent = 0;
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            if (shape.contains(QPoint(x, y)) && qAlpha(painted.pixel(x, y)) != 255)
                ++translucent;
    EXPECT_EQ(translucent, 0);
}

namespace {
// Hover hints without the wait before they wake up.
class NoToolTipDelay : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};
} // namespace

// The hint shows as rich text when the mouse rests on the control, also while
// another window is active and nothing was clicked.
TEST_F(HintWindow, HoverHintShowsWhenTheMouseRestsInAnInactiveWindow) {
    m_hints.AddHoverHint(m_edit, "请输入电话区号,例如010");
    NoToolTipDelay style;
    m_edit->setStyle(&style);
    QWidget other;
    other.setGeometry(700, 300, 50, 50);
    other.show();
    other.activateWindow();
    ProcessEvents();
    ASSERT_FALSE(m_window.isActiveWindow());

    // The pointer enters the window over the control, as the window system
    // reports it, and rests there.
    const QPoint at = m_edit->geometry().center();
    QEnterEvent enter(at, at, m_window.mapToGlobal(at));
    QApplication::sendEvent(m_window.windowHandle(), &enter);
    QTest::mouseMove(m_window.windowHandle(), at);
    ProcessEvents();
    m_edit->setStyle(nullptr);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains(FromGbk("请输入电话区号,例如010")));
    EXPECT_TRUE(Qt::mightBeRichText(QToolTip::text()));
}
