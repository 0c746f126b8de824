// The task editor on real widgets (offscreen) and real databases of both
// engines, driven through the scripted seam as the task list drives it.
#include "tasks/TaskEditDialog.h"

#include "tasks/TaskIds.h"
#include "tests/tasks/TaskTestSupport.h"

using namespace tasks::editor;

namespace {

class TaskEditDialogTest : public SchemaDatabaseTest {
protected:
    // Runs an editor for the key (-1: a new task in /A/B/, category 7); the
    // script gets the live dialog and may end it, else it is cancelled.
    template <typename Script> int Edit(CTaskEditDialog& dialog, int key, Script script) {
        dialog.InitModal(nullptr);
        dialog.SetDatabase(&m_db);
        dialog.SetTaskKey(key);
        dialog.SetClassPath("/A/B/");
        dialog.SetClassKey(7);
        m_seam.ExpectDialog([&](CDialog& d) {
            script(d);
            if (!d.IsEnded())
                d.SendCommand(IDCANCEL);
        });
        return dialog.DoModal();
    }
    static void Type(CDialog& d, int id, const std::string& text) { d.SetDlgItemText(id, text); }
    // The buttons lie in the dialog's button strip.
    static void Click(CDialog& d, int id) { PressButton(d.Widget(), id); }
    std::string LastBox() const { return ::LastBox(m_seam); }
    Rows Tasks() {
        return ReadRows(m_db, "select KeyId,Title,Content,Comment,UserName,Produce,Model,UnitName,"
                              "Quantity,Price,TaskClass,ClassPath,TaskStatus,TotalCount,Progress "
                              "from Nimbrel order by KeyId");
    }

    ScriptedInteraction m_seam;
};

} // namespace

TEST_P(TaskEditDialogTest, NewTaskIsInsertedOnceThenUpdatedAndPublishedAndEditedAgain) {
    CTaskEditDialog add;
    const int result = Edit(add, -1, [&](CDialog& d) {
        EXPECT_EQ(d.GetWindowText(), "编辑信息");
        // The body takes the height the other rows leave.
        EXPECT_GT(d.GetDlgItem(kContentEdit)->height(), 250);
        // Typing goes to the title, and Enter there does not run a button.
        EXPECT_EQ(d.Widget()->focusWidget(), d.GetDlgItem(kTitleEdit));
        Type(d, kTitleEdit, "供应'车床");
        Type(d, kContentEdit, "ab中");
        EXPECT_EQ(d.GetDlgItemText(kCounterLabel), "字数:3");
        Type(d, kCommentEdit, "备注");
        Type(d, kUserNameEdit, "nimbrel01");
        Type(d, kProduceEdit, "北京");
        Type(d, kModelEdit, "CK-6140");
        Type(d, kUnitNameEdit, "台");
        Type(d, kQuantityEdit, "10");
        Type(d, kPriceEdit, "9.5万");
        Click(d, kSaveButton);
        Click(d, kSaveButton);
        EXPECT_EQ(Tasks().size(), 1u) << "the second save updates the row of the first";
        Type(d, kContentEdit, "第一行\r\n第二行");
        d.SendCommand(IDOK); // Enter
        EXPECT_FALSE(d.IsEnded());
        Click(d, kPublishButton);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(add.GetPublish());
    EXPECT_TRUE(m_seam.Boxes().empty()) << Utf8(LastBox());
    const Rows rows = Tasks();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(add.GetTaskKey(), std::stoi(*rows[0][0]));
    EXPECT_EQ(rows[0],
              (Row{rows[0][0]->c_str(), "供应'车床", "第一行\r\n第二行", "备注", "nimbrel01",
                   "北京", "CK-6140", "台", "10", "9.5万", "7", "/A/B/", "0", "0", "0"}));
    const Rows times = ReadRows(m_db, "select CreateTime,LastTime from Nimbrel");
    EXPECT_TRUE(times[0][0] && times[0][1]);

    // Editing the stored task: its fields come back, a NULL as an empty field,
    // and a save resets TotalCount.
    const std::string key = *rows[0][0];
    ExecuteOrFail(m_db, "update Nimbrel set TotalCount=12,Model=NULL where KeyId=" + key);
    CTaskEditDialog edit;
    EXPECT_EQ(Edit(edit, add.GetTaskKey(),
                   [&](CDialog& d) {
                       EXPECT_EQ(d.GetDlgItemText(kTitleEdit), "供应'车床");
                       EXPECT_EQ(d.GetDlgItemText(kContentEdit), "第一行\r\n第二行");
                       EXPECT_EQ(d.GetDlgItemText(kCounterLabel), "字数:8");
                       EXPECT_EQ(d.GetDlgItemText(kUserNameEdit), "nimbrel01");
                       EXPECT_EQ(d.GetDlgItemText(kModelEdit), "");
                       Type(d, kCommentEdit, "改过");
                       Click(d, kSaveButton);
                       Type(d, kCommentEdit, "not saved");
                       Click(d, IDCANCEL);
                   }),
              IDCANCEL);
    EXPECT_FALSE(edit.GetPublish());
    EXPECT_EQ(ReadRows(m_db, "select Comment,TotalCount,UserName from Nimbrel"),
              (Rows{{"改过", "0", "nimbrel01"}}));
}

TEST_P(TaskEditDialogTest, ChecksRefuseInOrderAndExitAfterASaveKeepsTheKey) {
    std::string chinese125;
    for (int i = 0; i < 125; ++i)
        chinese125 += "题";
    CTaskEditDialog dialog;
    Edit(dialog, -1, [&](CDialog& d) {
        for (int i = 0; i < 4; ++i)
            m_seam.ExpectBox(IDOK);
        Click(d, kSaveButton);
        EXPECT_EQ(LastBox(), "标题不能为空");
        Type(d, kTitleEdit, chinese125 + "x");
        Click(d, kSaveButton);
        EXPECT_EQ(LastBox(), "标题不能超过250个字符");
        Type(d, kTitleEdit, chinese125);
        Click(d, kSaveButton);
        EXPECT_EQ(LastBox(), "内容不能为空!");
        Click(d, kPublishButton);
        EXPECT_EQ(LastBox(), "内容不能为空!");
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(Tasks().size(), 0u);
        Type(d, kContentEdit, "x");
        Click(d, kSaveButton);
        Click(d, IDCANCEL);
    });
    EXPECT_FALSE(dialog.GetPublish());
    EXPECT_EQ(m_seam.Boxes().size(), 4u);
    const Rows rows = ReadRows(m_db, "select KeyId,Title from Nimbrel");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(dialog.GetTaskKey(), std::stoi(*rows[0][0])) << "the list still adds the row";
    EXPECT_EQ(rows[0][1], chinese125);
}

TEST_P(TaskEditDialogTest, WithoutTheTaskTableTheErrorsShowAndNoKeyIsTaken) {
    ExecuteOrFail(m_db, "drop table Nimbrel");
    CTaskEditDialog open;
    m_seam.ExpectBox(IDOK);
    Edit(open, 5, [&](CDialog& d) {
        EXPECT_NE(LastBox(), "") << "the select's error";
        EXPECT_EQ(d.GetDlgItemText(kTitleEdit), "");
    });
    CTaskEditDialog dialog;
    Edit(dialog, -1, [&](CDialog& d) {
        Type(d, kTitleEdit, "t");
        Type(d, kContentEdit, "c");
        m_seam.ExpectBox(IDOK);
        Click(d, kPublishButton); // the failed save does not stop it
    });
    ASSERT_EQ(m_seam.Boxes().size(), 2u);
    EXPECT_EQ(m_seam.Boxes()[1].text, m_db.GetLastError());
    EXPECT_EQ(dialog.GetTaskKey(), -1);
    EXPECT_TRUE(dialog.GetPublish());
}

TEST_P(TaskEditDialogTest, ExportedTextsImportByteForByteAndTheDatabaseWaitsForASave) {
    const TempHostFolder& folder = m_test.HostFolder();
    const std::string exported = folder.Path("task.txt");
    CTaskEditDialog dialog;
    Edit(dialog, -1, [&](CDialog& d) {
        m_seam.ExpectBox(IDOK);
        Click(d, kExportButton);
        EXPECT_EQ(LastBox(), "标题不可以为空");
        EXPECT_TRUE(m_seam.FileRequests().empty());

        Type(d, kTitleEdit, "标题=\\一");
        Type(d, kContentEdit, "第一行\r\n第二行");
        Type(d, kCommentEdit, "备注");
        Type(d, kPriceEdit, "5");
        m_seam.ExpectFile(exported);
        Click(d, kExportButton);
        m_seam.ExpectFileCancel();
        Click(d, kExportButton);
    });
    ASSERT_EQ(m_seam.FileRequests().size(), 2u);
    const FileDialogRequest& request = m_seam.FileRequests()[0];
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.defaultExtension, ".txt");
    EXPECT_EQ(request.fileName, "");
    EXPECT_EQ(request.filter, "发布信息数据文件 (*.txt)|*.txt|所有文件 (*.*)|*.*||");
    EXPECT_EQ(folder.Read("task.txt"), "\r\n[.]\r\nTitle=标题=\\\\一\r\n"
                                       "Text=第一行\\r\\n第二行\r\nComment=备注\r\n");

    folder.Write("upper.txt", "[.]\r\nTITLE=大写\r\n");
    folder.Write("no-title.txt", "\r\n[.]\r\nText=正文\r\n[other]\r\nTitle=别处\r\n");
    // 0xFF starts no GBK character: the form would show and save it as "?".
    folder.Write("not-gbk.txt", "[.]\r\nTitle=标题\r\nText=ab\xFF\r\n");
    CTaskEditDialog import;
    Edit(import, -1, [&](CDialog& d) {
        Type(d, kTitleEdit, "旧");
        for (const char* refused : {"no-title.txt", "missing.txt", "not-gbk.txt"}) {
            m_seam.ExpectFile(folder.Path(refused));
            m_seam.ExpectBox(IDOK);
            Click(d, kImportButton);
            EXPECT_EQ(LastBox(), "数据文件格式无效") << refused;
        }
        EXPECT_EQ(d.GetDlgItemText(kTitleEdit), "旧") << "the form is unchanged";
        EXPECT_EQ(d.GetDlgItemText(kContentEdit), "");

        m_seam.ExpectFile(exported);
        Click(d, kImportButton);
        EXPECT_FALSE(m_seam.FileRequests().back().save);
        EXPECT_EQ(d.GetDlgItemText(kTitleEdit), "标题=\\一");
        EXPECT_EQ(d.GetDlgItemText(kContentEdit), "第一行\r\n第二行");
        EXPECT_EQ(d.GetDlgItemText(kCommentEdit), "备注");
        EXPECT_EQ(d.GetDlgItemText(kCounterLabel), "字数:8");

        m_seam.ExpectFile(folder.Path("upper.txt"));
        Click(d, kImportButton);
        EXPECT_EQ(d.GetDlgItemText(kTitleEdit), "大写");
        EXPECT_EQ(d.GetDlgItemText(kContentEdit), "") << "a missing Text empties the body";
    });
    EXPECT_EQ(Tasks().size(), 0u) << "nothing is stored without a save";
}

NIMBREL_ON_BOTH_ENGINES(TaskEditDialogTest);
