// The category tree on a real tree widget, bound to a category table of either engine.
#include "toolkit/ClassTree.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "database/SqlStatement.h"
#include "host/HostDatabase.h"
#include "tests/database/support/TestDatabase.h"
#include "tests/support/ScriptedInteraction.h"

#include <QWidget>
#include <tuple>

namespace {

using Lines = std::vector<std::string>;
using Rows = std::vector<Row>;

class ClassTreeTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        ASSERT_EQ(m_test.Error(), "");
        ASSERT_TRUE(m_db.Open(m_test.ConnectionString())) << Utf8(m_db.GetLastError());
        std::string error;
        ASSERT_TRUE(CreateSchema(m_db, error)) << Utf8(error);
        ASSERT_TRUE(m_tree.Create(&m_host, CRect{0, 0, 200, 300}, 6014));
        m_tree.SetDatabase(&m_db);
        m_tree.SetTableName("NimbrelClass");
    }
    // Rows of (key, parent, name).
    void Insert(const std::vector<std::tuple<int, int, std::string>>& rows,
                const std::string& table = "NimbrelClass") {
        for (const auto& [key, parent, name] : rows) {
            CSqlInsert insert;
            insert.SetTableName(table);
            insert.SetNumber("KeyId", key);
            insert.SetNumber("ParentId", parent);
            insert.SetText("Name", name);
            ExecuteOrFail(m_db, insert.BuildSql());
        }
    }
    // One line per item, top-down: two blanks per depth, the text and the item data.
    Lines Outline(HTREEITEM item = TVI_ROOT, int depth = 0) const {
        Lines lines;
        for (item = m_tree.GetChildItem(item); item; item = m_tree.GetNextSiblingItem(item)) {
            lines.push_back(std::string(depth * 2u, ' ') + m_tree.GetItemText(item) + " " +
                            std::to_string(m_tree.GetItemData(item)));
            for (std::string& line : Outline(item, depth + 1))
                lines.push_back(std::move(line));
        }
        return lines;
    }
    std::string PathOf(HTREEITEM item) const {
        std::string path = "unchanged";
        EXPECT_EQ(m_tree.GetClassPath(item, path), 1);
        return path;
    }
    HTREEITEM Child(HTREEITEM parent, int index = 0) const {
        HTREEITEM item = m_tree.GetChildItem(parent);
        while (index-- > 0)
            item = m_tree.GetNextSiblingItem(item);
        return item;
    }
    Rows Categories() {
        return ReadRows(m_db, "select KeyId,ParentId,Name,ClassPath from NimbrelClass order by 1");
    }

    ScriptedInteraction m_script;
    TestDatabase m_test{GetParam()};
    CAdoDatabase m_db;
    QWidget m_host;
    CClassTree m_tree;
};

} // namespace

TEST_P(ClassTreeTest, WithoutTableNothingWithoutDatabaseOrRowsOnlyTheRoot) {
    m_tree.InsertItem("old");
    m_tree.SetTableName("");
    EXPECT_EQ(m_tree.Load(), 0);
    EXPECT_EQ(m_tree.GetCount(), 0);

    m_tree.SetTableName("NimbrelClass");
    ASSERT_EQ(m_tree.Load(), 1);
    EXPECT_EQ(Outline(), Lines{"/ 0"});
    EXPECT_TRUE(m_tree.IsExpanded(m_tree.GetRootClassItem()));

    Insert({{1, 0, "A"}});
    m_tree.SetDatabase(nullptr);
    m_tree.SetRootCaption("任务分类");
    ASSERT_EQ(m_tree.Load(), 1);
    EXPECT_EQ(Outline(), Lines{"任务分类 0"});
    EXPECT_EQ(m_tree.AddChild(m_tree.GetRootClassItem(), "B"), nullptr);
}

TEST_P(ClassTreeTest, LoadsDepthFirstInKeyOrderWithPathsFromTheRoot) {
    Insert({{3, 0, "K"}, {2, 1, "B"}, {7, 1, "a"}, {1, 0, "Z"}, {5, 2, "C"}});
    ASSERT_EQ(m_tree.Load(), 1);
    ASSERT_EQ(m_tree.Load(), 1); // rebuilds, adds nothing
    EXPECT_EQ(Outline(), (Lines{"/ 0", "  Z 1", "    B 2", "      C 5", "    a 7", "  K 3"}));
    HTREEITEM root = m_tree.GetRootClassItem();
    HTREEITEM c = Child(Child(Child(root)));
    EXPECT_EQ(m_tree.GetItemImage(c), 0);
    EXPECT_FALSE(m_tree.IsExpanded(Child(root)));
    EXPECT_EQ(PathOf(c), "/Z/B/C/");
    EXPECT_EQ(PathOf(root), "/");
    EXPECT_EQ(PathOf(nullptr), "");
}

TEST_P(ClassTreeTest, AddingStoresNextKeyAndPathAndAppendsTheItem) {
    Insert({{1, 0, "A"}, {2, 1, "B"}, {3, 0, "K"}});
    ASSERT_EQ(m_tree.Load(), 1);
    HTREEITEM root = m_tree.GetRootClassItem();
    m_tree.SelectItem(Child(root));
    HTREEITEM d = m_tree.AddChild(root, "D");
    HTREEITEM e = m_tree.AddChild(Child(root), "it's 分类");
    ASSERT_TRUE(d && e);
    EXPECT_EQ(Categories(), (Rows{{"1", "0", "A", std::nullopt},
                                  {"2", "1", "B", std::nullopt},
                                  {"3", "0", "K", std::nullopt},
                                  {"4", "0", "D", "/D"},
                                  {"5", "1", "it's 分类", "/A/it's 分类"}}));
    const Lines expected{"/ 0", "  A 1", "    B 2", "    it's 分类 5", "  K 3", "  D 4"};
    EXPECT_EQ(Outline(), expected);
    EXPECT_EQ(m_tree.GetSelectedItem(), Child(root));
    EXPECT_FALSE(m_tree.IsExpanded(d));
    EXPECT_EQ(PathOf(e), "/A/it's 分类/");

    ExecuteOrFail(m_db, "drop table NimbrelClass");
    m_script.ExpectBox(IDOK);
    EXPECT_EQ(m_tree.AddChild(Child(m_tree.GetRootClassItem()), "F"), nullptr);
    ASSERT_EQ(m_script.Boxes().size(), 1u);
    const std::string& text = m_script.Boxes()[0].text;
    const std::size_t cut = text.find("\r\n");
    ASSERT_NE(cut, std::string::npos) << Utf8(text);
    EXPECT_EQ(text.rfind("insert into NimbrelClass(", 0), 0u) << Utf8(text);
    for (const char* value : {"'F'", "'/A/F'"})
        EXPECT_NE(text.find(value), std::string::npos) << value << " in " << Utf8(text);
    EXPECT_EQ(text.substr(cut + 2), m_db.GetLastError());
    EXPECT_FALSE(m_db.GetLastError().empty());
    EXPECT_EQ(Outline(), expected);
}

TEST_P(ClassTreeTest, DeletesBottomUpAndStopsAtTheFirstFailure) {
    Insert({{1, 0, "A"}, {2, 1, "B"}, {3, 0, "K"}, {4, 2, "C"}, {5, 1, "D"}, {6, 1, "E"}});
    ASSERT_EQ(m_tree.Load(), 1);
    if (GetParam() == Engine::SQLite) {
        ExecuteOrFail(m_db, "create trigger keep_d before delete on NimbrelClass "
                            "when old.KeyId=5 begin select raise(abort, 'D is kept'); end");
    } else {
        ExecuteOrFail(m_db, "create function keep_d() returns trigger as $$ begin "
                            "if old.KeyId = 5 then raise exception 'D is kept'; end if; "
                            "return old; end $$ language plpgsql");
        ExecuteOrFail(m_db, "create trigger keep_d before delete on NimbrelClass "
                            "for each row execute function keep_d()");
    }
    m_script.ExpectBox(IDOK);
    HTREEITEM a = Child(m_tree.GetRootClassItem());
    EXPECT_EQ(m_tree.DeleteBranch(a), -1);
    ASSERT_EQ(m_script.Boxes().size(), 1u);
    EXPECT_EQ(m_script.Boxes()[0].text, m_db.GetLastError());
    EXPECT_NE(m_db.GetLastError().find("D is kept"), std::string::npos);
    // B's branch went first; E and A were never tried.
    EXPECT_EQ(Outline(), (Lines{"/ 0", "  A 1", "    D 5", "    E 6", "  K 3"}));
    EXPECT_EQ(Categories().size(), 4u);

    ExecuteOrFail(m_db, GetParam() == Engine::SQLite ? "drop trigger keep_d"
                                                     : "drop trigger keep_d on NimbrelClass");
    EXPECT_EQ(m_tree.DeleteBranch(a), 1);
    EXPECT_EQ(Outline(), (Lines{"/ 0", "  K 3"}));
    EXPECT_EQ(Categories(), (Rows{{"3", "0", "K", std::nullopt}}));
}

TEST_P(ClassTreeTest, AFailedSelectShowsTheRecordsetError) {
    m_tree.SetTableName("Missing");
    CAdoRecordset rs; // the error the database gives for the tree's select
    rs.SetConnection(m_db.GetConnection());
    ASSERT_EQ(rs.Open("select keyid,name from  Missing where parentid=0 order by keyid "), 0);
    m_script.ExpectBox(IDOK);
    EXPECT_EQ(m_tree.Load(), 1);
    EXPECT_EQ(Outline(), Lines{"/ 0"});
    m_script.ExpectBox(IDOK);
    EXPECT_EQ(m_tree.LoadChildren(m_tree.GetRootClassItem()), 0);
    ASSERT_EQ(m_script.Boxes().size(), 2u);
    EXPECT_EQ(m_script.Boxes()[1].text, rs.GetLastError());
    EXPECT_EQ(m_script.Boxes()[1].type, MB_OK);
}

TEST_P(ClassTreeTest, HostileRowsLoadAndCyclesEnd) {
    // Own parent at the top and below, a cycle, an orphan, an empty name, quotes.
    Insert({{0, 0, "o"}, {1, 0, "A"}, {2, 2, "o"}, {3, 4, "c"}, {4, 3, "c"}, {5, 99, "o"}});
    Insert({{6, 0, ""}, {7, 1, "it's \"q\""}, {8, 6, "x"}});
    ASSERT_EQ(m_tree.Load(), 1);
    EXPECT_EQ(Outline(), (Lines{"/ 0", "  A 1", "    it's \"q\" 7", "   6", "    x 8"}));
    EXPECT_EQ(PathOf(Child(Child(m_tree.GetRootClassItem(), 1))), "//x/");

    // Without a unique key a row can be its own ancestor further down.
    ExecuteOrFail(m_db, "create table Loose (KeyId integer, ParentId integer, Name text)");
    Insert({{1, 0, "A"}, {2, 1, "B"}, {1, 2, "A"}, {2, 2, "B"}, {3, 2, "C"}, {3, 3, "C"}}, "Loose");
    m_tree.SetTableName("Loose");
    ASSERT_EQ(m_tree.Load(), 1);
    EXPECT_EQ(Outline(), (Lines{"/ 0", "  A 1", "    B 2", "      C 3"}));
    // Loading below an item skips the keys above it too.
    HTREEITEM b = Child(Child(m_tree.GetRootClassItem()));
    EXPECT_EQ(m_tree.LoadChildren(b), 1);
    EXPECT_EQ(Outline(b), (Lines{"C 3", "C 3"}));
}

NIMBREL_ON_BOTH_ENGINES(ClassTreeTest);
