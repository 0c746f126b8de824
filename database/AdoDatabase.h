#pragma once
// The host's database object: one connection opened from an ADO-style
// connection string, the string itself and the text of the last error.
// The host opens and closes it; screens and dialogs hold plain pointers to it.
//
// Connection strings (read by the rules in database/ConnectionString.h):
//   Provider=SQLite;Data Source=data/nimbrel.db
//       a relative file is taken below the host folder; opened in WAL mode
//       with a busy timeout so that several processes write at the same time
//   Provider=PostgreSQL;Host=127.0.0.1;Port=5432;Database=nimbrel;User ID=u;Password=p
//       Host may also be the folder of the server's local socket
// Show or log a connection string only through MaskConnectionPassword.
//
// All texts are GBK.
#include <string>

class CAdoConnection; // one open connection, shared by the database object and its recordsets

class CAdoDatabase {
public:
    CAdoDatabase();
    ~CAdoDatabase();
    CAdoDatabase(const CAdoDatabase&) = delete;
    CAdoDatabase& operator=(const CAdoDatabase&) = delete;

    // Opens a connection (closing any previous one). false: the last error
    // says why (malformed string, unknown provider, unreachable server, ...).
    bool Open(const std::string& connectionString);
    // Gives up the connection. Recordsets still reading keep it alive until
    // they are destroyed.
    void Close();
    bool IsOpen() const { return m_connection != nullptr; }

    // Runs one statement. 1 on success (also when an update matches nothing),
    // 0 on failure with the database's own description as the last error,
    // or "Connection Not open!\r\n" without a connection. The number of
    // records affected goes to recordsAffected when given (-1 for a select).
    // options is accepted for compatibility; every statement is a text command.
    // A text that holds no statement or a second one is refused before it is
    // sent (database/StatementText.h). A session that the server ended while
    // the connection rested (a restart) is made anew before the statement is
    // sent; a statement that fails after it was sent is not sent again.
    int Execute(const std::string& sql, long* recordsAffected = nullptr, long options = 1);

    const std::string& GetConnectionString() const { return m_connectionString; }
    const std::string& GetLastError() const { return m_lastError; }
    // For operations of the database library that run several statements
    // and report their failure as one last error.
    void SetLastError(const std::string& text) { m_lastError = text; }
    // "SQLite" or "PostgreSQL" while open, empty otherwise.
    const std::string& GetProvider() const { return m_provider; }

    // The connection that CAdoRecordset::SetConnection takes; null when not open.
    CAdoConnection* GetConnection() const { return m_connection; }

private:
    CAdoConnection* m_connection = nullptr; // one counted reference
    std::string m_connectionString;
    std::string m_lastError;
    std::string m_provider;
};
