#include "widgets/Label.h"

#include "tests/support/TestSupport.h"

#include <QColor>
#include <QFontMetrics>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>

TEST(Label, MarkupInCaptionsIsShownAsTyped) {
    for (const QString& text : {QStringLiteral("<----"), QStringLiteral("<b>bold</b>"),
                                QStringLiteral(u"a &amp; b")}) {
        CLabel label(text, nullptr);
        // Taken as markup, the text would come out narrower than its characters.
        EXPECT_GE(label.sizeHint().width(), label.fontMetrics().horizontalAdvance(text))
            << text.toStdString();
    }
}

TEST(Label, BackColourFillsTheLabelAndTheParentShowsWithoutIt) {
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

TEST(Label, TextColourIsReadAsBlueGreenRed) {
    CLabel label(QStringLiteral("x"), nullptr);
    label.SetTextColor(RGB(200, 20, 10));
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(200, 20, 10));
}
