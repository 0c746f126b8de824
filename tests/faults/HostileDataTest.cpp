// Texts a user may type or another program may have stored, through the
// screens and the worker on both engines: quotes, the wildcards "%" and "_",
// backslashes, line breaks, double-byte characters whose second byte is a
// backslash (誠 is D5 5C, 乗 81 5C), 64 KB texts and NULL in every column.
// Every text is stored, shown and handed on as typed; no text changes which
// rows a statement touches.
#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "settings/IniFile.h"
#include "sites/SiteIds.h"
#include "tasks/TaskIds.h"
#include "tests/faults/FaultSupport.h"
#include "tests/support/ScriptedInteraction.h"

#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>
#include <optional>

using namespace tasks;
using Lines = std::vector<std::string>;

namespace {

// Category names, each with one task of its own. "a_b" also matches the
// path of "axb", as "_" stays a wildcard on both engines; every other name
// matches only itself.
const char* const kNames[] = {
    "it's \"q\"", "100%", "a_b", "axb", "C:\\dir\\", "誠乗", "x'; drop table Nimbrel; --"};

std::string Body(const std::string& name) {
    return "第一行 " + name + "\r\n第二行 \\ 100% _ 誠乗 ' \" \\n";
}

// The text as the content of an SQL string.
std::string Quoted(std::string text) {
    for (size_t at = 0; (at = text.find('\'', at)) != std::string::npos; at += 2)
        text.insert(at, 1, '\'');
    return text;
}

std::string Sixty4K(const std::string& unit) {
    std::string text;
    while (text.size() < 64 * 1024)
        text += unit;
    return text;
}

class HostileDataTest : public SchemaDatabaseTest {
protected:
    void SetUp() override {
        SchemaDatabaseTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(Host().Write("res/SiteEditDlg.htm",
                                 ReadFileBytes(NIMBREL_INSTALL_DATA "/res/SiteEditDlg.htm")));
        ASSERT_TRUE(Host().Write("data/.keep", ""));
    }
    const TempHostFolder& Host() const { return m_test.HostFolder(); }
    std::string Value(const std::string& sql) {
        const std::vector<Row> rows = ReadRows(m_db, sql);
        return rows.size() == 1 && rows[0][0] ? *rows[0][0] : "NULL";
    }
    // The texts of task key are those of task other.
    void ExpectSameTexts(const std::string& key, const std::string& other) {
        for (const std::string column : {"Title", "Content", "Comment", "ClassPath"})
            EXPECT_EQ(Value("select " + column + " from Nimbrel where KeyId=" + key),
                      Value("select " + column + " from Nimbrel where KeyId=" + other))
                << column;
    }
    void Open() { m_screens.emplace(m_db); }
    CPublishTaskListView& Tasks() { return m_screens->Tasks(); }
    CSiteListView& Sites() { return m_screens->Sites(); }
    Lines Keys(CGridCtrl& grid) { return HostScreens::Column(grid, 0); }

    ScriptedInteraction m_seam;
    std::optional<HostScreens> m_screens;
};

} // namespace

TEST_P(HostileDataTest, TasksAndCategoriesKeepTheirTextsThroughEveryCommandAndTheWorker) {
    // A task of NULLs, listed at the root, and a category of NULLs.
    ExecuteOrFail(m_db, "insert into Nimbrel (ClassPath) values ('/')"); // key 1
    ExecuteOrFail(m_db, "insert into NimbrelClass (KeyId,ParentId) values (1,0)");
    Open();
    CClassTree& tree = Tasks().Tree();
    CGridCtrl& grid = Tasks().Grid();
    HTREEITEM root = tree.GetRootClassItem();
    ASSERT_EQ(tree.GetItemText(tree.GetChildItem(root)), "");
    ASSERT_TRUE(tree.SelectItem(root));
    EXPECT_EQ(Keys(grid), Lines{"1"});
    EXPECT_EQ(grid.GetItemText(1, 1) + grid.GetItemText(1, 2) + grid.GetItemText(1, 6), "");

    std::vector<std::string> keys; // of each name's task
    for (const std::string name : kNames) {
        SCOPED_TRACE(Utf8(name));
        ASSERT_TRUE(tree.SelectItem(root));
        m_seam.ExpectDialog(NameCategory(name));
        Tasks().SendCommand(list::kAddCategory);
        ASSERT_TRUE(tree.SelectItem(m_screens->Category(name)));
        m_seam.ExpectDialog([name](CDialog& editor) {
            editor.SetDlgItemText(editor::kTitleEdit, name);
            editor.SetDlgItemText(editor::kContentEdit, Body(name));
            editor.SetDlgItemText(editor::kCommentEdit, name + " 备注");
            editor.SendCommand(editor::kSaveButton);
            editor.SendCommand(IDCANCEL);
        });
        Tasks().SendCommand(list::kAddTask);
        keys.push_back(grid.GetItemText(1, 0));
        const std::string where = " from Nimbrel where KeyId=" + keys.back();
        EXPECT_EQ(Value("select Title" + where), name);
        EXPECT_EQ(Value("select Content" + where), Body(name));
        EXPECT_EQ(Value("select Comment" + where), name + " 备注");
        EXPECT_EQ(Value("select ClassPath" + where), "/" + name + "/");
        EXPECT_EQ(Value("select ClassPath from NimbrelClass where Name='" + Quoted(name) + "'"),
                  "/" + name);
    }
    // Each category lists its own task; "a_b" also that of "axb".
    for (size_t i = 0; i < std::size(kNames); ++i) {
        SCOPED_TRACE(Utf8(kNames[i]));
        ASSERT_TRUE(tree.SelectItem(m_screens->Category(kNames[i])));
        EXPECT_EQ(Keys(grid), (i == 2 ? Lines{keys[3], keys[2]} : Lines{keys[i]}));
        EXPECT_EQ(grid.GetItemText(1, 6), std::string(kNames[i == 2 ? 3 : i]) + " 备注");
    }
    ASSERT_TRUE(tree.SelectItem(root));
    EXPECT_EQ(grid.GetRowCount(), int(std::size(kNames)) + 2);

    // Opened and saved again, every task keeps its bytes; a 64 KB body too.
    const std::string big = Sixty4K("誠乗\\'\"%_\r\n");
    for (int row = 1; row < grid.GetRowCount(); ++row) {
        const std::string where = " from Nimbrel where KeyId=" + grid.GetItemText(row, 0);
        const std::string before = Value("select Content" + where);
        const bool nulls = before == "NULL"; // saving it is refused: it has no title
        grid.SetSelectedRange(row, 0, row, 6);
        if (nulls)
            m_seam.ExpectBox(IDOK);
        m_seam.ExpectDialog([&](CDialog& editor) {
            EXPECT_EQ(editor.GetDlgItemText(editor::kContentEdit), nulls ? "" : before);
            editor.SendCommand(editor::kSaveButton);
            editor.SendCommand(IDCANCEL);
        });
        Tasks().SendCommand(list::kEditTask);
        EXPECT_EQ(Value("select Content" + where), before);
    }
    grid.SetSelectedRange(1, 0, 1, 6);
    m_seam.ExpectDialog([&](CDialog& editor) {
        editor.SetDlgItemText(editor::kContentEdit, big);
        EXPECT_EQ(editor.GetDlgItemText(editor::kCounterLabel),
                  "字数:" + std::to_string(GbkCharCount(big)));
        editor.SendCommand(editor::kSaveButton);
        editor.SendCommand(IDCANCEL);
    });
    Tasks().SendCommand(list::kEditTask);
    EXPECT_EQ(Value("select Content from Nimbrel where KeyId=" + grid.GetItemText(1, 0)), big);

    // The NULL task published goes to no site yet; a task copied keeps its
    // texts.
    ASSERT_TRUE(tree.SelectItem(root));
    grid.SetFocusCell(HostScreens::RowOf(grid, "1"), 1);
    Tasks().SendCommand(list::kPublishTask);
    EXPECT_EQ(Host().Read("data/nimbrel1.tsk"), "");
    EXPECT_EQ(Value("select TotalCount from Nimbrel where KeyId=1"), "0");
    ASSERT_TRUE(tree.SelectItem(m_screens->Category(kNames[5])));
    grid.SetFocusCell(1, 1);
    m_seam.ExpectDialog([](CDialog& editor) { editor.SendCommand(IDCANCEL); });
    Tasks().SendCommand(list::kCopyTask);
    ASSERT_EQ(Keys(grid).size(), 2u);
    EXPECT_NE(grid.GetItemText(1, 0), keys[5]);
    ExpectSameTexts(grid.GetItemText(1, 0), keys[5]);

    // Published with the real worker to sites whose names hold the same
    // texts, and one whose name would make a line of its own for a site that
    // was not chosen: the worker gets exactly the chosen sites.
    ExecuteOrFail(m_db, "insert into SiteData (KeyId,Name,IsSelected,AutoPublish) values "
                        "(2,'逗号,网',1,1),(3,'引号''\"网',1,1),(4,'注入\r\n9,未选',1,1),"
                        "(5,'反斜\\网',1,1),(6,'誠乗',1,1),(7,null,1,1),(9,'未选',0,1)");
    std::string error;
    ASSERT_TRUE(InstallWorker(Host().Path(), error)) << error;
    m_seam.SetRealLaunch(true);
    grid.SetFocusCell(1, 1);
    const std::string task = grid.GetItemText(1, 0);
    Tasks().SendCommand(list::kPublishTask);
    ASSERT_TRUE(WaitForWorker(m_db, Host().Path(), task))
        << Utf8(Host().Read("data/nimbrel" + task + ".log"));
    EXPECT_EQ(ReadRows(m_db, "select TotalCount,Progress,SuccessCount,ErrorCount from Nimbrel "
                             "where KeyId=" +
                                 task),
              (std::vector<Row>{{"6", "6", "6", "0"}}))
        << Utf8(Host().Read("data/nimbrel" + task + ".tsk"));
    EXPECT_FALSE(Contains(Host().Read("data/nimbrel" + task + ".log"), "\t9\t"));

    // Deleting takes exactly the selected tasks, whatever their texts.
    ASSERT_TRUE(tree.SelectItem(root));
    const int rows = grid.GetRowCount();
    grid.SetSelectedRange(1, 0, rows - 1, 6);
    m_seam.ExpectBox(IDOK);
    Tasks().SendCommand(list::kDeleteTasks);
    EXPECT_EQ(grid.GetRowCount(), 1);
    EXPECT_EQ(Value("select count(*) from Nimbrel"), "0");
    EXPECT_EQ(Value("select count(*) from NimbrelClass"), std::to_string(std::size(kNames) + 1));
}

TEST_P(HostileDataTest, SitesAreFoundEditedExportedAndRegisteredWhateverTheirTexts) {
    const std::string longName = Sixty4K("誠乗");
    ExecuteOrFail(m_db, "insert into SiteData (KeyId,Name,Homepage,NeedRegister,ClassPath) values "
                        "(1,'it''s \"q\"','file:///etc/passwd',1,'/信息网/'),"
                        "(2,'100% 网','javascript:alert(1)',1,'/信息网/'),"
                        "(3,'a_b','-x',1,'/信息网/'),(4,'axb','http://a b',1,'/信息网/'),"
                        "(5,'C:\\dir\\','a.example; rm -rf /',1,'/信息网/'),"
                        "(6,'誠乗','$(reboot).example',1,'/信息网/'),"
                        "(7,'第一行\r\n第二行','`id`',1,'/信息网/'),"
                        "(8,null,null,1,'/信息网/'),"
                        "(9,'" +
                            longName + "','http://ok.example/',1,'/信息网/')");
    Open();
    CGridCtrl& grid = Sites().Grid();
    EXPECT_EQ(Keys(grid), (Lines{"9", "8", "7", "6", "5", "4", "3", "2", "1"}));
    EXPECT_EQ(grid.GetItemText(1, SiteIds::kNameColumn), longName);
    EXPECT_EQ(grid.GetItemText(3, SiteIds::kNameColumn), "第一行\r\n第二行");

    // Quotes are removed from a query; "%" and "_" stay wildcards; a
    // backslash and the second byte of 誠 are ordinary characters.
    const std::pair<const char*, Lines> queries[] = {
        {"it's", {}},
        {"%", {"9", "7", "6", "5", "4", "3", "2", "1"}},
        {"_", {"9", "7", "6", "5", "4", "3", "2", "1"}},
        {"a_b", {"4", "3"}},
        {"\\", {"5"}},
        {"誠", {"9", "6"}},
        {"第一行", {"7"}},
        {"x'; delete from SiteData; --", {}},
        {"'", {"9", "8", "7", "6", "5", "4", "3", "2", "1"}},
    };
    for (const auto& [text, expected] : queries) {
        SCOPED_TRACE(Utf8(text));
        QuerySites(Sites(), m_seam, text);
        EXPECT_EQ(Keys(grid), expected);
    }

    // No home page here is a web address but the last: nothing else is
    // opened and nothing is started.
    for (int row = 1; row < grid.GetRowCount(); ++row) {
        grid.SetFocusCell(row, 2);
        HostScreens::Press(Sites(), SiteIds::kVisit);
    }
    EXPECT_EQ(m_seam.OpenedUrls(), Lines{"http://ok.example/"});
    EXPECT_TRUE(m_seam.Launches().empty());

    // Accounts are stored and shown as typed, 64 KB included; the site of
    // NULLs opens empty.
    const std::string userName = "it's \"q\" \\ 誠乗 100%_", remark = "第一行\r\n第二行";
    const std::string password = Sixty4K("密'\\\"");
    for (const char* key : {"1", "8"}) {
        const int row = HostScreens::RowOf(grid, key);
        grid.SetSelectedRange(row, 0, row, 7);
        m_seam.ExpectDialog([&, key](CDialog& d) {
            EXPECT_EQ(GetControlText(SiteField(d, "Name")),
                      std::string(key) == "1" ? "it's \"q\"" : "");
            SetControlText(SiteField(d, "UserName"), userName);
            SetControlText(SiteField(d, "UserPass"), password);
            SetControlText(SiteField(d, "Comment"), remark);
            d.SendCommand(IDOK);
        });
        HostScreens::Press(Sites(), SiteIds::kEdit);
        EXPECT_EQ(grid.GetItemText(row, SiteIds::kUserNameColumn), userName);
        const std::string where = std::string(" from SiteData where KeyId=") + key;
        EXPECT_EQ(Value("select UserName" + where), userName);
        EXPECT_EQ(Value("select UserPass" + where), password);
        EXPECT_EQ(Value("select Comment" + where), remark);
    }
    EXPECT_EQ(Value("select count(*) from SiteData where UserName is not null"), "2");

    // The export quotes every text field and doubles its double quotes;
    // line breaks stay inside the quotes.
    m_seam.ExpectFile(Host().Path("data/sites.csv"));
    HostScreens::Press(Sites(), SiteIds::kExport);
    const std::string csv = Host().Read("data/sites.csv");
    std::string quotedPassword = password;
    for (size_t at = 0; (at = quotedPassword.find('"', at)) != std::string::npos; at += 2)
        quotedPassword.insert(at, 1, '"');
    const std::string account = ",\"it's \"\"q\"\" \\ 誠乗 100%_\",\"" + quotedPassword + "\"\r\n";
    EXPECT_TRUE(Contains(csv, "\r\n1,\"it's \"\"q\"\"\"" + account)) << Shown(csv);
    EXPECT_TRUE(Contains(csv, "\r\n8,\"\"" + account)) << Shown(csv);
    EXPECT_TRUE(Contains(csv, "\r\n7,\"第一行\r\n第二行\",\"\",\"\"\r\n")) << Shown(csv);
    EXPECT_TRUE(Contains(csv, "\r\n9,\"" + longName + "\",\"\",\"\"\r\n"));

    // Every site chosen and registered by the real worker: one line each.
    std::string error;
    ASSERT_TRUE(InstallWorker(Host().Path(), error)) << error;
    CIniFile ini;
    ini.SetString("Korvald", "Connect", m_test.ConnectionString());
    ASSERT_TRUE(ini.Save(Host().Path("database.ini")));
    grid.SetSelectedRange(1, 0, grid.GetRowCount() - 1, 7);
    HostScreens::Press(Sites(), SiteIds::kChoose);
    EXPECT_EQ(Value("select count(*) from SiteData where IsSelected=1"), "9");
    m_seam.SetRealLaunch(true);
    HostScreens::Press(Sites(), SiteIds::kRegister);
    QDeadlineTimer deadline(60000);
    while (Value("select Progress from RegisterUser") != "9" && !deadline.hasExpired())
        QThread::msleep(50);
    EXPECT_EQ(Value("select TotalCount from RegisterUser") + "/" +
                  Value("select Progress from RegisterUser"),
              "9/9")
        << Shown(Host().Read("data/RegisterUser1.log"), 2000);
}

NIMBREL_ON_BOTH_ENGINES(HostileDataTest);
