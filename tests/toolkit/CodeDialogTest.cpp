#include "toolkit/CodeDialog.h"

#include "platform/Controls.h"
#include "tests/support/ScriptedInteraction.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// A dialog as the screens derive them: buttons 1 and 2 made in code, an OK
// that may refuse to close, and optionally a size of its own.
class ButtonDialog : public CCodeDialog {
public:
    bool acceptOk = true;
    QSize requestedSize;
    int sizeResult = -1;

protected:
    bool OnInitDialog() override {
        for (int id : {IDOK, IDCANCEL}) {
            auto* button = new QPushButton(Widget());
            button->setAutoDefault(false);
            SetControlId(button, id);
            ConnectCommands(button);
        }
        if (requestedSize.isValid())
            sizeResult = SetWindowSize(requestedSize.width(), requestedSize.height());
        return true;
    }
    void OnOK() override {
        if (acceptOk)
            CCodeDialog::OnOK();
    }
};

void SendKey(CDialog& dialog, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(dialog.Widget(), &press);
}

void Click(CDialog& dialog, int id) {
    static_cast<QPushButton*>(dialog.GetDlgItem(id))->click();
}

// 280 x 160 dialog units in the dialog's font, worked out by hand.
QSize DefaultClientSize(const QWidget& dialog) {
    QFontMetrics metrics(dialog.font());
    int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize(qRound(280 * ((letters / 26 + 1) / 2) / 4.0), 20 * metrics.height());
}

// Opens the dialog and gives its client size and the size expected for it.
std::pair<QSize, QSize> OpenedSize(ScriptedInteraction& seam, ButtonDialog& dialog) {
    std::pair<QSize, QSize> sizes;
    seam.ExpectDialog([&](CDialog& d) {
        sizes = {d.Widget()->size(), DefaultClientSize(*d.Widget())};
        d.SendCommand(IDCANCEL);
    });
    dialog.DoModal();
    return sizes;
}

} // namespace

TEST(CodeDialog, WithoutASizeOfItsOwnOpensAt280By160DialogUnitsOfItsFont) {
    ScriptedInteraction seam;
    ButtonDialog dialog;
    auto [size, expected] = OpenedSize(seam, dialog);
    EXPECT_EQ(size, expected);

    const QFont saved = QApplication::font();
    QFont large = saved;
    large.setPixelSize(QFontInfo(saved).pixelSize() * 2);
    QApplication::setFont(large);
    auto [largeSize, largeExpected] = OpenedSize(seam, dialog);
    QApplication::setFont(saved);
    EXPECT_EQ(largeSize, largeExpected);
    EXPECT_GT(largeSize.width(), size.width() * 3 / 2);
}

TEST(CodeDialog, SetWindowSizeSetsTheOuterSizeOnlyWhileTheWindowExists) {
    ScriptedInteraction seam;
    ButtonDialog dialog;
    EXPECT_EQ(dialog.SetWindowSize(300, 200), 0);
    dialog.requestedSize = QSize(300, 200);
    CRect outer, client;
    seam.ExpectDialog([&](CDialog& d) {
        d.Widget()->show(); // the frame counts once the window is on the screen
        outer = d.GetWindowRect();
        client = d.GetClientRect();
        d.SendCommand(IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.sizeResult, 1);
    EXPECT_EQ(outer.Width(), 300);
    EXPECT_EQ(outer.Height(), 200);
    EXPECT_GT(client.Width(), 250);
    EXPECT_LE(client.Width(), 300);
    EXPECT_EQ(dialog.SetWindowSize(300, 200), 0);
}

TEST(CodeDialog, EndsThroughItsOwnHandlingOkAndEnterGiveOneCancelEscapeAndCloseTwo) {
    ScriptedInteraction seam;
    ButtonDialog dialog;
    seam.ExpectDialog([](CDialog& d) { Click(d, IDOK); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    seam.ExpectDialog([](CDialog& d) { SendKey(d, Qt::Key_Return); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    seam.ExpectDialog([](CDialog& d) { Click(d, IDCANCEL); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    seam.ExpectDialog([](CDialog& d) { SendKey(d, Qt::Key_Escape); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    seam.ExpectDialog([](CDialog& d) {
        d.Widget()->show();
        d.Widget()->close();
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_FALSE(dialog.IsWindow());

    // It ends only through its own OK handling: a refused OK keeps it open.
    dialog.acceptOk = false;
    bool openAfterOk = false;
    seam.ExpectDialog([&](CDialog& d) {
        SendKey(d, Qt::Key_Return);
        Click(d, IDOK);
        openAfterOk = !d.IsEnded() && d.IsWindow();
        d.SendCommand(IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(openAfterOk);
}

TEST(CodeDialog, IsAResizableCaptionedWindowOverItsOwnerIn3DFaceColour) {
    const QPalette saved = QApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Button, QColor(10, 200, 30));
    palette.setColor(QPalette::Window, QColor(250, 250, 250));
    QApplication::setPalette(palette);

    ScriptedInteraction seam;
    CWnd owner;
    ASSERT_TRUE(owner.Create(static_cast<QWidget*>(nullptr), CRect{0, 0, 640, 480}, 0));
    ButtonDialog dialog;
    dialog.InitModal(&owner);
    QRgb corner = 0;
    seam.ExpectDialog([&](CDialog& d) {
        QWidget* w = d.Widget();
        EXPECT_EQ(w->parentWidget(), owner.Widget());
        EXPECT_TRUE(w->isWindow());
        Qt::WindowFlags flags = w->windowFlags();
        EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
        EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
        EXPECT_NE(w->minimumSize(), w->maximumSize());
        QImage image = w->grab().toImage();
        corner = image.pixel(image.width() - 2, image.height() - 2);
        d.SendCommand(IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    QApplication::setPalette(saved);
    EXPECT_EQ(dialog.BackColor(), RGB(10, 200, 30));
    EXPECT_EQ(corner, qRgb(10, 200, 30));
}
