// Tables far larger than a company keeps: 100,000 sites, 100,000 tasks in
// one category, a category chain 10,000 levels deep and rows that form
// cycles. The screens open and every command answers; the times are
// printed, not judged (a test never asserts on time).
#include "platform/Dialog.h"
#include "sites/SiteIds.h"
#include "tasks/TaskIds.h"
#include "tests/faults/FaultSupport.h"
#include "tests/support/ScriptedInteraction.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>

using namespace tasks;

namespace {

constexpr int kRows = 100000;
constexpr int kDepth = 10000;

// "insert into <table> (<columns>) <select over i from 1 to count>": one
// statement, the same on both engines.
std::string InsertSeries(const std::string& table, const std::string& columns, int count,
                         const std::string& select) {
    return "insert into " + table + " (" + columns +
           ") with recursive n(i) as (select 1 union all select i+1 from n where i<" +
           std::to_string(count) + ") " + select + " from n";
}

class HugeDataTest : public SchemaDatabaseTest {
protected:
    void SetUp() override {
        SchemaDatabaseTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(m_test.HostFolder().Write("data/.keep", ""));
    }
    // Runs what and prints how long it took.
    void Measure(const char* what, const std::function<void()>& run) {
        QElapsedTimer clock;
        clock.start();
        run();
        ProcessEvents();
        std::printf("[ measure  ] %s, %s: %.3f s\n",
                    GetParam() == Engine::SQLite ? "SQLite" : "PostgreSQL", what,
                    clock.nsecsElapsed() / 1e9);
    }
    std::string Value(const std::string& sql) {
        const std::vector<Row> rows = ReadRows(m_db, sql);
        return rows.size() == 1 && rows[0][0] ? *rows[0][0] : "NULL";
    }

    ScriptedInteraction m_seam;
    std::optional<HostScreens> m_screens;
};

} // namespace

TEST_P(HugeDataTest, ScreensOpenAndAnswerOver100000SitesAnd100000Tasks) {
    const std::string n = GetParam() == Engine::SQLite ? "i" : "i::text";
    Measure("generating 100,000 sites and 100,000 tasks", [&] {
        ExecuteOrFail(m_db, InsertSeries("SiteData",
                                         "Name,Score,Homepage,IsSelected,AutoPublish,NeedRegister,"
                                         "ClassPath",
                                         kRows,
                                         "select '站点' || " + n + ", i % 100, 'http://s' || " + n +
                                             " || '.example', i % 2, 1, 1, '/信息网/'"));
        ExecuteOrFail(m_db, "insert into NimbrelClass (KeyId,ParentId,Name,ClassPath) values "
                            "(1,0,'大类','/大类')");
        ExecuteOrFail(m_db, InsertSeries("Nimbrel", "Title,Content,TaskClass,ClassPath", kRows,
                                         "select '任务' || " + n + ", '正文', 1, '/大类/'"));
    });
    Measure("opening both screens", [&] { m_screens.emplace(m_db); });
    CGridCtrl& sites = m_screens->Sites().Grid();
    CGridCtrl& tasks = m_screens->Tasks().Grid();
    EXPECT_EQ(sites.GetRowCount(), 5001) << "one page of 5,000 sites";
    EXPECT_EQ(sites.GetItemText(1, 0), "100000");
    EXPECT_EQ(tasks.GetRowCount(), 201) << "the newest 200 tasks";
    EXPECT_EQ(tasks.GetItemText(1, 0), "100000");

    Measure("querying the sites for a name",
            [&] { QuerySites(m_screens->Sites(), m_seam, "站点9"); });
    EXPECT_EQ(sites.GetItemText(1, SiteIds::kNameColumn), "站点99999");
    Measure("choosing 1,000 sites", [&] {
        sites.SetSelectedRange(1, 0, 1000, 7);
        HostScreens::Press(m_screens->Sites(), SiteIds::kChoose);
    });
    const std::string csv = m_test.HostFolder().Path("data/sites.csv");
    Measure("exporting the accounts of 11,111 sites", [&] {
        m_seam.ExpectFile(csv);
        HostScreens::Press(m_screens->Sites(), SiteIds::kExport);
    });
    const std::string exported = ReadFileBytes(csv);
    EXPECT_EQ(std::count(exported.begin(), exported.end(), '\n'), 11112);
    Measure("registering 50,500 chosen sites",
            [&] { HostScreens::Press(m_screens->Sites(), SiteIds::kRegister); });
    EXPECT_EQ(Value("select TotalCount from RegisterUser"), std::to_string(kRows / 2 + 500));

    Measure("showing the root's newest 200 of 100,000 tasks", [&] {
        ASSERT_TRUE(
            m_screens->Tasks().Tree().SelectItem(m_screens->Tasks().Tree().GetRootClassItem()));
    });
    EXPECT_EQ(tasks.GetRowCount(), 201);
    Measure("publishing a task to 50,500 sites", [&] {
        tasks.SetFocusCell(1, 1);
        m_screens->Tasks().SendCommand(list::kPublishTask);
    });
    EXPECT_EQ(Value("select TotalCount from Nimbrel where KeyId=100000"),
              std::to_string(kRows / 2 + 500));
    EXPECT_TRUE(m_seam.Launches().size() == 2u);
}

// A chain of categories 10,000 deep, its last one its own parent, and two
// rows that are each other's parent: the tree loads what leads down from the
// root, once, and the deepest category works like any other.
TEST_P(HugeDataTest, CategoriesTenThousandDeepAndInCyclesLoadAndWork) {
    Measure("generating 10,000 nested categories", [&] {
        ExecuteOrFail(m_db, InsertSeries("NimbrelClass", "KeyId,ParentId,Name", kDepth,
                                         "select i, i-1, 'c'"));
        ExecuteOrFail(m_db, "update NimbrelClass set ParentId=" + std::to_string(kDepth) +
                                " where KeyId=" + std::to_string(kDepth));
        ExecuteOrFail(m_db, "insert into NimbrelClass (KeyId,ParentId,Name) values "
                            "(20001,20002,'x'),(20002,20001,'y'),(20003,20003,'z')");
    });
    std::string deepPath = "/";
    for (int i = 1; i < kDepth; ++i)
        deepPath += "c/";
    ExecuteOrFail(m_db, "insert into Nimbrel (Title,Content,TaskClass,ClassPath) values "
                        "('深','正文'," +
                            std::to_string(kDepth - 1) + ",'" + deepPath + "')");
    Measure("opening the task list on the chain", [&] { m_screens.emplace(m_db); });
    CClassTree& tree = m_screens->Tasks().Tree();
    EXPECT_EQ(tree.GetCount(), kDepth) << "the root and 9,999 categories";
    HTREEITEM deepest = tree.GetRootClassItem();
    for (HTREEITEM child; (child = tree.GetChildItem(deepest));)
        deepest = child;
    EXPECT_EQ(tree.GetItemData(deepest), std::uint32_t(kDepth - 1));

    Measure("showing the deepest category", [&] { ASSERT_TRUE(tree.SelectItem(deepest)); });
    EXPECT_EQ(HostScreens::Column(m_screens->Tasks().Grid(), 1), std::vector<std::string>{"深"});
    Measure("adding a category below it", [&] {
        m_seam.ExpectDialog(NameCategory("底"));
        m_screens->Tasks().SendCommand(list::kAddCategory);
    });
    EXPECT_EQ(Value("select ClassPath from NimbrelClass where Name='底'"), deepPath + "底");
    Measure("deleting the new category", [&] {
        ASSERT_TRUE(tree.SelectItem(tree.GetChildItem(deepest)));
        m_seam.ExpectBox(IDOK);
        m_screens->Tasks().SendCommand(list::kDeleteCategory);
    });
    EXPECT_EQ(tree.GetChildItem(deepest), nullptr);
    EXPECT_EQ(Value("select count(*) from NimbrelClass"), std::to_string(kDepth + 3));
}

NIMBREL_ON_BOTH_ENGINES(HugeDataTest);
