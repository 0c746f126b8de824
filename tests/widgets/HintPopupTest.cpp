#include "widgets/HintPopup.h"

#include "platform/CodePage.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
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

TEST_F(HintWindow, HoverHintShowsAsRichTextWhenTheMouseRests) {
    m_hints.AddHoverHint(m_edit, "请输入电话区号,例如010");
    QHelpEvent rest(QEvent::ToolTip, QPoint(5, 5), m_edit->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(m_edit, &rest);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains(FromGbk("请输入电话区号,例如010")));
    EXPECT_TRUE(Qt::mightBeRichText(QToolTip::text()));
}
