#include "widgets/ScrollBarBands.h"

#include "tests/support/TestSupport.h"

#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Bars {
    QWidget host;
    QScrollBar* plain = new QScrollBar(Qt::Vertical, &host);
    QScrollBar* banded = new QScrollBar(Qt::Vertical, &host);

    Bars() {
        PaintScrollBarInBands(banded);
        plain->setGeometry(20, 0, 16, 700);
        banded->setGeometry(40, 0, 16, 700);
        host.resize(60, 700);
        host.show();
        ProcessEvents();
    }
    void Set(int maximum, int page, int value) {
        for (QScrollBar* bar : {plain, banded}) {
            bar->setRange(0, maximum);
            bar->setPageStep(page);
            bar->setValue(value);
        }
    }
    bool LookAlike() const { return plain->grab().toImage() == banded->grab().toImage(); }
};

} // namespace

TEST(ScrollBarBands, BarLooksAsTheStyleDrawsItWholeAtEveryPositionAndWhilePressed) {
    Bars bars;
    bars.Set(5000, 30, 1234); // a short slider, in one band
    EXPECT_TRUE(bars.LookAlike());
    bars.Set(10, 5, 0); // a slider taller than a band, across two or three
    EXPECT_TRUE(bars.LookAlike());
    bars.Set(10, 5, 10);
    EXPECT_TRUE(bars.LookAlike());

    // The slider held down, and the page below it pressed.
    for (QScrollBar* bar : {bars.plain, bars.banded})
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(8, 100));
    EXPECT_TRUE(bars.LookAlike());
    for (QScrollBar* bar : {bars.plain, bars.banded})
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(8, 100));
    EXPECT_TRUE(bars.LookAlike());
}
