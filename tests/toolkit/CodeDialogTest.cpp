#include "toolkit/CodeDialog.h"

#include "tests/toolkit/DialogScript.h"

#include <QApplication>
#include <QKeyEvent>
#include <functional>

namespace {

void SendKey(CDialog& dialog, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(dialog.Widget(), &press);
}

} // namespace

TEST(CodeDialog, OpensOverItsOwnerAt280By160DialogUnitsOfItsFontIn3DFaceColour) {
    const QPalette savedPalette = QApplication::palette();
    QPalette palette = savedPalette;
    palette.setColor(QPalette::Button, QColor(10, 200, 30));
    QApplication::setPalette(palette);
    const QFont saved = QApplication::font();
    QFont large = saved;
    large.setPixelSize(QFontInfo(saved).pixelSize() * 2);
    ScriptedInteraction seam;
    CWnd owner;
    ASSERT_TRUE(owner.Create(static_cast<QWidget*>(nullptr), CRect{0, 0, 640, 480}, 0));
    CCodeDialog dialog;
    dialog.InitModal(&owner);
    for (const QFont& font : {saved, large}) {
        QApplication::setFont(font);
        RunDialog(seam, dialog, [&](CDialog& d) {
            QWidget* w = d.Widget();
            // The dialog units worked out by hand from the dialog's font.
            QFontMetrics metrics(w->font());
            const int letters = metrics.horizontalAdvance(
                QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
            EXPECT_EQ(w->size(),
                      QSize(qRound(280 * ((letters / 26 + 1) / 2) / 4.0), 20 * metrics.height()));
            EXPECT_EQ(w->parentWidget(), owner.Widget());
            const QImage image = w->grab().toImage();
            EXPECT_EQ(image.pixel(image.width() - 2, image.height() - 2), qRgb(10, 200, 30));
        });
    }
    QApplication::setFont(saved);
    QApplication::setPalette(savedPalette);

    EXPECT_EQ(dialog.SetWindowSize(300, 200), 0) << "no window: no size";
}

TEST(CodeDialog, OkAndEnterGiveOneCancelEscapeAndTheCloseBoxTwo) {
    const std::pair<std::function<void(CDialog&)>, int> cases[] = {
        {[](CDialog& d) { d.SendCommand(IDOK); }, IDOK},
        {[](CDialog& d) { SendKey(d, Qt::Key_Return); }, IDOK},
        {[](CDialog& d) { d.SendCommand(IDCANCEL); }, IDCANCEL},
        {[](CDialog& d) { SendKey(d, Qt::Key_Escape); }, IDCANCEL},
        {[](CDialog& d) {
             d.Widget()->show();
             d.Widget()->close();
         },
         IDCANCEL}};
    ScriptedInteraction seam;
    CCodeDialog dialog;
    for (const auto& [script, expected] : cases) {
        seam.ExpectDialog(script);
        EXPECT_EQ(dialog.DoModal(), expected);
        EXPECT_FALSE(dialog.IsWindow());
    }
}
