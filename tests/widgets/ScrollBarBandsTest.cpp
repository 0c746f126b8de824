#include "widgets/ScrollBarBands.h"

#include "tests/support/TestSupport.h"

#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// One bar, drawn in bands and then by the application's style alone, in the
// same state: pressed parts and the part under the pointer stay the bar's.
class BandedBar {
public:
    BandedBar() {
        m_bar->setGeometry(0, 0, 16, 700);
        m_host.resize(16, 700);
        m_host.show();
        ProcessEvents();
    }
    QScrollBar* Bar() { return m_bar; }
    void Set(int maximum, int page, int value) {
        m_bar->setRange(0, maximum);
        m_bar->setPageStep(page);
        m_bar->setValue(value);
    }
    bool LooksAsTheStyleDrawsIt() {
        PaintScrollBarInBands(m_bar);
        const QImage banded = m_bar->grab().toImage();
        m_bar->setStyle(nullptr);
        return banded == m_bar->grab().toImage();
    }

private:
    QWidget m_host;
    QScrollBar* m_bar = new QScrollBar(Qt::Vertical, &m_host);
};

} // namespace

TEST(ScrollBarBands, BarLooksAsTheStyleDrawsItWholeAtEveryPositionAndWhilePressed) {
    BandedBar bar;
    bar.Set(5000, 30, 1234); // a short slider, in one band
    EXPECT_TRUE(bar.LooksAsTheStyleDrawsIt());
    bar.Set(10, 5, 0); // a slider taller than a band, across two or three
    EXPECT_TRUE(bar.LooksAsTheStyleDrawsIt());
    bar.Set(10, 5, 10);
    EXPECT_TRUE(bar.LooksAsTheStyleDrawsIt());

    // The slider held down.
    QTest::mousePress(bar.Bar(), Qt::LeftButton, {}, QPoint(8, 600));
    EXPECT_TRUE(bar.Bar()->isSliderDown());
    EXPECT_TRUE(bar.LooksAsTheStyleDrawsIt());
    QTest::mouseRelease(bar.Bar(), Qt::LeftButton, {}, QPoint(8, 600));
    EXPECT_TRUE(bar.LooksAsTheStyleDrawsIt());
}
