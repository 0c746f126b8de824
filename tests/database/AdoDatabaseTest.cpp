// The host's database object: connection strings, concurrent
// writers on SQLite and a PostgreSQL server that goes away.
#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "tests/database/support/TestDatabase.h"

#include <QProcess>
#include <chrono>
#include <future>
#include <sqlite3.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(ConnectionStringTest, ReadWithBlanksAndQuotesOrFailWithAClearError) {
    TempHostFolder host;
    const std::pair<const char*, const char*> cases[] = {
        {"", "Provider"},
        {"Provider=SQLite;Data Source", "Data Source"},
        {"Data Source=data/x.db", "Provider"},
        {"Provider=Oracle;Data Source=x", "Oracle"},
        {"Provider=SQLite", "Data Source"},
        {"Provider=SQLite;Data Sorce=x.db", "Data Sorce"},
        {"Provider=SQLite;Data Source=\"x.db", "quote"},
        {"Provider=SQLite;Data Source=no/such/folder/x.db", "no/such/folder/x.db"},
        {"Provider=PostgreSQL;Host=127.0.0.1;Port=http;Database=x", "http"},
        {"Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=x;User ID=u;Password=p", "127.0.0.1"},
    };
    for (const auto& [connect, mentioned] : cases) {
        CAdoDatabase db;
        EXPECT_FALSE(db.Open(connect)) << connect;
        EXPECT_TRUE(Contains(db.GetLastError(), mentioned)) << connect << ": " << db.GetLastError();
        EXPECT_EQ(db.Execute("select 1"), 0);
        EXPECT_EQ(db.GetLastError(), "Connection Not open!\r\n");
    }

    // Keys in any case and blanks around; a relative SQLite file is below the host folder.
    host.Write("data/.keep", "");
    CAdoDatabase db;
    ASSERT_TRUE(db.Open(" provider = sqlite ; DATA SOURCE = \"data/a;b.db\" "))
        << db.GetLastError();
    ASSERT_EQ(db.Execute("create table T (KeyId integer)"), 1);
    EXPECT_TRUE(host.Exists("data/a;b.db"));
    EXPECT_EQ(ReadRows(db, "PRAGMA journal_mode"), std::vector<Row>{{"wal"}});
    ASSERT_TRUE(db.Open("Provider=SQLite;Data Source=" + host.Path("abs.db")));
    EXPECT_TRUE(host.Exists("abs.db"));
    EXPECT_EQ(db.Execute("select KeyId from T"), 0) << "opening again drops the first connection";
}

// The host and the worker program write the same file: a writer neither
// fails while another connection reads nor while another one writes.
TEST(SqliteConcurrencyTest, WritersWhileOthersReadAndWrite) {
    TestDatabase test(Engine::SQLite);
    CAdoDatabase reader, writer;
    ASSERT_TRUE(reader.Open(test.ConnectionString()));
    ASSERT_TRUE(writer.Open(test.ConnectionString()));
    ExecuteOrFail(reader, "create table T (KeyId integer primary key, Progress integer)");
    ExecuteOrFail(reader, "insert into T(KeyId,Progress) values (1,0),(2,0),(3,0)");
    CAdoRecordset rs;
    rs.SetConnection(reader.GetConnection());
    ASSERT_EQ(rs.Open("select KeyId from T order by KeyId"), 1);
    rs.MoveNext();
    EXPECT_EQ(writer.Execute("update T set Progress=5 where KeyId=3"), 1) << writer.GetLastError();
    rs.MoveNext();
    EXPECT_EQ(rs.GetInt("KeyId"), 3) << "the reader reads on";
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());

    std::promise<void> locked;
    std::thread other([&] {
        sqlite3* raw = nullptr;
        sqlite3_open(test.HostFolder().Path("data/test.db").c_str(), &raw);
        sqlite3_exec(raw, "begin immediate; insert into T values (30,0)", nullptr, nullptr,
                     nullptr);
        locked.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        sqlite3_exec(raw, "commit", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
    });
    locked.get_future().wait();
    EXPECT_EQ(writer.Execute("insert into T values (31,0)"), 1) << writer.GetLastError();
    other.join();
    EXPECT_EQ(ReadRows(writer, "select count(*) from T"), std::vector<Row>{{"5"}});
}

// A cluster of its own, so that stopping it disturbs no other test; it lies
// below the tests' server, whose removal takes it along if this test cannot.
class PostgresOutageTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string root = PostgresSetting("NIMBREL_PG_ROOT");
        ASSERT_NE(root, "") << "no folder for a cluster: run the tests with ctest";
        m_dir = QString::fromStdString(root) + QStringLiteral("/outage-%1").arg(getpid());
        ASSERT_TRUE(Cluster("start")) << m_output;
        m_connect = m_output.substr(0, m_output.find('\n'));
    }
    void TearDown() override {
        if (!m_dir.isEmpty())
            Cluster("destroy");
    }
    bool Cluster(const char* command) {
        QProcess process;
        process.start(QStringLiteral(NIMBREL_PG_SCRIPT), {QString::fromLatin1(command), m_dir});
        const bool ok = process.waitForFinished(120000) &&
                        process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        m_output = (process.readAllStandardOutput() + process.readAllStandardError()).toStdString();
        return ok;
    }

    QString m_dir;
    std::string m_output, m_connect;
};

TEST_F(PostgresOutageTest, StatementsFailWhileTheServerIsDown) {
    CAdoDatabase db;
    ASSERT_TRUE(db.Open(m_connect)) << db.GetLastError();
    ExecuteOrFail(db, "create table T as select generate_series(1,3) as KeyId");
    CAdoRecordset reading;
    reading.SetConnection(db.GetConnection());
    ASSERT_EQ(reading.Open("select KeyId from T"), 1);

    ASSERT_TRUE(Cluster("stop"));
    EXPECT_EQ(db.Execute("insert into T values (4)"), 0);
    EXPECT_TRUE(Contains(db.GetLastError(), "connection")) << db.GetLastError();
    CAdoRecordset rs;
    rs.SetConnection(db.GetConnection());
    EXPECT_EQ(rs.Open("select KeyId from T"), 0);
    EXPECT_TRUE(Contains(rs.GetLastError(), "connection")) << rs.GetLastError();
    for (int guard = 0; !reading.IsEOF() && guard < 10; ++guard)
        reading.MoveNext();
    EXPECT_TRUE(reading.IsEOF());

    ASSERT_TRUE(Cluster("start")) << m_output;
    EXPECT_EQ(db.Execute("insert into T values (4)"), 1) << "the host's object connects again";
    EXPECT_EQ(ReadRows(db, "select count(*) from T"), std::vector<Row>{{"4"}});
}

} // namespace
