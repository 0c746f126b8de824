// Many single-row statements in a row, as the choice of thousands of sites.
#include "database/StatementBatch.h"

#include "tests/database/support/TestDatabase.h"

namespace {

class StatementBatchTest : public SchemaDatabaseTest {
protected:
    // What a second connection, another desktop, sees of the rows.
    std::string SeenElsewhere() {
        CAdoDatabase other;
        EXPECT_TRUE(other.Open(m_test.ConnectionString())) << other.GetLastError();
        std::string names;
        for (const Row& row : ReadRows(other, "select Name from SiteData order by KeyId"))
            names += (row[0] ? *row[0] : "NULL") + " ";
        return names;
    }
};

} // namespace

TEST_P(StatementBatchTest, CommitsOnceOnSqliteAndAFailedStatementFailsAlone) {
    ExecuteOrFail(m_db, "insert into SiteData (Name) values ('a')");
    ExecuteOrFail(m_db, "insert into SiteData (Name) values ('b')");
    {
        CStatementBatch batch(&m_db);
        EXPECT_EQ(m_db.Execute("update SiteData set Name='A' where KeyId=1"), 1);
        EXPECT_EQ(m_db.Execute("update SiteData set Nothing=1 where KeyId=1"), 0);
        EXPECT_EQ(m_db.Execute("update SiteData set Name='B' where KeyId=2"), 1);
        // Each commit of its own waits for SQLite's disk; the server commits
        // each statement, so that a failed one does not end the others.
        EXPECT_EQ(SeenElsewhere(), GetParam() == Engine::SQLite ? "a b " : "A B ");
    }
    EXPECT_EQ(SeenElsewhere(), "A B ");
    EXPECT_EQ(m_db.Execute("update SiteData set Name='C' where KeyId=1"), 1);
    EXPECT_EQ(SeenElsewhere(), "C B ") << "no transaction left open";

    CStatementBatch none(nullptr); // nothing to do, nothing to fail
}

NIMBREL_ON_BOTH_ENGINES(StatementBatchTest);
