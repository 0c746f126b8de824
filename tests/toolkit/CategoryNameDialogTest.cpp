#include "toolkit/CategoryNameDialog.h"

#include "tests/toolkit/DialogScript.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

QLineEdit* NameEdit(CDialog& dialog) {
    return Item<QLineEdit>(dialog, CCategoryNameDialog::kNameEditId);
}

} // namespace

TEST(CategoryNameDialog, ShowsTheCallersNameRefusesAnEmptyOneAndTakesABlankOnEnter) {
    ScriptedInteraction seam;
    seam.ExpectBox(IDOK);
    CCategoryNameDialog dialog;
    dialog.SetName("产品'分类");
    const int result = RunDialog(seam, dialog, [](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "输入分类名称");
        EXPECT_EQ(d.GetWindowRect().Width(), 300);
        EXPECT_EQ(d.GetWindowRect().Height(), 200);
        EXPECT_EQ(GetControlText(d.Widget()->findChild<QLabel*>()), "分类名称:");
        EXPECT_EQ(d.Widget()->focusWidget(), NameEdit(d));
        EXPECT_EQ(GetControlText(NameEdit(d)), "产品'分类");
        NameEdit(d)->clear();
        Click(d, IDOK);
        EXPECT_FALSE(d.IsEnded()) << "an empty name is refused";
        NameEdit(d)->insert(QStringLiteral(" "));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(NameEdit(d), &enter); // in the edit box: OK
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(seam.Boxes().size(), 1u);
    EXPECT_EQ(seam.Boxes()[0].text, "名称不能为空");
    EXPECT_EQ(seam.Boxes()[0].type, MB_OK);
    EXPECT_EQ(dialog.GetName(), " ");
}

TEST(CategoryNameDialog, WideningWidensTheEditBoxAndCancelKeepsTheCallersName) {
    ScriptedInteraction seam;
    CCategoryNameDialog dialog;
    dialog.SetName("原名");
    const int result = RunDialog(seam, dialog, [](CDialog& d) {
        NameEdit(d)->setText(QStringLiteral("edited"));
        const int width = NameEdit(d)->width();
        d.Widget()->resize(d.Widget()->width() + 120, d.Widget()->height());
        ProcessEvents();
        EXPECT_EQ(NameEdit(d)->width(), width + 120);
        EXPECT_EQ(d.Widget()->findChild<QLabel*>()->width(), 80);
        QWidget* cancel = d.GetDlgItem(IDCANCEL);
        EXPECT_NEAR(d.GetDlgItem(IDOK)->x(), d.GetClientRect().Width() - cancel->geometry().right(),
                    3)
            << "the buttons stay centred";
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialog.GetName(), "原名");
}
