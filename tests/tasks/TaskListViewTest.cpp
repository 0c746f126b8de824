// The task list on real widgets (offscreen), real databases of both engines
// and real files in a temporary host folder; the publishing road ends in the
// real Korvald.exe.
#include "tasks/PublishTaskListView.h"

#include "database/AdoDatabase.h"
#include "platform/Dialog.h"
#include "platform/HostFolder.h"
#include "tasks/TaskIds.h"
#include "tests/tasks/TaskTestSupport.h"
#include "toolkit/CategoryNameDialog.h"

#include <sys/stat.h>

using namespace tasks;

namespace {

using Lines = std::vector<std::string>;

unsigned FileMode(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 0777 : 0;
}

class TaskListTest : public SchemaDatabaseTest {
protected:
    void SetUp() override {
        SchemaDatabaseTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        // A above Sub, and K; tasks 1 in A, 2 in Sub.
        ExecuteOrFail(m_db, "insert into NimbrelClass (KeyId,ParentId,Name,ClassPath) values "
                            "(1,0,'A','/A'),(2,1,'Sub','/A/Sub'),(3,0,'K','/K')");
        AddTask(1, "/A/", "一");
        AddTask(2, "/A/Sub/", "二");
        Host().Write("data/.keep", ""); // the host makes its data folder
        m_host.resize(900, 600);
    }

    void AddTask(int category, const char* path, const char* title) {
        ExecuteOrFail(m_db, "insert into Nimbrel (Title,Content,TaskClass,ClassPath,TotalCount) "
                            "values ('" +
                                std::string(title) + "','正文'," + std::to_string(category) + ",'" +
                                path + "',4)");
    }
    void Open() {
        m_view.SetDatabase(&m_db);
        ASSERT_TRUE(m_view.Create(&m_host, CRect{0, 0, 900, 600}, 1));
    }
    const TempHostFolder& Host() const { return m_test.HostFolder(); }
    CGridCtrl& Grid() { return m_view.Grid(); }
    CClassTree& Tree() { return m_view.Tree(); }
    // Column 0 (the keys) of the data rows, top down.
    Lines Keys() {
        Lines keys;
        for (int row = 1; row < Grid().GetRowCount(); ++row)
            keys.push_back(Grid().GetItemText(row, 0));
        return keys;
    }
    void Click(int id) { PressButton(m_view.Widget(), id); }
    void Select(HTREEITEM item) { ASSERT_TRUE(Tree().SelectItem(item)); }
    HTREEITEM Category(const std::string& name, HTREEITEM under = nullptr) {
        for (HTREEITEM item = Tree().GetChildItem(under ? under : Tree().GetRootClassItem()); item;
             item = Tree().GetNextSiblingItem(item))
            if (Tree().GetItemText(item) == name)
                return item;
        ADD_FAILURE() << "no category " << name;
        return nullptr;
    }
    std::string LastBox() const { return ::LastBox(m_seam); }
    void AddSites(const std::string& values) {
        ExecuteOrFail(m_db,
                      "insert into SiteData (KeyId,Name,IsSelected,AutoPublish) values " + values);
    }

    ScriptedInteraction m_seam;
    QWidget m_host;
    CDestroyWindowFirst<CPublishTaskListView> m_view; // as the module hands it out
};

} // namespace

TEST_P(TaskListTest, NewTaskIsPublishedByTheWorkerAndARefreshShowsItsCounts) {
    std::string error;
    ASSERT_TRUE(InstallWorker(Host().Path(), error)) << error;
    AddSites("(3,'丙网',1,1),(5,'不发',1,0),(8,NULL,1,1),(9,'未选',0,1),(12,'十二,网',1,1)");
    Host().Write("database.ini", "\r\n[Other]\r\nKey=kept\r\n");
    ::chmod(Host().Path("database.ini").c_str(), 0644);
    Open();

    // The first top-level category is selected and shown, its subcategory's
    // tasks included, newest first.
    EXPECT_EQ(Tree().GetItemText(Tree().GetSelectedItem()), "A");
    EXPECT_EQ(Keys(), (Lines{"2", "1"}));
    EXPECT_EQ(Grid().GetItemText(0, 1), "标题");

    m_seam.SetRealLaunch(true);
    m_seam.ExpectDialog([](CDialog& editor) {
        editor.SetDlgItemText(editor::kTitleEdit, "新任务");
        editor.SetDlgItemText(editor::kContentEdit, "正文");
        editor.SendCommand(editor::kPublishButton);
    });
    Click(list::kAddTask);
    EXPECT_EQ(Keys(), (Lines{"3", "2", "1"}));
    EXPECT_EQ(Grid().GetItemText(1, 1), "新任务");
    EXPECT_EQ(Grid().GetFocusCell(), (CCellPos{1, 1}));
    EXPECT_NE(Grid().GetItemState(1, 6) & kGridCellSelected, 0u);
    EXPECT_TRUE(m_seam.Launches().empty()) << "publishing is posted";

    ProcessEvents();
    EXPECT_EQ(Host().Read("data/nimbrel3.tsk"), "3,丙网\r\n8,\r\n12,十二,网\r\n");
    EXPECT_EQ(ReadRows(m_db, "select TotalCount from Nimbrel where KeyId=3"), Rows{{"3"}});
    EXPECT_EQ(Host().Read("database.ini"), "\r\n[Other]\r\nKey=kept\r\n\r\n[Korvald]\r\nConnect=" +
                                               m_test.ConnectionString() + "\r\n");
    EXPECT_EQ(FileMode(Host().Path("database.ini")), 0600u);
    ASSERT_EQ(m_seam.Launches().size(), 1u);
    EXPECT_EQ(m_seam.Launches()[0].path, HostPath("Korvald.exe"));
    EXPECT_EQ(m_seam.Launches()[0].parameters, "task=Nimbrel&Keyid=3");
    EXPECT_GT(m_seam.WaitCursorShown(), 0);

    ASSERT_TRUE(WaitForWorker(m_db, Host().Path(), "3")) << Utf8(Host().Read("data/nimbrel3.log"));
    Select(Tree().GetRootClassItem());
    Select(Category("A"));
    EXPECT_EQ(Keys(), (Lines{"3", "2", "1"}));
    // Progress, successes and errors of the three sites.
    EXPECT_EQ(Grid().GetItemText(1, 3) + Grid().GetItemText(1, 4) + Grid().GetItemText(1, 5),
              "330");

    // A double click edits the task; the editor's publish request launches
    // it again once the row shows the saved texts.
    m_seam.SetRealLaunch(false);
    m_seam.ExpectDialog([](CDialog& editor) {
        editor.SetDlgItemText(editor::kTitleEdit, "再发");
        editor.SendCommand(editor::kPublishButton);
    });
    Grid().SetFocusCell(1, 1);
    Grid().SetSelectedRange(1, 0, 1, 6);
    NotifyInfo doubleClick;
    doubleClick.id = list::kTaskGrid;
    doubleClick.code = NM_DBLCLK;
    m_view.SendNotify(doubleClick);
    ProcessEvents();
    EXPECT_EQ(Grid().GetItemText(1, 1), "再发");
    ASSERT_EQ(m_seam.Launches().size(), 2u);
    EXPECT_EQ(m_seam.Launches()[1].parameters, "task=Nimbrel&Keyid=3");
}

TEST_P(TaskListTest, RenamingMovesOnlyTheCategorysOwnTasksAndDeletingNeedsAnEmptyCategory) {
    Open();
    auto rename = [&](const std::string& name) {
        m_seam.ExpectDialog([name](CDialog& d) {
            d.SetDlgItemText(CCategoryNameDialog::kNameEditId, name);
            d.SendCommand(IDOK);
        });
        m_view.SendCommand(list::kRenameCategory);
    };
    rename("B'1");
    EXPECT_EQ(Tree().GetItemText(Category("B'1")), "B'1");
    EXPECT_EQ(ReadRows(m_db, "select Name,ClassPath from NimbrelClass where KeyId=1"),
              (Rows{{"B'1", "/B'1/"}}));
    EXPECT_EQ(ReadRows(m_db, "select ClassPath from Nimbrel order by KeyId"),
              (Rows{{"/B'1/"}, {"/A/Sub/"}}));

    // A category with a subcategory, then one with a task, are refused.
    for (int i = 0; i < 2; ++i)
        m_seam.ExpectBox(IDOK);
    m_view.SendCommand(list::kDeleteCategory);
    EXPECT_EQ(LastBox(), "目录非空，请先删除子目录");
    Select(Category("Sub", Category("B'1")));
    m_view.SendCommand(list::kDeleteCategory);
    EXPECT_EQ(LastBox(), "目录非空，请先删除子任务");

    // The root is no category to rename or delete.
    Select(Tree().GetRootClassItem());
    EXPECT_EQ(Keys(), (Lines{"2", "1"})) << "the root lists every task";
    for (int i = 0; i < 2; ++i)
        m_seam.ExpectBox(IDOK);
    m_view.SendCommand(list::kRenameCategory);
    m_view.SendCommand(list::kDeleteCategory);
    EXPECT_EQ(LastBox(), "请选择分类!");

    // From the menu below the "分类" button, a new category goes below the
    // caret item; an empty one can go.
    m_seam.ExpectMenu(list::kAddCategory);
    m_seam.ExpectDialog([](CDialog& d) {
        d.SetDlgItemText(CCategoryNameDialog::kNameEditId, "新");
        d.SendCommand(IDOK);
    });
    Click(list::kCategoryMenu);
    ASSERT_EQ(m_seam.Menus().size(), 1u);
    const MenuRequest& menu = m_seam.Menus()[0];
    EXPECT_EQ(menu.anchor, FindButton(m_view.Widget(), list::kCategoryMenu));
    ASSERT_EQ(menu.items.size(), 3u);
    EXPECT_EQ(menu.items[1].id, list::kRenameCategory);
    EXPECT_EQ(menu.items[1].text, "修改分类名称");
    ProcessEvents();
    Select(Category("新"));
    m_seam.ExpectBox(IDCANCEL);
    m_view.SendCommand(list::kDeleteCategory);
    EXPECT_EQ(LastBox(), "确定要删除选择的分类信息吗?");
    m_seam.ExpectBox(IDOK);
    m_view.SendCommand(list::kDeleteCategory);
    EXPECT_EQ(ReadRows(m_db, "select KeyId from NimbrelClass order by KeyId"),
              (Rows{{"1"}, {"2"}, {"3"}}));
}

TEST_P(TaskListTest, DeletingSkipsUnselectedRowsRemovesFilesAndAsksAfterAFailure) {
    for (int i = 0; i < 3; ++i)
        AddTask(1, "/A/", "任务"); // keys 3 to 5
    for (const char* file : {"data/nimbrel3.log", "data/nimbrel3.ini", "data/nimbrel4.log",
                             "data/nimbrel5.log", "data/nimbrel5.ini", "data/nimbrel5.tsk"})
        Host().Write(file, "x");
    Open();
    ASSERT_EQ(Keys(), (Lines{"5", "4", "3", "2", "1"}));
    m_seam.ExpectBox(IDOK);
    m_view.SendCommand(list::kDeleteTasks);
    EXPECT_EQ(LastBox(), "请选择要删除的信息");

    // Rows 2 to 4 with row 3 not selected in column 1.
    Grid().SetSelectedRange(2, 0, 4, 6);
    Grid().SetItemState(3, 1, 0);
    m_seam.ExpectBox(IDCANCEL);
    m_view.SendCommand(list::kDeleteTasks);
    EXPECT_EQ(LastBox(), "确定要删除选择的信息吗?");
    m_seam.ExpectBox(IDOK);
    m_view.SendCommand(list::kDeleteTasks);
    EXPECT_EQ(Keys(), (Lines{"5", "3", "1"}));
    EXPECT_EQ(ReadRows(m_db, "select KeyId from Nimbrel order by KeyId"),
              (Rows{{"1"}, {"3"}, {"5"}}));
    for (const char* gone : {"data/nimbrel4.log", "data/nimbrel2.log"})
        EXPECT_FALSE(Host().Exists(gone)) << gone;
    EXPECT_TRUE(Host().Exists("data/nimbrel3.log"));

    // A key with a quote goes in doubled and fails; No stops at once, and
    // its row leaves the grid all the same.
    Grid().SetItemText(2, 0, "3'");
    Grid().SetSelectedRange(1, 0, 2, 6);
    m_seam.ExpectBox(IDOK);
    m_seam.ExpectBox(IDNO);
    m_view.SendCommand(list::kDeleteTasks);
    EXPECT_TRUE(Contains(LastBox(), "\r\n\r\n是否继续?"));
    EXPECT_EQ(m_seam.Boxes().back().type, MB_YESNO);
    EXPECT_EQ(Keys(), (Lines{"5", "1"}));
    EXPECT_TRUE(Host().Exists("data/nimbrel5.log")) << "row 1 was not reached";
    EXPECT_EQ(ReadRows(m_db, "select count(*) from Nimbrel"), Rows{{"3"}});
}

TEST_P(TaskListTest, CommandsAskForWhatTheyWorkOnAndAnUnsavedNewTaskAddsNoRow) {
    Open();
    // The root is no category to add or copy a task into; nothing is selected.
    Select(Tree().GetRootClassItem());
    for (int i = 0; i < 3; ++i)
        m_seam.ExpectBox(IDOK);
    for (int command : {list::kAddTask, list::kCopyTask, list::kEditTask})
        m_view.SendCommand(command);
    ASSERT_EQ(m_seam.Boxes().size(), 3u);
    EXPECT_EQ(m_seam.Boxes()[0].text, "请选择任务分类!");
    EXPECT_EQ(m_seam.Boxes()[1].text, "请选择任务!");
    EXPECT_EQ(m_seam.Boxes()[2].text, "请选择要编辑的任务!");

    Select(Category("A"));
    m_seam.ExpectDialog([](CDialog& editor) {
        editor.SetDlgItemText(editor::kTitleEdit, "不存");
        editor.SendCommand(IDCANCEL);
    });
    m_view.SendCommand(list::kAddTask);
    EXPECT_EQ(Keys(), (Lines{"2", "1"}));
    EXPECT_EQ(ReadRows(m_db, "select count(*) from Nimbrel"), Rows{{"2"}});
}

TEST_P(TaskListTest, CopyLandsInTheSelectedCategoryAndACategoryShowsItsNewest200) {
    ExecuteOrFail(m_db, "update Nimbrel set UserName='u',SiteName='s',Comment='c',Progress=7 "
                        "where KeyId=2");
    Open();
    m_seam.ExpectBox(IDOK);
    m_view.SendCommand(list::kCopyTask);
    EXPECT_EQ(LastBox(), "请选择一个任务");

    // Task 2 of the subcategory, copied with A selected, lands in A.
    Grid().SetFocusCell(1, 1);
    m_seam.ExpectDialog([](CDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(editor::kTitleEdit), "二");
        d.SendCommand(IDCANCEL);
    });
    m_view.SendCommand(list::kCopyTask);
    EXPECT_EQ(Keys(), (Lines{"3", "2", "1"}));
    EXPECT_EQ(ReadRows(m_db, "select TaskClass,ClassPath,Title,Content,Comment,UserName,SiteName,"
                             "TotalCount,Progress,TaskStatus from Nimbrel where KeyId=3"),
              (Rows{{"1", "/A/", "二", "正文", "c", "u", "s", "4", "0", "0"}}));

    for (int i = 0; i < 250; ++i)
        AddTask(3, "/K/", "多");
    Select(Category("K"));
    const Lines keys = Keys();
    ASSERT_EQ(keys.size(), 200u);
    EXPECT_EQ(keys.front(), "253");
    EXPECT_EQ(keys.back(), "54");
}

TEST_P(TaskListTest, PublishingNeedsAFocusAndStartsWithoutSites) {
    AddSites("(1,'未自动',1,0)");
    Open();
    Grid().SetSelectedRange(1, 0, 1, 6);
    m_seam.ExpectBox(IDOK);
    m_view.SendCommand(list::kPublishTask);
    EXPECT_EQ(LastBox(), "请选择一个任务");

    // No qualifying site: an empty file, no sites counted, the worker starts.
    Grid().SetFocusCell(2, 1);
    m_view.SendCommand(list::kPublishTask);
    EXPECT_EQ(Host().Read("data/nimbrel1.tsk"), "");
    EXPECT_EQ(ReadRows(m_db, "select TotalCount from Nimbrel where KeyId=1"), Rows{{"0"}});
    ASSERT_EQ(m_seam.Launches().size(), 1u);
    EXPECT_EQ(FileMode(Host().Path("database.ini")), 0600u);
}

NIMBREL_ON_BOTH_ENGINES(TaskListTest);
