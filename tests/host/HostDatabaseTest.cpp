// The host creates the tables on an empty database and seeds its embedded default.
#include "host/HostDatabase.h"
#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "database/ConnectionString.h"
#include "database/SqlStatement.h"
#include "tests/database/support/TestDatabase.h"

#include <set>

namespace {

class HostDatabaseTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override { ASSERT_EQ(m_test.Error(), ""); }
    void OpenOrFail(const std::string& connect) {
        std::string error;
        ASSERT_TRUE(OpenHostDatabase(m_db, connect, error)) << Utf8(error);
        ASSERT_TRUE(m_db.IsOpen());
    }
    // The embedded default on SQLite; on the server the same demo rows, seeded on request.
    void OpenSeeded() {
        if (GetParam() == Engine::SQLite)
            return OpenOrFail(std::string(kEmbeddedConnectionString));
        OpenOrFail(m_test.ConnectionString());
        std::string error;
        ASSERT_TRUE(SeedDemoData(m_db, error)) << Utf8(error);
    }
    std::string Count(const std::string& sqlTail) {
        std::vector<Row> rows = ReadRows(m_db, "select count(*) from " + sqlTail);
        return rows.size() == 1 && rows[0][0] ? *rows[0][0] : "?";
    }

    TestDatabase m_test{GetParam()};
    CAdoDatabase m_db;
};

TEST_P(HostDatabaseTest, EmptyDatabaseGetsTheTables) {
    OpenOrFail(m_test.ConnectionString());
    EXPECT_EQ(Count("SiteData"), "0") << "only the embedded default is seeded";
    EXPECT_EQ(ReadRows(m_db, "select KeyId,TotalCount,Progress from RegisterUser"),
              (std::vector<Row>{{"1", "0", "0"}}));

    // Tasks get their keys from the database, as the task editor expects.
    for (int i = 0; i < 2; ++i) {
        CSqlInsert insert;
        insert.SetTableName("Nimbrel");
        insert.SetText("ClassPath", "/A/");
        insert.SetText("CreateTime", "2024-03-09 08:07:06");
        ASSERT_EQ(m_db.Execute(insert.BuildSql()), 1) << Utf8(m_db.GetLastError());
        EXPECT_EQ(GetMaxKeyId(&m_db, "Nimbrel"), i + 1);
    }
    CAdoRecordset rs;
    rs.SetConnection(m_db.GetConnection());
    ASSERT_EQ(rs.Open("select KeyId,TotalCount,FDStatus,CreateTime,Title,ClassPath from Nimbrel"),
              1);
    EXPECT_STREQ(rs.GetString("TotalCount"), "0") << "counters start at 0 and read as integers";
    EXPECT_STREQ(rs.GetString("FDStatus"), "0");
    EXPECT_FALSE(rs.IsTextField(3)) << "CreateTime holds a date-time";
    EXPECT_TRUE(rs.IsTextField(5));
    EXPECT_EQ(rs.GetString("Title"), nullptr);
    rs.Close();

    // Categories get their keys from the module; a key cannot be used twice.
    EXPECT_EQ(m_db.Execute("insert into NimbrelClass(KeyId,ParentId,Name) values (1,0,'A')"), 1);
    EXPECT_EQ(m_db.Execute("insert into NimbrelClass(KeyId,ParentId,Name) values (1,0,'B')"), 0);
    EXPECT_EQ(m_db.Execute("insert into SiteData(Name,IsSelected) values ('s','1')"), 1);
    EXPECT_EQ(ReadRows(m_db, "select IsSelected,NeedRegister from SiteData"),
              (std::vector<Row>{{"1", "0"}}));
}

TEST_P(HostDatabaseTest, OpeningAgainKeepsWhatIsThere) {
    OpenSeeded();
    ExecuteOrFail(m_db, "update RegisterUser set TotalCount=3 where keyid=1");
    const std::string sites = Count("SiteData");
    m_db.Close();
    OpenOrFail(GetParam() == Engine::SQLite ? std::string(kEmbeddedConnectionString)
                                            : m_test.ConnectionString());
    std::string error;
    ASSERT_TRUE(SeedDemoData(m_db, error));
    EXPECT_EQ(Count("SiteData"), sites);
    EXPECT_EQ(ReadRows(m_db, "select TotalCount from RegisterUser"), std::vector<Row>{{"3"}});
}

TEST_P(HostDatabaseTest, DemoDirectoryServesEveryScreen) {
    OpenSeeded();
    if (GetParam() == Engine::SQLite) {
        EXPECT_TRUE(m_test.HostFolder().Exists("data/nimbrel.db"));
    }
    const int listed = std::stoi(Count("SiteData where ClassPath like '/信息网%' "));
    const int all = std::stoi(Count("SiteData"));
    EXPECT_GE(listed, 5);
    EXPECT_LT(listed, all) << "some sites lie outside the site list's path";
    const int toRegister = std::stoi(
        Count("SiteData where isSelected=1 and NeedRegister=1  and ClassPath like '/信息网%' "));
    EXPECT_GT(toRegister, 0);
    EXPECT_LT(toRegister, listed);
    EXPECT_GT(std::stoi(Count("SiteData where isSelected=1 and AutoPublish=1 ")), 0);
    EXPECT_GT(std::stoi(Count("SiteData where isSelected=0 and ClassPath like '/信息网%' ")), 0);

    // Categories form a tree whose stored paths follow the names.
    std::vector<Row> categories = ReadRows(m_db, "select KeyId,ParentId,Name,ClassPath from "
                                                 "NimbrelClass order by KeyId");
    ASSERT_GE(categories.size(), 3u);
    std::set<std::string> keys;
    for (const Row& row : categories) {
        keys.insert(*row[0]);
        EXPECT_TRUE(*row[1] == "0" || keys.count(*row[1])) << "parent " << *row[1];
        EXPECT_EQ(row[3]->substr(row[3]->size() - row[2]->size()), *row[2]);
    }
    EXPECT_GT(std::stoi(Count("Nimbrel where ClassPath like '/产品供应/%'")), 0);
}

NIMBREL_ON_BOTH_ENGINES(HostDatabaseTest);

} // namespace
