#include "widgets/Label.h"

#include "tests/support/TestSupport.h"

#include <QPalette>
#include <gtest/gtest.h>

TEST(Label, BackColourIsBlueGreenRedAndWithoutItTheParentShows) {
    const QColor parentColour(0, 160, 0);
    QWidget host;
    host.resize(100, 40);
    QPalette colours = host.palette();
    colours.setColor(QPalette::Window, parentColour);
    host.setPalette(colours);
    host.setAutoFillBackground(true);
    auto* label = new CLabel(QString(), &host);
    label->setGeometry(0, 0, 100, 40);
    host.show();
    ProcessEvents();
    EXPECT_EQ(host.grab().toImage().pixelColor(5, 5), parentColour);
    label->SetBackColor(RGB(10, 20, 200));
    EXPECT_EQ(host.grab().toImage().pixelColor(5, 5), QColor(10, 20, 200));
    label->ClearBackColor();
    EXPECT_EQ(host.grab().toImage().pixelColor(5, 5), parentColour);
}
