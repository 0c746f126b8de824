#pragma once
// Inside the database library only: one open Qt SQL connection with a
// reference count, shared by a CAdoDatabase and the recordsets reading on it.
#include <QSqlDatabase>
#include <QString>
#include <atomic>
#include <string>

class QSqlError;
struct sqlite3;

enum class DbEngine { SQLite, PostgreSQL };

// A reader in the middle of its rows. Statements on one connection do not
// interleave, so before another statement runs, the reader takes the rest of
// its rows into memory.
class CPendingRows {
public:
    virtual void FetchRemainingRows() = 0;

protected:
    ~CPendingRows() = default;
};

class CAdoConnection {
public:
    // A new connection with one reference, or null with the reason in error.
    static CAdoConnection* Open(const std::string& connectionString, std::string& error);

    void AddRef() { ++m_refs; }
    void Release();

    QSqlDatabase& Database() { return m_db; }
    // The SQLite library's own handle of the connection; null on the server.
    sqlite3* SqliteHandle() const;
    DbEngine Engine() const { return m_engine; }
    const char* ProviderName() const;

    // Called before any statement runs; reader is the one about to run it.
    void BeforeStatement(CPendingRows* reader);
    void SetPendingReader(CPendingRows* reader) { m_pending = reader; }
    void ForgetPendingReader(CPendingRows* reader);

    // Refuses a text that holds no statement or more than one (see
    // StatementText.h); length, when given, receives the part to send: the
    // statement and its ";", without the blanks and comments after it.
    bool CheckStatementText(const std::string& sql, size_t* length, std::string& error) const;
    // Called right before a statement is sent: makes a connection that the
    // server has ended anew. False with the reason when that fails, or when
    // the session ended inside a transaction.
    bool EnsureOpen(std::string& error);
    // 1 or 0 with the error text in error, as CAdoDatabase::Execute.
    int Execute(const std::string& sql, long* recordsAffected, std::string& error);

private:
    CAdoConnection(DbEngine engine, QSqlDatabase db);
    ~CAdoConnection();
    enum class Session { Alive, Ended, EndedInTransaction };
    Session CheckSession();

    std::atomic<int> m_refs{1};
    DbEngine m_engine;
    QSqlDatabase m_db;
    CPendingRows* m_pending = nullptr;
};

// The database's own description of an error as GBK text.
std::string DescribeSqlError(const QSqlError& error);
