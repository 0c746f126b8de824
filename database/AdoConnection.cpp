#include "database/AdoConnection.h"

#include "database/ConnectionString.h"
#include "database/SqliteLibrary.h"
#include "database/StatementText.h"
#include "platform/CodePage.h"
#include "platform/HostFolder.h"

#include <QDir>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <libpq-fe.h>
#include <poll.h>
#include <utility>

namespace {

constexpr int kBusyTimeoutMs = 10000;
constexpr int kConnectTimeoutSeconds = 5;

QString NextConnectionName() {
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("nimbrel-db-%1").arg(++counter);
}

void DropQtConnection(QSqlDatabase& db) {
    const QString name = db.connectionName();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

bool ConfigureSession(QSqlDatabase& db, DbEngine engine, std::string& error) {
    QSqlQuery setting(db);
    // Write-ahead logging lets the host and the worker program read and write
    // the same file at the same time; the busy timeout covers two writers.
    // Text values reach SQL with their quotes doubled and nothing else
    // escaped, so on the server a backslash must stay an ordinary character.
    const QString statement = engine == DbEngine::SQLite
                                  ? QStringLiteral("PRAGMA journal_mode=WAL")
                                  : QStringLiteral("SET standard_conforming_strings = on");
    if (!setting.exec(statement)) {
        error = DescribeSqlError(setting.lastError());
        return false;
    }
    return true;
}

bool OpenSqlite(QSqlDatabase& db, const CConnectionString& items, std::string& error) {
    const std::string source = items.Value("data source");
    if (source.empty()) {
        error = "The SQLite connection string has no Data Source.";
        return false;
    }
    QString path = FromGbk(source);
    if (path != QLatin1StringView(":memory:") && QDir::isRelativePath(path))
        path = FromPath(HostPath(source));
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open()) {
        error = DescribeSqlError(db.lastError()) + " (" + ToGbk(path) + ")";
        return false;
    }
    if (!SqliteDriverMatches(db.driver(), error))
        return false;
    if (!ConfigureSession(db, DbEngine::SQLite, error)) {
        error += " (" + ToGbk(path) + ")";
        return false;
    }
    return true;
}

bool OpenPostgreSql(QSqlDatabase& db, const CConnectionString& items, std::string& error) {
    const QString port = FromGbk(items.Value("port"));
    if (!port.isEmpty()) {
        bool ok = false;
        int number = port.toInt(&ok);
        if (!ok || number <= 0 || number > 65535) {
            error = "The port \"" + ToGbk(port) + "\" is not a port number.";
            return false;
        }
        db.setPort(number);
    }
    db.setHostName(FromGbk(items.Value("host")));
    db.setDatabaseName(FromGbk(items.Value("database")));
    db.setUserName(FromGbk(items.Value("user id")));
    db.setPassword(FromGbk(items.Value("password")));
    db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutSeconds));
    if (!db.open()) {
        error = DescribeSqlError(db.lastError());
        return false;
    }
    return ConfigureSession(db, DbEngine::PostgreSQL, error);
}

// At most maxBytes of text, without cutting a double-byte character.
std::string GbkPrefix(std::string_view text, size_t maxBytes) {
    size_t end = 0;
    while (end < text.size()) {
        const size_t next = end + (static_cast<unsigned char>(text[end]) >= 0x81 ? 2 : 1);
        if (next > maxBytes || next > text.size())
            break;
        end = next;
    }
    return std::string(text.substr(0, end));
}

} // namespace

std::string DescribeSqlError(const QSqlError& error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    return ToGbk(text);
}

CAdoConnection* CAdoConnection::Open(const std::string& connectionString, std::string& error) {
    CConnectionString items;
    if (!items.Parse(connectionString, error))
        return nullptr;
    if (!items.Has("provider")) {
        error = "The connection string names no Provider.";
        return nullptr;
    }
    const QString provider = FromGbk(items.Value("provider"));
    DbEngine engine;
    QString driver;
    if (provider.compare(QLatin1StringView("SQLite"), Qt::CaseInsensitive) == 0) {
        engine = DbEngine::SQLite;
        driver = QStringLiteral("QSQLITE");
    } else if (provider.compare(QLatin1StringView("PostgreSQL"), Qt::CaseInsensitive) == 0) {
        engine = DbEngine::PostgreSQL;
        driver = QStringLiteral("QPSQL");
    } else {
        error = "Unknown provider \"" + ToGbk(provider) + "\": use SQLite or PostgreSQL.";
        return nullptr;
    }
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        error = "The Qt SQL driver " + ToGbk(driver) + " is not installed.";
        return nullptr;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, NextConnectionName());
    const bool opened = engine == DbEngine::SQLite ? OpenSqlite(db, items, error)
                                                   : OpenPostgreSql(db, items, error);
    if (!opened) {
        DropQtConnection(db);
        return nullptr;
    }
    return new CAdoConnection(engine, std::move(db));
}

CAdoConnection::CAdoConnection(DbEngine engine, QSqlDatabase db)
    : m_engine(engine), m_db(std::move(db)) {}

CAdoConnection::~CAdoConnection() {
    DropQtConnection(m_db);
}

void CAdoConnection::Release() {
    if (--m_refs == 0)
        delete this;
}

sqlite3* CAdoConnection::SqliteHandle() const {
    if (m_engine != DbEngine::SQLite || !m_db.driver())
        return nullptr;
    const QVariant handle = m_db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

const char* CAdoConnection::ProviderName() const {
    return m_engine == DbEngine::SQLite ? "SQLite" : "PostgreSQL";
}

void CAdoConnection::BeforeStatement(CPendingRows* reader) {
    if (m_pending && m_pending != reader) {
        CPendingRows* pending = m_pending;
        m_pending = nullptr;
        pending->FetchRemainingRows();
    }
}

void CAdoConnection::ForgetPendingReader(CPendingRows* reader) {
    if (m_pending == reader)
        m_pending = nullptr;
}

bool CAdoConnection::EnsureOpen(std::string& error) {
    if (m_db.isOpen()) {
        const Session session = CheckSession();
        if (session == Session::Alive)
            return true;
        if (session == Session::EndedInTransaction) {
            // A new connection would run the transaction's remaining
            // statements outside of it.
            error = "The connection to the database was lost inside a transaction; "
                    "its statements were not stored.";
            m_db.close();
            return false;
        }
    }
    // The server ended the session (a restart, an administrator, the
    // network): connect again, so that the statement about to run and the
    // host's object work once the server is back.
    m_db.close();
    std::string reason;
    if (m_db.open() && ConfigureSession(m_db, m_engine, reason))
        return true;
    error = reason.empty() ? DescribeSqlError(m_db.lastError()) : reason;
    if (error.empty())
        error = "The connection to the database is closed.";
    return false;
}

// A server that ends a session sends its reason and closes the socket; on a
// connection at rest both wait unread until the next statement, which would
// then fail ("terminating connection due to administrator command") without
// having run. They are read here, before anything is sent, so the statement
// runs on a new connection instead. A statement that fails once it was sent
// may have run: it is never sent again.
CAdoConnection::Session CAdoConnection::CheckSession() {
    if (m_engine != DbEngine::PostgreSQL)
        return Session::Alive;
    const QVariant handle = m_db.driver()->handle();
    // Qt names the type by the structure behind libpq's PGconn.
    if (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0)
        return Session::Alive;
    PGconn* connection = *static_cast<PGconn* const*>(handle.constData());
    const bool inTransaction = PQtransactionStatus(connection) != PQTRANS_IDLE;
    // Each round reads what has arrived; the end of the session shows as a
    // closed socket after at most a few messages.
    for (int round = 0; round < 8 && PQstatus(connection) == CONNECTION_OK; ++round) {
        pollfd socket{PQsocket(connection), POLLIN, 0};
        if (socket.fd < 0 || poll(&socket, 1, 0) <= 0)
            break;
        PQconsumeInput(connection);
    }
    if (PQstatus(connection) == CONNECTION_OK)
        return Session::Alive;
    return inTransaction ? Session::EndedInTransaction : Session::Ended;
}

bool CAdoConnection::CheckStatementText(const std::string& sql, size_t* length,
                                        std::string& error) const {
    const StatementScan scan = ScanStatements(sql, m_engine);
    switch (scan.count) {
    case StatementScan::Count::None:
        error = "The command text is empty.";
        return false;
    case StatementScan::Count::Several:
        error = "The command text holds more than one statement; the second begins with \"" +
                GbkPrefix(std::string_view(sql).substr(scan.position), 40) + "\".";
        return false;
    default:
        if (length)
            *length = scan.position;
        return true;
    }
}

int CAdoConnection::Execute(const std::string& sql, long* recordsAffected, std::string& error) {
    size_t length = 0;
    if (!CheckStatementText(sql, &length, error))
        return 0;
    BeforeStatement(nullptr);
    if (!EnsureOpen(error))
        return 0;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    // Without what follows the statement: SQLite refuses even a comment there.
    if (!query.exec(FromGbk(std::string_view(sql).substr(0, length)))) {
        error = DescribeSqlError(query.lastError());
        return 0;
    }
    if (recordsAffected)
        *recordsAffected = query.isSelect() ? -1 : query.numRowsAffected();
    return 1;
}
