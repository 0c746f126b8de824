// The host's database object: connection strings, Execute, concurrent
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

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ExecuteTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        ASSERT_EQ(m_test.Error(), "");
        ASSERT_TRUE(m_db.Open(m_test.ConnectionString())) << Utf8(m_db.GetLastError());
    }
    TestDatabase m_test{GetParam()};
    CAdoDatabase m_db;
};

TEST_P(ExecuteTest, ResultsAndErrors) {
    EXPECT_EQ(m_db.GetConnectionString(), m_test.ConnectionString());
    EXPECT_EQ(m_db.GetProvider(), GetParam() == Engine::SQLite ? "SQLite" : "PostgreSQL");
    long affected = -2;
    EXPECT_EQ(m_db.Execute("create table T (KeyId integer, Name text)", &affected), 1);
    EXPECT_EQ(m_db.Execute("insert into T(KeyId,Name) values (1,'a')", &affected), 1);
    EXPECT_EQ(affected, 1);
    EXPECT_EQ(m_db.Execute("update T set Name='b' where KeyId=99", &affected), 1)
        << "an update that matches nothing succeeds";
    EXPECT_EQ(affected, 0);

    EXPECT_EQ(m_db.Execute("updat T set Name='c'"), 0);
    EXPECT_TRUE(Contains(m_db.GetLastError(), "syntax")) << Utf8(m_db.GetLastError());
    EXPECT_EQ(m_db.Execute(""), 0) << "an empty statement (a builder without fields) fails";
    EXPECT_NE(m_db.GetLastError(), "");
    EXPECT_EQ(m_db.Execute("update T set Name='d' where KeyId=1"), 1);
    EXPECT_NE(m_db.GetLastError(), "") << "the last error is never cleared";
}

NIMBREL_ON_BOTH_ENGINES(ExecuteTest);

TEST(ConnectionStringTest, BadStringsFailWithAClearError) {
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
    };
    for (const auto& [connect, mentioned] : cases) {
        CAdoDatabase db;
        EXPECT_FALSE(db.Open(connect)) << connect;
        EXPECT_FALSE(db.IsOpen());
        EXPECT_EQ(db.GetConnection(), nullptr);
        EXPECT_TRUE(Contains(db.GetLastError(), mentioned)) << connect << ": " << db.GetLastError();
        EXPECT_EQ(db.Execute("select 1"), 0);
        EXPECT_EQ(db.GetLastError(), "Connection Not open!\r\n");
    }
}

TEST(ConnectionStringTest, UnreachableServerFailsWithTheClientsError) {
    CAdoDatabase db;
    EXPECT_FALSE(db.Open("Provider=PostgreSQL;Host=127.0.0.1;Port=1;Database=x;User ID=u;Password=p"));
    EXPECT_TRUE(Contains(db.GetLastError(), "127.0.0.1")) << db.GetLastError();
    EXPECT_FALSE(db.IsOpen());
}

TEST(ConnectionStringTest, SqliteFileBelowTheHostFolder) {
    TempHostFolder host;
    host.Write("data/.keep", "");
    CAdoDatabase db;
    ASSERT_TRUE(db.Open(" provider = sqlite ; DATA SOURCE = \"data/a;b.db\" ")) << db.GetLastError();
    ASSERT_EQ(db.Execute("create table T (KeyId integer)"), 1);
    EXPECT_TRUE(host.Exists("data/a;b.db"));
    EXPECT_EQ(ReadRows(db, "PRAGMA journal_mode"), std::vector<Row>{{"wal"}});
    ASSERT_TRUE(db.Open("Provider=SQLite;Data Source=" + host.Path("abs.db")));
    EXPECT_TRUE(host.Exists("abs.db"));
    EXPECT_EQ(db.Execute("select KeyId from T"), 0) << "opening again drops the first connection";
}

// The host and the worker program write the same file.
TEST(SqliteConcurrencyTest, WriterWhileAnotherConnectionReads) {
    TestDatabase test(Engine::SQLite);
    CAdoDatabase reader, writer;
    ASSERT_TRUE(reader.Open(test.ConnectionString()));
    ASSERT_TRUE(writer.Open(test.ConnectionString()));
    ExecuteOrFail(reader, "create table T (KeyId integer primary key, Progress integer)");
    for (int i = 1; i <= 20; ++i)
        ExecuteOrFail(reader, "insert into T(KeyId,Progress) values (" + std::to_string(i) + ",0)");
    CAdoRecordset rs;
    rs.SetConnection(reader.GetConnection());
    ASSERT_EQ(rs.Open("select KeyId from T order by KeyId"), 1);
    rs.MoveNext();
    EXPECT_EQ(writer.Execute("update T set Progress=5 where KeyId=20"), 1) << writer.GetLastError();
    EXPECT_EQ(writer.Execute("insert into T(KeyId,Progress) values (21,1)"), 1)
        << writer.GetLastError();
    int count = 1;
    for (; !rs.IsEOF(); rs.MoveNext())
        ++count;
    EXPECT_EQ(count, 20) << "the reader sees the rows as of its start";
    EXPECT_EQ(ReadRows(reader, "select Progress from T where KeyId=20"), std::vector<Row>{{"5"}});
}

TEST(SqliteConcurrencyTest, SecondWriterWaitsForTheFirst) {
    TestDatabase test(Engine::SQLite);
    CAdoDatabase db;
    ASSERT_TRUE(db.Open(test.ConnectionString()));
    ExecuteOrFail(db, "create table T (KeyId integer)");
    std::promise<void> locked;
    std::thread other([&] {
        sqlite3* raw = nullptr;
        sqlite3_open(test.HostFolder().Path("data/test.db").c_str(), &raw);
        sqlite3_exec(raw, "begin immediate; insert into T values (1)", nullptr, nullptr, nullptr);
        locked.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        sqlite3_exec(raw, "commit", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
    });
    locked.get_future().wait();
    EXPECT_EQ(db.Execute("insert into T values (2)"), 1) << db.GetLastError();
    other.join();
    EXPECT_EQ(ReadRows(db, "select count(*) from T"), std::vector<Row>{{"2"}});
}

// A cluster of its own, so that stopping it disturbs no other test.
class PostgresOutageTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString root = qEnvironmentVariable("NIMBREL_PG_ROOT", QStringLiteral("/tmp"));
        m_dir = root + QStringLiteral("/outage-%1").arg(getpid());
        std::string output;
        ASSERT_TRUE(Cluster("start", &output)) << output;
        m_connect = output.substr(0, output.find('\n'));
    }
    void TearDown() override { Cluster("destroy"); }

    bool Cluster(const char* command, std::string* output = nullptr) {
        QProcess process;
        process.start(QStringLiteral(NIMBREL_PG_SCRIPT),
                      {QString::fromLatin1(command), m_dir});
        bool ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
                  process.exitCode() == 0;
        if (output)
            *output = (process.readAllStandardOutput() + process.readAllStandardError()).toStdString();
        return ok;
    }

    QString m_dir;
    std::string m_connect;
};

TEST_F(PostgresOutageTest, StatementsFailWhileTheServerIsDown) {
    CAdoDatabase db;
    ASSERT_TRUE(db.Open(m_connect)) << db.GetLastError();
    ExecuteOrFail(db, "create table T (KeyId integer)");
    ExecuteOrFail(db, "insert into T values (1),(2),(3)");
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
    EXPECT_TRUE(rs.IsEOF());
    for (int guard = 0; !reading.IsEOF() && guard < 10; ++guard)
        reading.MoveNext();
    EXPECT_TRUE(reading.IsEOF());
    CAdoDatabase meanwhile;
    EXPECT_FALSE(meanwhile.Open(m_connect));
    EXPECT_NE(meanwhile.GetLastError(), "");

    std::string output;
    ASSERT_TRUE(Cluster("start", &output)) << output;
    CAdoDatabase fresh;
    ASSERT_TRUE(fresh.Open(m_connect)) << fresh.GetLastError();
    EXPECT_EQ(ReadRows(fresh, "select count(*) from T"), std::vector<Row>{{"3"}});
    EXPECT_EQ(db.Execute("insert into T values (4)"), 1) << "the host's object connects again";
    EXPECT_EQ(ReadRows(db, "select count(*) from T"), std::vector<Row>{{"4"}});
}

} // namespace
