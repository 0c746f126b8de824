#include "toolkit/InputDialog.h"

#include "platform/Controls.h"
#include "tests/support/ScriptedInteraction.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>

namespace {

int RunInput(CInputDialog& dialog, const std::function<void(CDialog&)>& script) {
    ScriptedInteraction seam;
    seam.ExpectDialog([&](CDialog& d) {
        script(d);
        if (!d.IsEnded())
            d.SendCommand(IDCANCEL);
    });
    return dialog.DoModal();
}

} // namespace

TEST(InputDialog, OneEditFieldGivesTheTypedTextAfterOkAndKeepsItsValueOnCancel) {
    CInputDialog dialog;
    dialog.SetTitle("站点查询");
    dialog.AddEditField("Name", "站点名称");
    const int result = RunInput(dialog, [](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "站点查询");
        auto* label = d.Widget()->findChild<QLabel*>();
        EXPECT_EQ(GetControlText(label), "站点名称");
        EXPECT_EQ(label->width(), 80);
        QWidget* ok = d.GetDlgItem(IDOK);
        QWidget* cancel = d.GetDlgItem(IDCANCEL);
        EXPECT_EQ(GetControlText(ok) + GetControlText(cancel), "确定取消");
        EXPECT_NEAR(ok->x(), d.GetClientRect().Width() - (cancel->x() + cancel->width()), 3)
            << "the buttons stand centred";
        EXPECT_EQ(d.GetWindowRect().Height(), 24 + 100);
        qobject_cast<QLineEdit*>(d.GetDlgItem(6001))->insert(QStringLiteral(u"黄页 网"));
        static_cast<QPushButton*>(ok)->click();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.GetValue("Name"), "黄页 网");

    EXPECT_EQ(RunInput(dialog, [](CDialog& d) { SetControlText(d.GetDlgItem(6001), "改了"); }),
              IDCANCEL);
    EXPECT_EQ(dialog.GetValue("Name"), "黄页 网");
}

TEST(InputDialog, SectionsBecomeFieldsInOrderAndUnknownTypesStayInvisible) {
    CInputDialog dialog;
    CIniFile& doc = dialog.Document();
    doc.SetString("Note", "ControlType", "label");
    doc.SetString("Note", "Caption", "说明");
    doc.SetString("Secret", "ControlType", "PASSWORD");
    doc.SetString("Body", "ControlType", "TextArea");
    doc.SetString("Body", "RowCount", "3");
    doc.SetString("Body", "Value", "a\r\nb");
    doc.SetString("Kind", "ControlType", "COMBOBOX");
    doc.SetString("Kind", "ValueList", "甲\r\n乙;丙\n\n丁\n");
    doc.SetString("Kind", "Value", "乙;丙");
    doc.SetString("Title", "ControlType", "Edit");
    doc.SetString("Title", "Value", "旧");

    RunInput(dialog, [](CDialog& d) {
        EXPECT_EQ(GetControlText(d.GetDlgItem(6001)), "说明");
        ASSERT_NE(d.GetDlgItem(6002), nullptr);
        EXPECT_EQ(d.GetDlgItem(6002)->height(), 72);
        EXPECT_EQ(GetControlText(d.GetDlgItem(6002)), "a\r\nb");
        auto* kind = qobject_cast<QComboBox*>(d.GetDlgItem(6003));
        ASSERT_NE(kind, nullptr);
        EXPECT_TRUE(kind->isEditable());
        ASSERT_EQ(kind->count(), 4);
        EXPECT_EQ(kind->itemText(1), QStringLiteral(u"乙;丙"));
        EXPECT_EQ(kind->itemText(3), QStringLiteral(u"丁"));
        EXPECT_EQ(kind->currentText(), QStringLiteral(u"乙;丙"));
        EXPECT_EQ(GetControlText(d.GetDlgItem(6004)), "旧");
        EXPECT_EQ(d.GetDlgItem(6005), nullptr);
        EXPECT_EQ(d.GetWindowRect().Height(), 24 + (24 * 3 + 24) + 24 + 24 + 100);
        kind->setEditText(QStringLiteral(u"自己输入"));
        d.SendCommand(IDOK);
    });
    EXPECT_FALSE(doc.HasValue("Secret", "ControlId"));
    EXPECT_EQ(doc.GetInt("Title", "ControlId"), 6004);
    EXPECT_EQ(dialog.GetValue("Kind"), "自己输入");
    EXPECT_EQ(dialog.GetValue("Title"), "旧");
}
