// Execute, the statement builders, their round trip through both engines and
// the highest key.
#include "database/SqlStatement.h"
#include "database/AdoDatabase.h"
#include "tests/database/support/TestDatabase.h"

namespace {

TEST(SqlStatementTest, InsertAndUpdateTexts) {
    CSqlInsert insert;
    insert.SetTableName("SiteData");
    EXPECT_EQ(insert.BuildSql(), "") << "no field, no statement";
    insert.SetText("UserName", "u");
    insert.SetText("UserPass", "p");
    EXPECT_EQ(insert.BuildSql(), "insert into SiteData(UserName,UserPass) values ('u','p')");
    insert.SetText("UserName", "a'b'c");
    insert.SetNumber("Score", -5);
    insert.SetText("Comment", "");
    EXPECT_EQ(insert.BuildSql(), "insert into SiteData(Comment,Score,UserName,UserPass) "
                                 "values ('',-5,'a''b''c','p')");

    CSqlUpdate update;
    update.SetTableName("SiteData");
    update.AddWhere(" Keyid=12 ");
    EXPECT_EQ(update.BuildSql(), "");
    update.SetNumber("x", 1);
    update.AddWhere(" ClassPath like '/A%' ");
    update.SetText("Comment", "");
    update.SetText("UserName", "it's");
    EXPECT_EQ(update.BuildSql(), "update SiteData set Comment ='',UserName ='it''s',x =1 "
                                 "where  Keyid=12  and  ClassPath like '/A%' ");
    CSqlUpdate all;
    all.SetTableName("T");
    all.SetNumber("x", 1);
    EXPECT_EQ(all.BuildSql(), "update T set x =1");
}

class StatementTest : public OpenedDatabaseTest {};

TEST_P(StatementTest, ExecuteResultsTextRoundTripAndHighestKey) {
    ExecuteOrFail(m_db, "create table Note (KeyId integer, Body text)");
    EXPECT_EQ(GetMaxKeyId(&m_db, "Note"), 0);
    EXPECT_EQ(m_db.GetProvider(), GetParam() == Engine::SQLite ? "SQLite" : "PostgreSQL");
    long affected = -2;
    EXPECT_EQ(m_db.Execute("insert into Note(KeyId,Body) values (1,'a')", &affected), 1);
    EXPECT_EQ(affected, 1);
    EXPECT_EQ(m_db.Execute("update Note set Body='b' where KeyId=99", &affected), 1)
        << "an update that matches nothing succeeds";
    EXPECT_EQ(affected, 0);
    EXPECT_EQ(m_db.Execute("updat Note set Body='c'"), 0);
    EXPECT_TRUE(Contains(m_db.GetLastError(), "syntax")) << Utf8(m_db.GetLastError());
    EXPECT_EQ(m_db.Execute(""), 0) << "an empty statement (a builder without fields) fails";
    EXPECT_NE(m_db.GetLastError(), "");

    // Characters whose second GBK byte is a backslash: 0x81 0x5C and 0x9C 0x5C.
    const std::string texts[] = {
        "it's 'quoted' ''twice''",
        "back\\slash\\\\ and \\' and \\n",
        "100% of_all %_ wildcards",
        "line\r\nbreaks\nand\rreturns",
        std::string("gbk \x81\x5C") + "x \x9C\x5C\\ " + "中文",
        "",
    };
    int key = 0;
    for (const std::string& text : texts) {
        CSqlInsert insert;
        insert.SetTableName("Note");
        insert.SetNumber("KeyId", key += 2);
        insert.SetText("Body", text);
        ASSERT_EQ(m_db.Execute(insert.BuildSql()), 1) << Utf8(m_db.GetLastError());
        EXPECT_EQ(ReadRows(m_db, "select Body from Note where KeyId=" + std::to_string(key)),
                  std::vector<Row>{{text}})
            << Utf8(text);
    }
    ExecuteOrFail(m_db, "insert into Note(KeyId) values (17),(9)");
    EXPECT_EQ(GetMaxKeyId(&m_db, "Note"), 17);
    EXPECT_EQ(GetMaxKeyId(&m_db, "Missing"), -1);
    EXPECT_EQ(GetMaxKeyId(nullptr, "Note"), -1);
    CAdoDatabase closed;
    EXPECT_EQ(GetMaxKeyId(&closed, "Note"), -1);
}

NIMBREL_ON_BOTH_ENGINES(StatementTest);

} // namespace
