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

// On a desktop the window manager adds the frame only once the window is on
// the screen; until then the window has none. The asked outer size holds all
// the same, and a size the user gives the window afterwards stays his.
TEST(CodeDialog, TheOuterSizeHoldsWhenTheFrameComesOnlyOnTheScreen) {
    ScriptedInteraction seam;
    CCodeDialog dialog;
    RunDialog(seam, dialog, [&](CDialog& d) {
        QWidget* w = d.Widget();
        w->hide();
        w->setAttribute(Qt::WA_DontShowOnScreen, true);
        ASSERT_EQ(w->frameGeometry().size(), w->size()) << "no frame yet";
        dialog.SetWindowSize(300, 200);
        w->setAttribute(Qt::WA_DontShowOnScreen, false);
        w->show();
        ProcessEvents();
        ASSERT_NE(w->frameGeometry().size(), w->size()) << "framed now";
        EXPECT_EQ(d.GetWindowRect().Width(), 300);
        EXPECT_EQ(d.GetWindowRect().Height(), 200);

        w->resize(400, 300);
        w->hide();
        w->show();
        ProcessEvents();
        EXPECT_EQ(w->size(), QSize(400, 300));
    });
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
