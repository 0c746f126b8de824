#include "toolkit/InputDialog.h"

#include "tests/toolkit/DialogScript.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

TEST(InputDialog, OneEditFieldGivesTheTypedTextAfterOkAndKeepsItsValueOnCancel) {
    ScriptedInteraction seam;
    CInputDialog dialog;
    dialog.SetTitle("站点查询");
    dialog.AddEditField("Name", "站点名称");
    const int result = RunDialog(seam, dialog, [](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "站点查询");
        auto* label = d.Widget()->findChild<QLabel*>();
        EXPECT_EQ(GetControlText(label), "站点名称");
        QWidget* ok = d.GetDlgItem(IDOK);
        QWidget* cancel = d.GetDlgItem(IDCANCEL);
        EXPECT_EQ(GetControlText(ok) + GetControlText(cancel), "确定取消");
        EXPECT_NEAR(ok->x(), d.GetClientRect().Width() - (cancel->x() + cancel->width()), 3)
            << "the buttons stand centred";
        EXPECT_EQ(d.GetWindowRect().Height(), 24 + 100);
        Item<QLineEdit>(d, 6001)->insert(QStringLiteral(u"黄页 网"));
        Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.GetValue("Name"), "黄页 网");
    EXPECT_EQ(
        RunDialog(seam, dialog, [](CDialog& d) { SetControlText(d.GetDlgItem(6001), "改了"); }),
        IDCANCEL);
    EXPECT_EQ(dialog.GetValue("Name"), "黄页 网");
}

TEST(InputDialog, SectionsBecomeFieldsInOrderAndUnknownTypesStayInvisible) {
    CInputDialog dialog;
    CIniFile& doc = dialog.Document();
    const char* keys[] = {"Note",   "ControlType", "label",
                          "Note",   "Caption",     "说明",
                          "Secret", "ControlType", "PASSWORD",
                          "Body",   "ControlType", "TextArea",
                          "Body",   "RowCount",    "3",
                          "Kind",   "ControlType", "COMBOBOX",
                          "Kind",   "ValueList",   "甲\r\n乙;丙\n\n丁\n",
                          "Kind",   "Value",       "乙;丙"};
    for (size_t i = 0; i < std::size(keys); i += 3) // section, key, value
        doc.SetString(keys[i], keys[i + 1], keys[i + 2]);
    ScriptedInteraction seam;
    RunDialog(seam, dialog, [](CDialog& d) {
        EXPECT_EQ(GetControlText(d.GetDlgItem(6001)), "说明");
        EXPECT_EQ(d.GetDlgItem(6002)->height(), 72);
        auto* kind = Item<QComboBox>(d, 6003);
        ASSERT_TRUE(kind && kind->isEditable());
        ASSERT_EQ(kind->count(), 4) << "one choice a line, CR removed, empty lines kept";
        EXPECT_EQ(kind->itemText(1) + kind->itemText(3), QStringLiteral(u"乙;丙丁"));
        EXPECT_EQ(kind->currentText(), QStringLiteral(u"乙;丙"));
        EXPECT_EQ(d.GetDlgItem(6004), nullptr);
        EXPECT_EQ(d.GetWindowRect().Height(), 24 + (24 * 3 + 24) + 24 + 100);
        kind->setEditText(QStringLiteral(u"自己输入"));
        d.SendCommand(IDOK);
    });
    EXPECT_FALSE(doc.HasValue("Secret", "ControlId"));
    EXPECT_EQ(doc.GetInt("Kind", "ControlId"), 6003);
    EXPECT_EQ(dialog.GetValue("Kind"), "自己输入");
}
