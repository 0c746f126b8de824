// Statement builders, their round trip through both engines, and the highest key.
#include "database/AdoDatabase.h"
#include "database/SqlStatement.h"
#include "tests/database/support/TestDatabase.h"

namespace {

TEST(SqlStatementTest, InsertText) {
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
}

TEST(SqlStatementTest, UpdateText) {
    CSqlUpdate update;
    update.SetTableName("SiteData");
    update.AddWhere(" Keyid=12 ");
    EXPECT_EQ(update.BuildSql(), "");
    update.SetText("UserName", "u");
    update.SetText("UserPass", "p");
    update.SetText("Comment", "");
    EXPECT_EQ(update.BuildSql(),
              "update SiteData set Comment ='',UserName ='u',UserPass ='p' where  Keyid=12 ");
    update.AddWhere(" ClassPath like '/A%' ");
    update.SetNumber("UserName", 7);
    EXPECT_EQ(update.BuildSql(), "update SiteData set Comment ='',UserName =7,UserPass ='p' "
                                 "where  Keyid=12  and  ClassPath like '/A%' ");
    CSqlUpdate all;
    all.SetTableName("T");
    all.SetNumber("x", 1);
    EXPECT_EQ(all.BuildSql(), "update T set x =1");
}

class StatementRoundTripTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        ASSERT_EQ(m_test.Error(), "");
        ASSERT_TRUE(m_db.Open(m_test.ConnectionString())) << Utf8(m_db.GetLastError());
        ExecuteOrFail(m_db, "create table Note (KeyId integer, Body text)");
    }
    TestDatabase m_test{GetParam()};
    CAdoDatabase m_db;
};

TEST_P(StatementRoundTripTest, TextComesBackByteForByte) {
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
        insert.SetNumber("KeyId", ++key);
        insert.SetText("Body", "placeholder");
        ASSERT_EQ(m_db.Execute(insert.BuildSql()), 1) << Utf8(m_db.GetLastError());
        CSqlUpdate update;
        update.SetTableName("Note");
        update.SetText("Body", text);
        update.AddWhere(" KeyId=" + std::to_string(key));
        ASSERT_EQ(m_db.Execute(update.BuildSql()), 1) << Utf8(m_db.GetLastError());
        EXPECT_EQ(ReadRows(m_db, "select Body from Note where KeyId=" + std::to_string(key)),
                  std::vector<Row>{{text}})
            << Utf8(text);
    }
}

TEST_P(StatementRoundTripTest, HighestKey) {
    EXPECT_EQ(GetMaxKeyId(&m_db, "Note"), 0);
    for (int key : {3, 17, 9})
        ExecuteOrFail(m_db, "insert into Note(KeyId) values (" + std::to_string(key) + ")");
    EXPECT_EQ(GetMaxKeyId(&m_db, "Note"), 17);
    EXPECT_EQ(GetMaxKeyId(&m_db, "Missing"), -1);
    EXPECT_EQ(GetMaxKeyId(nullptr, "Note"), -1);
    CAdoDatabase closed;
    EXPECT_EQ(GetMaxKeyId(&closed, "Note"), -1);
}

NIMBREL_ON_BOTH_ENGINES(StatementRoundTripTest);

} // namespace
