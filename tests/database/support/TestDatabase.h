#pragma once
// Fresh databases for tests that run on both engines: a SQLite file in a
// temporary host folder, or a new database on the tests' PostgreSQL server.
#include "database/AdoDatabase.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

class CAdoRecordset;

enum class Engine { SQLite, PostgreSQL };

// Test suites parameterised on Engine run once per engine; the PostgreSQL
// instances carry the prefix "Postgres", which the test entries filter on.
#define NIMBREL_ON_BOTH_ENGINES(Suite)                                                             \
    INSTANTIATE_TEST_SUITE_P(Sqlite, Suite, ::testing::Values(Engine::SQLite));                    \
    INSTANTIATE_TEST_SUITE_P(Postgres, Suite, ::testing::Values(Engine::PostgreSQL))

// A setting of the tests' PostgreSQL server, from the environment when set
// there, else from the state file that CTest's fixture "postgres" writes into
// the build folder (scripts/pg-cluster.sh setup): NIMBREL_PG_CONNECT, the
// connection string; NIMBREL_PG_ROOT, the folder of its cluster, in which a
// test may make clusters of its own. Empty when neither has it.
std::string PostgresSetting(const std::string& name);

class TestDatabase {
public:
    explicit TestDatabase(Engine engine);
    ~TestDatabase();

    // Empty when the database is ready; otherwise why it is not.
    const std::string& Error() const { return m_error; }
    const std::string& ConnectionString() const { return m_connect; }
    const TempHostFolder& HostFolder() const { return m_host; }

private:
    TempHostFolder m_host;
    std::string m_connect;
    std::string m_admin;
    std::string m_name;
    std::string m_error;
};

// A fresh database of the parameter's engine, open as m_db.
class OpenedDatabaseTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override;
    // Opens a select on m_db; a failure adds a test failure.
    void Open(CAdoRecordset& rs, const std::string& sql);

    TestDatabase m_test{GetParam()};
    CAdoDatabase m_db;
};

// A fresh database of the parameter's engine holding the system's tables.
class SchemaDatabaseTest : public OpenedDatabaseTest {
protected:
    void SetUp() override;
};

// Rows of a select, every value as text or nullopt for NULL; a failed open
// adds a test failure.
using Row = std::vector<std::optional<std::string>>;
std::vector<Row> ReadRows(CAdoDatabase& db, const std::string& sql);

// Runs a statement and adds a test failure with the database's error text.
void ExecuteOrFail(CAdoDatabase& db, const std::string& sql);

bool Contains(const std::string& text, const std::string& part);

// Korvald.exe in a host folder: a copy, since it takes the folder of its file
// as its own, with links to the build's libraries beside it. False with the
// reason in error.
bool InstallWorker(const std::string& folder, std::string& error);
// Waits up to a minute for the worker's run of task key to end: its row shows
// the final status (set last) and the run's lock is free. False on timeout.
bool WaitForWorker(CAdoDatabase& db, const std::string& folder, const std::string& key);
