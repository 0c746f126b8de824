// The host's database object: connection strings, concurrent
// writers on SQLite and a PostgreSQL server that goes away.
#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "database/ConnectionString.h"
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
        {"Provider=SQLite;Data Source", "item 2 has no \"=\""},
        {"Provider=SQLite;=x", "no key"},
        {"Data Source=data/x.db", "Provider"},
        {"Provider=Oracle;Data Source=x", "Oracle"},
        {"Provider=SQLite", "Data Source"},
        {"Provider=SQLite;Data Sorce=x.db", "Data Sorce"},
        {"Provider=SQLite;Data Source=\"x.db", "quote"},
        {"Provider=SQLite;Data Source='x.db' y", "follows"},
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

// Whatever way a password is written, the shown string holds none of it
// and everything else as written.
TEST(ConnectionStringTest, PasswordsAreMaskedAsTheStringIsRead) {
    const std::pair<const char*, const char*> cases[] = {
        {"Provider=PostgreSQL;Host=h;Password=s3cret", "Provider=PostgreSQL;Host=h;Password=***"},
        {"Pwd=s3cret;Host=h", "Pwd=***;Host=h"},
        {" password = s3cret ; Host=h", " password = *** ; Host=h"},
        {"Host=h;PASSWORD=\"s3;cr\"\"et\";Port=5", "Host=h;PASSWORD=***;Port=5"},
        {"Password='s3'';cret';Host=h", "Password=***;Host=h"},
        {"Jet OLEDB:Database Password=s3cret;Pwd=;Password=x",
         "Jet OLEDB:Database Password=***;Pwd=***;Password=***"},
        {"Host=h;Password=\"s3;cret;Port=5", "Host=h;Password=***"},
        {"Host=h;Password='s3' cret;Port=5", "Host=h;Password=***;Port=5"},
        {"Host=h;Password=s3;cret;Port=5", "Host=h;Password=***;***;Port=5"},
        {"Provider=SQLite;Data Source=\"a;b.db\"", "Provider=SQLite;Data Source=\"a;b.db\""},
    };
    for (const auto& [connect, shown] : cases)
        EXPECT_EQ(MaskConnectionPassword(connect), shown) << connect;

    CConnectionString items;
    std::string error;
    ASSERT_TRUE(items.Parse("Server=h; UID = u ;Pwd=\" a;\"\"b \";Initial Catalog='d''b'", error));
    EXPECT_EQ(items.Value("host"), "h");
    EXPECT_EQ(items.Value("user id"), "u");
    EXPECT_EQ(items.Value("password"), " a;\"b ");
    EXPECT_EQ(items.Value("database"), "d'b");
    EXPECT_FALSE(items.Has("port"));
    EXPECT_FALSE(items.Parse("Provider=SQLite;Password=s3;cret", error));
    EXPECT_FALSE(Contains(error, "cret")) << "errors quote no value: " << error;
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

class CommandTextTest : public OpenedDatabaseTest {};

// A text that grew a second statement runs nothing on either engine; blanks,
// comments and ";" after the one statement are fine.
TEST_P(CommandTextTest, NoTextRunsASecondStatement) {
    const bool postgres = GetParam() == Engine::PostgreSQL;
    ExecuteOrFail(m_db, "create table T (KeyId integer, Name text)");
    std::vector<std::string> accepted = {
        "insert into T values (1,'a;b');",
        "insert into T values (2,'it''s') ; -- done; drop table T",
        "/* c; */ insert into T values (3,'c') /* ; */ ;\n/* drop table T; */ ;",
        "insert into T values (4,'\x81\x5C;') -- no ; at the end",
    };
    if (postgres) {
        accepted.push_back("insert into T values (5,E'\\';x\\\\')");
        accepted.push_back("insert into T values (6,$q$;'$q$||$$;$$) /* /* ; */ ; */;");
    }
    for (const std::string& sql : accepted)
        EXPECT_EQ(m_db.Execute(sql), 1) << Utf8(sql) << ": " << Utf8(m_db.GetLastError());
    const std::vector<Row> rows = ReadRows(m_db, "select KeyId,Name from T order by KeyId;");
    ASSERT_EQ(rows.size(), accepted.size());
    EXPECT_EQ(rows[3], (Row{"4", "\x81\x5C;"}));
    if (postgres) {
        EXPECT_EQ(rows[5], (Row{"6", ";';"}));
    }

    const std::string refused[] = {
        "insert into T values (7,'a'); drop table T",
        "insert into T values (7,'a;''b');delete from T;",
        "insert into T values (7,'a') -- c;\n; delete from T",
        "insert into T values (7,'a') /* ; */ ; delete from T",
        ";; insert into T values (7,'a') ;; delete from T",
        // The second byte of this character is a backslash that escapes nothing.
        "insert into T values (7,E'\x81\x5C'); delete from T",
        "insert into T values (7,$$;$$); delete from T",
        "insert into T values (7,'a') /* /* */ ; */; delete from T",
    };
    for (const std::string& sql : refused) {
        EXPECT_EQ(m_db.Execute(sql), 0) << Utf8(sql);
        EXPECT_TRUE(Contains(m_db.GetLastError(), "more than one statement"))
            << Utf8(sql) << ": " << Utf8(m_db.GetLastError());
    }
    EXPECT_EQ(m_db.Execute(" -- nothing ;\n ; /* */"), 0);
    EXPECT_EQ(m_db.GetLastError(), "The command text is empty.");
    CAdoRecordset rs;
    rs.SetConnection(m_db.GetConnection());
    EXPECT_EQ(rs.Open("select count(*) from T; delete from T"), 0);
    EXPECT_EQ(rs.GetLastError(),
              "The command text holds more than one statement; the second begins with "
              "\"delete from T\".");
    EXPECT_EQ(ReadRows(m_db, "select count(*) from T -- rows"),
              std::vector<Row>{{std::to_string(accepted.size())}});
}

NIMBREL_ON_BOTH_ENGINES(CommandTextTest);

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

// The first statement after a restart runs on a new connection; a statement
// that was sent and lost its connection may have run and is not sent again.
// (The statements while the server is down are the database fault tests'.)
TEST_F(PostgresOutageTest, StatementsAfterARestartRunOnceOnANewConnection) {
    CAdoDatabase db;
    ASSERT_TRUE(db.Open(m_connect)) << db.GetLastError();
    ExecuteOrFail(db, "create table T (KeyId integer)");
    ExecuteOrFail(db, "create sequence S");
    auto restart = [&] {
        ASSERT_TRUE(Cluster("stop")) << m_output;
        ASSERT_TRUE(Cluster("start")) << m_output;
    };
    CAdoRecordset reading; // a reader cut off ends its records
    reading.SetConnection(db.GetConnection());
    ASSERT_EQ(reading.Open("select generate_series(1,3)"), 1);
    restart();
    for (int guard = 0; !reading.IsEOF() && guard < 10; ++guard)
        reading.MoveNext();
    EXPECT_TRUE(reading.IsEOF());
    EXPECT_EQ(db.Execute("insert into T values (1)"), 1) << db.GetLastError();
    restart();
    EXPECT_EQ(ReadRows(db, "select count(*) from T"), std::vector<Row>{{"1"}});

    EXPECT_EQ(
        db.Execute("select nextval('S'), pg_terminate_backend(pg_backend_pid()), pg_sleep(5)"), 0);
    EXPECT_EQ(ReadRows(db, "select last_value from S"), std::vector<Row>{{"1"}});

    // Inside a transaction a new connection would store the rest on its own.
    ExecuteOrFail(db, "begin");
    ExecuteOrFail(db, "insert into T values (2)");
    restart();
    EXPECT_EQ(db.Execute("insert into T values (3)"), 0);
    EXPECT_TRUE(Contains(db.GetLastError(), "inside a transaction")) << db.GetLastError();
    EXPECT_EQ(ReadRows(db, "select KeyId from T"), std::vector<Row>{{"1"}});
}

} // namespace
