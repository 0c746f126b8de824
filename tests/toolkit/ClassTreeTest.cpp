// The category tree on a real tree widget, bound to a category table of either engine.
#include "toolkit/ClassTree.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "tests/database/support/TestDatabase.h"
#include "tests/support/ScriptedInteraction.h"

#include <QWidget>

namespace {

using Lines = std::vector<std::string>;
using Rows = std::vector<Row>;

class ClassTreeTest : public SchemaDatabaseTest {
protected:
    void SetUp() override {
        SchemaDatabaseTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(m_tree.Create(&m_host, CRect{0, 0, 200, 300}, 6014));
        m_tree.SetDatabase(&m_db);
        m_tree.SetTableName("NimbrelClass");
    }
    // Rows "(key,parent,'name'),...".
    void Insert(const std::string& rows, const std::string& table = "NimbrelClass") {
        ExecuteOrFail(m_db, "insert into " + table + " (KeyId,ParentId,Name) values " + rows);
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
    HTREEITEM Child(HTREEITEM parent) const { return m_tree.GetChildItem(parent); }
    Rows Categories() { return ReadRows(m_db, "select * from NimbrelClass order by KeyId"); }

    ScriptedInteraction m_script;
    QWidget m_host;
    CClassTree m_tree;
};

} // namespace

TEST_P(ClassTreeTest, WithoutTableNothingWithoutDatabaseOrReadableRowsOnlyTheRoot) {
    m_tree.InsertItem("old");
    m_tree.SetTableName("");
    EXPECT_EQ(m_tree.Load(), 0);
    EXPECT_EQ(m_tree.GetCount(), 0);

    m_tree.SetTableName("Missing"); // a failed select shows the recordset's error
    CAdoRecordset rs;
    rs.SetConnection(m_db.GetConnection());
    ASSERT_EQ(rs.Open("select keyid,name from  Missing where parentid=0 order by keyid "), 0);
    m_script.ExpectBox(IDOK);
    EXPECT_EQ(m_tree.Load(), 1);
    ASSERT_EQ(m_script.Boxes().size(), 1u);
    EXPECT_EQ(m_script.Boxes()[0].text, rs.GetLastError());
    EXPECT_EQ(m_script.Boxes()[0].type, MB_OK);
    EXPECT_EQ(Outline(), Lines{"/ 0"});
    EXPECT_TRUE(m_tree.IsExpanded(m_tree.GetRootClassItem()));

    Insert("(1,0,'A')");
    m_tree.SetTableName("NimbrelClass");
    m_tree.SetDatabase(nullptr);
    m_tree.SetRootCaption("任务分类");
    ASSERT_EQ(m_tree.Load(), 1);
    EXPECT_EQ(Outline(), Lines{"任务分类 0"});
    EXPECT_EQ(m_tree.AddChild(m_tree.GetRootClassItem(), "B"), nullptr);
}

TEST_P(ClassTreeTest, LoadsInKeyOrderAddsWithTheNextKeyAndPathAndReloadsTheSame) {
    Insert("(3,0,'K'),(2,1,'B'),(1,0,'A')");
    ASSERT_EQ(m_tree.Load(), 1);
    EXPECT_EQ(Outline(), (Lines{"/ 0", "  A 1", "    B 2", "  K 3"}));
    HTREEITEM root = m_tree.GetRootClassItem();
    HTREEITEM a = Child(root);
    HTREEITEM b = Child(a);
    EXPECT_EQ(PathOf(b), "/A/B/");
    EXPECT_EQ(PathOf(root), "/");
    EXPECT_EQ(PathOf(nullptr), "");
    EXPECT_EQ(m_tree.GetItemImage(b), 0);
    EXPECT_FALSE(m_tree.IsExpanded(a));

    m_tree.SelectItem(a);
    HTREEITEM d = m_tree.AddChild(root, "D");
    HTREEITEM e = m_tree.AddChild(b, "it's 分类");
    ASSERT_TRUE(d && e);
    EXPECT_EQ(Categories(), (Rows{{"1", "0", "A", std::nullopt},
                                  {"2", "1", "B", std::nullopt},
                                  {"3", "0", "K", std::nullopt},
                                  {"4", "0", "D", "/D"},
                                  {"5", "2", "it's 分类", "/A/B/it's 分类"}}));
    EXPECT_EQ(PathOf(e), "/A/B/it's 分类/");
    EXPECT_EQ(m_tree.GetSelectedItem(), a);
    EXPECT_FALSE(m_tree.IsExpanded(d));
    // Appended as last children, which is where a reload in key order puts them.
    const Lines expected{"/ 0", "  A 1", "    B 2", "      it's 分类 5", "  K 3", "  D 4"};
    EXPECT_EQ(Outline(), expected);
    ASSERT_EQ(m_tree.Load(), 1);
    EXPECT_EQ(Outline(), expected);

    // A failed insert shows the statement and the error, and adds no item.
    ExecuteOrFail(m_db, "drop table NimbrelClass");
    m_script.ExpectBox(IDOK);
    EXPECT_EQ(m_tree.AddChild(Child(m_tree.GetRootClassItem()), "F"), nullptr);
    ASSERT_EQ(m_script.Boxes().size(), 1u);
    const std::string& text = m_script.Boxes()[0].text;
    EXPECT_EQ(text.rfind("insert into NimbrelClass(", 0), 0u) << Utf8(text);
    ASSERT_FALSE(m_db.GetLastError().empty());
    for (const char* value : {"'F'", "'/A/F'"})
        EXPECT_NE(text.find(value), std::string::npos) << value << " in " << Utf8(text);
    EXPECT_EQ(text.substr(text.find("\r\n") + 2), m_db.GetLastError());
    EXPECT_EQ(Outline(), expected);
}

TEST_P(ClassTreeTest, DeletesBottomUpAndStopsAtTheFirstFailure) {
    Insert("(1,0,'A'),(2,1,'B'),(3,0,'K'),(4,2,'C'),(5,1,'D'),(6,1,'E')");
    ASSERT_EQ(m_tree.Load(), 1);
    if (GetParam() == Engine::SQLite)
        ExecuteOrFail(m_db, "PRAGMA foreign_keys=ON");
    // A row elsewhere that refers to D keeps D.
    ExecuteOrFail(m_db, "create table Ref (KeyId integer references NimbrelClass(KeyId))");
    ExecuteOrFail(m_db, "insert into Ref values (5)");
    m_script.ExpectBox(IDOK);
    HTREEITEM a = Child(m_tree.GetRootClassItem());
    EXPECT_EQ(m_tree.DeleteBranch(a), -1);
    ASSERT_EQ(m_script.Boxes().size(), 1u);
    ASSERT_FALSE(m_db.GetLastError().empty());
    EXPECT_EQ(m_script.Boxes()[0].text, m_db.GetLastError());
    // B's branch went first; E and A were never tried.
    EXPECT_EQ(Outline(), (Lines{"/ 0", "  A 1", "    D 5", "    E 6", "  K 3"}));
    EXPECT_EQ(Categories().size(), 4u);

    ExecuteOrFail(m_db, "delete from Ref");
    EXPECT_EQ(m_tree.DeleteBranch(a), 1);
    EXPECT_EQ(Outline(), (Lines{"/ 0", "  K 3"}));
    EXPECT_EQ(Categories(), (Rows{{"3", "0", "K", std::nullopt}}));
}

TEST_P(ClassTreeTest, HostileRowsLoadAndCyclesEnd) {
    // Own parent at the top and below, a cycle, an orphan, an empty name, quotes.
    Insert("(0,0,'o'),(1,0,'A'),(2,2,'o'),(3,4,'c'),(4,3,'c'),(5,99,'o'),(6,0,''),"
           "(7,1,'it''s \"q\"'),(8,6,'x')");
    ASSERT_EQ(m_tree.Load(), 1);
    EXPECT_EQ(Outline(), (Lines{"/ 0", "  A 1", "    it's \"q\" 7", "   6", "    x 8"}));

    // Without a unique key a row can be its own ancestor further down.
    ExecuteOrFail(m_db, "create table Loose (KeyId integer, ParentId integer, Name text)");
    Insert("(1,0,'A'),(2,1,'B'),(1,2,'A'),(2,2,'B'),(3,2,'C'),(3,3,'C')", "Loose");
    m_tree.SetTableName("Loose");
    ASSERT_EQ(m_tree.Load(), 1);
    EXPECT_EQ(Outline(), (Lines{"/ 0", "  A 1", "    B 2", "      C 3"}));
    // Loading below an item skips the keys above it too.
    HTREEITEM b = Child(Child(m_tree.GetRootClassItem()));
    EXPECT_EQ(m_tree.LoadChildren(b), 1);
    EXPECT_EQ(Outline(b), (Lines{"C 3", "C 3"}));
}

TEST_P(ClassTreeTest, FailuresEndTheLoadWithOneMessageAndKeysStayWithin32Bits) {
    // Every select below the top level fails, as all of them do once the
    // server is gone: one message, not one per category.
    std::string rows;
    for (int key = 1; key <= 30; ++key)
        rows += "(" + std::to_string(key) + ",0,'T'),(" + std::to_string(100 + key) + "," +
                std::to_string(key) + ",'C'),";
    rows.pop_back();
    Insert(rows);
    ExecuteOrFail(m_db, "create view Failing as select KeyId,ParentId,case when ParentId=0 then "
                        "Name else cast(abs(-9223372036854775807-1+0*KeyId) as text) end as Name "
                        "from NimbrelClass");
    m_tree.SetTableName("Failing");
    m_script.ExpectBox(IDOK);
    EXPECT_EQ(m_tree.Load(), 1);
    EXPECT_EQ(m_script.Boxes().size(), 1u);
    EXPECT_EQ(m_tree.GetCount(), 31u);

    // Keys that differ by 2^32 are not one category (which would double the
    // tree below it): the load ends before a key that 32 bits cannot hold.
    ExecuteOrFail(m_db, "create table Wide (KeyId bigint, ParentId bigint, Name text)");
    Insert("(1,0,'A'),(4294967297,0,'B'),(2,1,'C'),(3,4294967297,'D')", "Wide");
    m_tree.SetTableName("Wide");
    m_script.ExpectBox(IDOK);
    EXPECT_EQ(m_tree.Load(), 1);
    ASSERT_EQ(m_script.Boxes().size(), 2u);
    EXPECT_EQ(m_script.Boxes()[1].text,
              "The category \"B\" in Wide has the key 4294967297, which is not a whole number "
              "from -2147483648 to 2147483647; the tree ends before it.");
    EXPECT_EQ(Outline(), (Lines{"/ 0", "  A 1"}));
}

NIMBREL_ON_BOTH_ENGINES(ClassTreeTest);
