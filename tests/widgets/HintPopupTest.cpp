#include "widgets/HintPopup.h"

#include "platform/CodePage.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolTip>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A shown window with one edit box at a known place.
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

    // The visible pop-up windows other than the tooltip.
    static QList<QWidget*> Balloons() {
        QList<QWidget*> found;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowType() == Qt::ToolTip &&
                !w->inherits("QTipLabel"))
                found.append(w);
        return found;
    }

    QWidget m_window;
    QLineEdit* m_edit = nullptr;
    CHintPopup m_hints;
};

} // namespace

TEST_F(HintWindow, MessagePointsAtTheMiddleOfTheControlsTopEdge) {
    m_hints.ShowMessage(m_edit, "请真实的单位名称!");
    ProcessEvents();
    const QPoint topLeft = m_edit->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(m_hints.LastAnchor().x, topLeft.x() + 60);
    EXPECT_EQ(m_hints.LastAnchor().y, topLeft.y());
    EXPECT_EQ(m_hints.LastMessage(), "请真实的单位名称!");
    EXPECT_TRUE(m_hints.IsMessageVisible());

    // The balloon stands above the anchor, its stem touching it.
    QList<QWidget*> balloons = Balloons();
    ASSERT_EQ(balloons.size(), 1);
    QRect area = balloons[0]->geometry();
    EXPECT_EQ(area.bottom() + 1, topLeft.y());
    EXPECT_LE(area.left(), topLeft.x() + 60);
    EXPECT_GE(area.right(), topLeft.x() + 60);
}

TEST_F(HintWindow, MessageAtTheTopOfTheScreenHangsBelowItsAnchor) {
    m_window.move(0, 0);
    m_edit->move(0, 0);
    ProcessEvents();
    m_hints.ShowMessage(m_edit, "注意字数不得少于20,不得超过500");
    ProcessEvents();
    QList<QWidget*> balloons = Balloons();
    ASSERT_EQ(balloons.size(), 1);
    EXPECT_EQ(balloons[0]->geometry().top(), m_hints.LastAnchor().y);
    EXPECT_GE(balloons[0]->geometry().left(), 0);
}

TEST_F(HintWindow, MessageEndsWhenTheUserTypesOrClicks) {
    m_hints.ShowMessage(m_edit, "x");
    ASSERT_TRUE(m_hints.IsMessageVisible());
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
    EXPECT_EQ(m_hints.LastMessage(), "y");
}

TEST_F(HintWindow, MessageGoesWithItsControl) {
    m_hints.ShowMessage(m_edit, "x");
    ASSERT_TRUE(m_hints.IsMessageVisible());
    delete m_edit;
    m_edit = nullptr;
    EXPECT_FALSE(m_hints.IsMessageVisible());
}

TEST_F(HintWindow, DeletingThePopupTakesItsMessageAlong) {
    auto hints = std::make_unique<CHintPopup>();
    hints->ShowMessage(m_edit, "x");
    ASSERT_EQ(Balloons().size(), 1);
    hints.reset();
    EXPECT_TRUE(Balloons().isEmpty());
}

TEST_F(HintWindow, HoverHintShowsAsRichTextWhenTheMouseRests) {
    m_hints.AddHoverHint(m_edit, "请输入电话区号,例如010");
    QWidget* other = new QLineEdit(&m_window);
    m_hints.AddHoverHint(other, "第一行<br>第二行 &amp; 更多");

    QPoint inside(5, 5);
    QHelpEvent rest(QEvent::ToolTip, inside, m_edit->mapToGlobal(inside));
    QApplication::sendEvent(m_edit, &rest);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains(FromGbk("请输入电话区号,例如010")));
    EXPECT_TRUE(Qt::mightBeRichText(QToolTip::text()));

    QHelpEvent restOther(QEvent::ToolTip, inside, other->mapToGlobal(inside));
    QApplication::sendEvent(other, &restOther);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains(FromGbk("第一行<br>第二行")));
    EXPECT_TRUE(Qt::mightBeRichText(QToolTip::text()));
}
