#include "database/AdoConnection.h"

#include "database/SqliteLibrary.h"
#include "platform/CodePage.h"
#include "platform/HostFolder.h"

#include <QDir>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <utility>
#include <vector>

namespace {

constexpr int kBusyTimeoutMs = 10000;
constexpr int kConnectTimeoutSeconds = 5;

// Items of an ADO-style connection string: key=value pairs separated by ";",
// keys folded to lower case, values trimmed; a value may be enclosed in
// double or single quotes (a doubled quote stands for one) to hold ";".
struct ConnectionItems {
    std::vector<std::pair<QString, QString>> items;

    // A key given twice takes its last value.
    QString Value(QLatin1StringView key) const {
        for (auto item = items.rbegin(); item != items.rend(); ++item)
            if (item->first == key)
                return item->second;
        return {};
    }
    bool Has(QLatin1StringView key) const {
        for (const auto& item : items)
            if (item.first == key)
                return true;
        return false;
    }
};

// Folds the aliases that ADO connection strings commonly use to one key.
QString CanonicalKey(const QString& key) {
    static const std::pair<const char*, const char*> aliases[] = {{"server", "host"},
                                                                  {"initial catalog", "database"},
                                                                  {"uid", "user id"},
                                                                  {"user", "user id"},
                                                                  {"pwd", "password"}};
    for (const auto& alias : aliases)
        if (key == QLatin1StringView(alias.first))
            return QLatin1StringView(alias.second).toString();
    return key;
}

bool IsKnownKey(const QString& key) {
    static const char* const known[] = {"provider", "data source", "host",    "port",
                                        "database", "user id",     "password"};
    for (const char* k : known)
        if (key == QLatin1StringView(k))
            return true;
    return false;
}

bool ParseConnectionString(const QString& text, ConnectionItems& out, std::string& error) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype end = text.indexOf(u';', i);
        qsizetype eq = text.indexOf(u'=', i);
        if (end < 0)
            end = n;
        if (eq < 0 || eq > end) {
            QString item = text.mid(i, end - i).trimmed();
            if (!item.isEmpty()) {
                error = "Malformed connection string: \"" + ToGbk(item) + "\" has no \"=\".";
                return false;
            }
            i = end + 1;
            continue;
        }
        const QString written = text.mid(i, eq - i).trimmed();
        QString key = CanonicalKey(written.toLower());
        if (key.isEmpty()) {
            error = "Malformed connection string: a value has no key.";
            return false;
        }
        if (!IsKnownKey(key)) {
            error = "Unknown key \"" + ToGbk(written) + "\" in the connection string.";
            return false;
        }
        qsizetype pos = eq + 1;
        while (pos < n && text.at(pos).isSpace())
            ++pos;
        QString value;
        if (pos < n && (text.at(pos) == u'"' || text.at(pos) == u'\'')) {
            const QChar quote = text.at(pos++);
            bool closed = false;
            while (pos < n) {
                if (text.at(pos) == quote) {
                    if (pos + 1 < n && text.at(pos + 1) == quote) {
                        value += quote;
                        pos += 2;
                        continue;
                    }
                    closed = true;
                    ++pos;
                    break;
                }
                value += text.at(pos++);
            }
            if (!closed) {
                error = "Malformed connection string: the value of \"" + ToGbk(key) +
                        "\" has no closing quote.";
                return false;
            }
            end = text.indexOf(u';', pos);
            if (end < 0)
                end = n;
            if (!text.mid(pos, end - pos).trimmed().isEmpty()) {
                error = "Malformed connection string: text after the quoted value of \"" +
                        ToGbk(key) + "\".";
                return false;
            }
        } else {
            value = text.mid(pos, end - pos).trimmed();
        }
        out.items.emplace_back(key, value);
        i = end + 1;
    }
    return true;
}

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

bool OpenSqlite(QSqlDatabase& db, const ConnectionItems& items, std::string& error) {
    const std::string source = ToGbk(items.Value(QLatin1StringView("data source")));
    if (source.empty()) {
        error = "The SQLite connection string has no Data Source.";
        return false;
    }
    QString path = FromGbk(source);
    if (path != QLatin1StringView(":memory:") && QDir::isRelativePath(path))
        path = FromGbk(HostPath(source));
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

bool OpenPostgreSql(QSqlDatabase& db, const ConnectionItems& items, std::string& error) {
    const QString port = items.Value(QLatin1StringView("port"));
    if (!port.isEmpty()) {
        bool ok = false;
        int number = port.toInt(&ok);
        if (!ok || number <= 0 || number > 65535) {
            error = "The port \"" + ToGbk(port) + "\" is not a port number.";
            return false;
        }
        db.setPort(number);
    }
    db.setHostName(items.Value(QLatin1StringView("host")));
    db.setDatabaseName(items.Value(QLatin1StringView("database")));
    db.setUserName(items.Value(QLatin1StringView("user id")));
    db.setPassword(items.Value(QLatin1StringView("password")));
    db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutSeconds));
    if (!db.open()) {
        error = DescribeSqlError(db.lastError());
        return false;
    }
    return ConfigureSession(db, DbEngine::PostgreSQL, error);
}

} // namespace

std::string DescribeSqlError(const QSqlError& error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    return ToGbk(text);
}

CAdoConnection* CAdoConnection::Open(const std::string& connectionString, std::string& error) {
    ConnectionItems items;
    if (!ParseConnectionString(FromGbk(connectionString), items, error))
        return nullptr;
    if (!items.Has(QLatin1StringView("provider"))) {
        error = "The connection string names no Provider.";
        return nullptr;
    }
    const QString provider = items.Value(QLatin1StringView("provider"));
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
    if (m_db.isOpen())
        return true;
    // The server dropped the connection (a restart, the network): connect
    // again, so that the host's object works once the server is back.
    std::string reason;
    if (m_db.open() && ConfigureSession(m_db, m_engine, reason))
        return true;
    error = reason.empty() ? DescribeSqlError(m_db.lastError()) : reason;
    if (error.empty())
        error = "The connection to the database is closed.";
    return false;
}

int CAdoConnection::Execute(const std::string& sql, long* recordsAffected, std::string& error) {
    BeforeStatement(nullptr);
    if (!EnsureOpen(error))
        return 0;
    const QString text = FromGbk(sql);
    if (text.trimmed().isEmpty()) {
        error = "The command text is empty.";
        return 0;
    }
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.exec(text)) {
        error = DescribeSqlError(query.lastError());
        return 0;
    }
    if (recordsAffected)
        *recordsAffected = query.isSelect() ? -1 : query.numRowsAffected();
    return 1;
}
