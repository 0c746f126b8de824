#include "toolkit/CategoryNameDialog.h"

#include "platform/Controls.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

QLineEdit* NameEdit(CDialog& dialog) {
    return qobject_cast<QLineEdit*>(dialog.GetDlgItem(CCategoryNameDialog::kNameEditId));
}

void Click(CDialog& dialog, int id) {
    static_cast<QPushButton*>(dialog.GetDlgItem(id))->click();
}

} // namespace

TEST(CategoryNameDialog, ShowsTheCallersNameAndRefusesAnEmptyOneButNotABlank) {
    ScriptedInteraction seam;
    seam.ExpectBox(IDOK);
    CCategoryNameDialog dialog;
    dialog.SetName("产品'分类");
    bool openAfterRefusal = false;
    seam.ExpectDialog([&](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "输入分类名称");
        EXPECT_EQ(d.GetWindowRect().Width(), 300);
        EXPECT_EQ(d.GetWindowRect().Height(), 200);
        EXPECT_EQ(GetControlText(d.Widget()->findChild<QLabel*>()), "分类名称:");
        EXPECT_EQ(d.Widget()->focusWidget(), NameEdit(d));
        EXPECT_EQ(d.GetDlgItemText(6001), "产品'分类");
        NameEdit(d)->clear();
        Click(d, IDOK);
        openAfterRefusal = !d.IsEnded();
        NameEdit(d)->insert(QStringLiteral(" "));
        Click(d, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(openAfterRefusal);
    ASSERT_EQ(seam.Boxes().size(), 1u);
    EXPECT_EQ(seam.Boxes()[0].text, "名称不能为空");
    EXPECT_EQ(seam.Boxes()[0].type, MB_OK);
    EXPECT_EQ(dialog.GetName(), " ");
}

TEST(CategoryNameDialog, CancelAndTheCloseBoxKeepTheCallersName) {
    ScriptedInteraction seam;
    CCategoryNameDialog dialog;
    dialog.SetName("原名");
    seam.ExpectDialog([](CDialog& d) {
        NameEdit(d)->setText(QStringLiteral("edited"));
        Click(d, IDCANCEL);
    });
    seam.ExpectDialog([](CDialog& d) { d.Widget()->close(); });
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetName(), "原名");
}

TEST(CategoryNameDialog, WideningWidensTheEditBoxAndKeepsTheButtonsCentred) {
    ScriptedInteraction seam;
    CCategoryNameDialog dialog;
    seam.ExpectDialog([](CDialog& d) {
        QWidget* edit = NameEdit(d);
        QWidget* ok = d.GetDlgItem(IDOK);
        QWidget* cancel = d.GetDlgItem(IDCANCEL);
        const int width = edit->width();
        d.Widget()->resize(d.Widget()->width() + 120, d.Widget()->height());
        ProcessEvents();
        EXPECT_EQ(edit->width(), width + 120);
        EXPECT_EQ(d.Widget()->findChild<QLabel*>()->width(), 80);
        EXPECT_EQ(ok->width(), 80);
        const int before = ok->x();
        const int between = cancel->x() - (ok->x() + ok->width());
        const int after = d.GetClientRect().Width() - (cancel->x() + cancel->width());
        EXPECT_NEAR(before, between, 2);
        EXPECT_NEAR(between, after, 2);
        d.SendCommand(IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}
