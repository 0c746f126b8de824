#include "tests/database/support/TestDatabase.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "database/Schema.h"
#include "platform/CodePage.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QtGlobal>
#include <atomic>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <unistd.h>

std::string PostgresSetting(const std::string& name) {
    const QByteArray set = qgetenv(name.c_str());
    if (!set.isEmpty())
        return set.toStdString();
    std::ifstream state(NIMBREL_PG_STATE);
    const std::string prefix = name + "=";
    for (std::string line; std::getline(state, line);)
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line.substr(prefix.size());
    return {};
}

TestDatabase::TestDatabase(Engine engine) {
    if (engine == Engine::SQLite) {
        m_host.Write("data/.keep", "");
        m_connect = "Provider=SQLite;Data Source=data/test.db";
        return;
    }
    m_admin = PostgresSetting("NIMBREL_PG_CONNECT");
    if (m_admin.empty()) {
        m_error = "no PostgreSQL server for the tests: run them with ctest, whose fixture "
                  "starts one, or set NIMBREL_PG_CONNECT";
        return;
    }
    static std::atomic<int> counter{0};
    m_name = "nimbrel_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    CAdoDatabase admin;
    if (!admin.Open(m_admin) || !admin.Execute("create database " + m_name)) {
        m_error = "cannot create a test database: " + admin.GetLastError();
        m_name.clear();
        return;
    }
    m_connect = m_admin + ";Database=" + m_name;
}

TestDatabase::~TestDatabase() {
    if (m_name.empty())
        return;
    CAdoDatabase admin;
    if (admin.Open(m_admin))
        admin.Execute("drop database if exists " + m_name + " with (force)");
}

void OpenedDatabaseTest::SetUp() {
    ASSERT_EQ(m_test.Error(), "");
    ASSERT_TRUE(m_db.Open(m_test.ConnectionString())) << Utf8(m_db.GetLastError());
}

void SchemaDatabaseTest::SetUp() {
    OpenedDatabaseTest::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    std::string error;
    ASSERT_TRUE(CreateSchema(m_db, error)) << Utf8(error);
}

void OpenedDatabaseTest::Open(CAdoRecordset& rs, const std::string& sql) {
    rs.SetConnection(m_db.GetConnection());
    ASSERT_EQ(rs.Open(sql), 1) << Utf8(sql) << ": " << Utf8(rs.GetLastError());
}

std::vector<Row> ReadRows(CAdoDatabase& db, const std::string& sql) {
    std::vector<Row> rows;
    CAdoRecordset rs;
    rs.SetConnection(db.GetConnection());
    if (!rs.Open(sql))
        ADD_FAILURE() << "cannot open " << Utf8(sql) << ": " << Utf8(rs.GetLastError());
    for (; !rs.IsEOF(); rs.MoveNext()) {
        Row& row = rows.emplace_back();
        for (int i = 0; i < rs.GetFieldCount(); ++i) {
            const char* value = rs.GetFieldValue(i);
            row.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    return rows;
}

void ExecuteOrFail(CAdoDatabase& db, const std::string& sql) {
    if (!db.Execute(sql))
        ADD_FAILURE() << Utf8(sql) << ": " << Utf8(db.GetLastError());
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool InstallWorker(const std::string& folder, std::string& error) {
    const QString target = FromPath(folder);
    if (!QFile::copy(QStringLiteral(KORVALD_EXE), target + QStringLiteral("Korvald.exe"))) {
        error = "cannot copy Korvald.exe into " + folder;
        return false;
    }
    const QDir app(QStringLiteral(NIMBREL_APP_DIR));
    for (const QString& library : app.entryList({QStringLiteral("*.so*")}, QDir::Files)) {
        if (!QFile::link(app.filePath(library), target + library)) {
            error = "cannot link " + library.toStdString();
            return false;
        }
    }
    return true;
}

// The worker creates its lock file a moment before it takes the lock, so the
// status alone tells that the run has reached its end.
bool WaitForWorker(CAdoDatabase& db, const std::string& folder, const std::string& key) {
    const std::string lock = folder + "data/nimbrel" + key + ".lock";
    const std::string status = "select FDStatus from Nimbrel where KeyId=" + key;
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        const std::vector<Row> rows = ReadRows(db, status);
        const bool finished = rows.size() == 1 && rows[0][0] && *rows[0][0] != "0";
        const int fd = finished ? ::open(lock.c_str(), O_RDONLY | O_CLOEXEC) : -1;
        const bool free = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (fd >= 0)
            ::close(fd);
        if (free)
            return true;
        QThread::msleep(20);
    }
    return false;
}
