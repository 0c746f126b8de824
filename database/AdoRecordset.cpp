#include "database/AdoRecordset.h"

#include "database/AdoConnection.h"
#include "database/FieldText.h"
#include "platform/CodePage.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <cstdlib>
#include <optional>
#include <sqlite3.h>
#include <unordered_map>
#include <vector>

namespace {

const char kNotOpen[] = "Connection Not open!\r\n";
const char kNoCurrentRecord[] = "No current record: the recordset is at its end or not open.";

bool IsAscii(const unsigned char* text, int size) {
    for (int i = 0; i < size; ++i)
        if (text[i] >= 0x80)
            return false;
    return true;
}

std::string SqliteError(sqlite3* db) {
    return ToGbk(QString::fromUtf8(sqlite3_errmsg(db)));
}

QVariant SqliteVariant(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, i));
    case SQLITE_BLOB: {
        const char* data = static_cast<const char*>(sqlite3_column_blob(stmt, i));
        return QVariant(QByteArray(data, sqlite3_column_bytes(stmt, i)));
    }
    default: {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, i)));
    }
    }
}

} // namespace

// Rows come from one of three places: a statement of the SQLite library
// itself (the embedded database, read without a layer in between), a Qt
// query (the server), or memory (the rest of the rows, taken when another
// statement needed the connection).
struct CAdoRecordset::Impl final : CPendingRows {
    enum class Source { None, Sqlite, Query, Memory };

    CAdoConnection* connection = nullptr;
    bool everOpened = false; // Close tells "never opened" apart
    bool onRow = false;      // a current record exists
    Source source = Source::None;
    sqlite3_stmt* stmt = nullptr;
    std::optional<QSqlQuery> query;
    std::vector<QVariant> rows; // Memory: fieldCount values per row, invalid for NULL
    size_t rowStart = 0;

    int fieldCount = 0;
    std::vector<std::string> names;
    std::vector<FieldKind> kinds;

    // Field name resolution: each spelling is looked up once per select; a
    // reader that takes the fields in select order hits the next field's
    // last spelling without a lookup.
    std::unordered_map<std::string, int> resolved;
    std::vector<std::string> spelling;
    int lastIndex = -1;

    CFieldFormatter formatter;
    std::string value;
    std::string lastError;

    ~Impl() {
        CloseSelect();
        if (connection)
            connection->Release();
    }

    void ReleaseRows() {
        if (connection)
            connection->ForgetPendingReader(this);
        if (stmt)
            sqlite3_finalize(stmt);
        stmt = nullptr;
        query.reset();
        rows.clear();
        rowStart = 0;
        onRow = false;
    }

    void CloseSelect() {
        ReleaseRows();
        source = Source::None;
        fieldCount = 0;
        names.clear();
        kinds.clear();
        resolved.clear();
        spelling.clear();
        lastIndex = -1;
    }

    void SetFieldCount(int count) {
        fieldCount = count;
        names.assign(size_t(count), std::string());
        kinds.assign(size_t(count), FieldKind::Text);
        spelling.assign(size_t(count), std::string());
        formatter.Reset();
    }

    int OpenSqlite(sqlite3* db, const std::string& sql) {
        const QString text = FromGbk(sql);
        if (sqlite3_prepare16_v2(db, text.utf16(), int(text.size() * 2), &stmt, nullptr) !=
            SQLITE_OK) {
            lastError = SqliteError(db);
            stmt = nullptr;
            return 0;
        }
        if (!stmt) {
            lastError = "The command text is empty.";
            return 0;
        }
        const int step = sqlite3_step(stmt);
        if (step != SQLITE_ROW && step != SQLITE_DONE) {
            lastError = SqliteError(db);
            ReleaseRows();
            return 0;
        }
        source = Source::Sqlite;
        onRow = step == SQLITE_ROW;
        SetFieldCount(sqlite3_column_count(stmt));
        for (int i = 0; i < fieldCount; ++i) {
            names[size_t(i)] = ToGbk(QString::fromUtf8(sqlite3_column_name(stmt, i)));
            std::optional<FieldKind> declared =
                KindFromDeclaredType(sqlite3_column_decltype(stmt, i));
            if (declared)
                kinds[size_t(i)] = *declared;
            else if (onRow && sqlite3_column_type(stmt, i) == SQLITE_BLOB)
                kinds[size_t(i)] = FieldKind::Binary;
            else if (onRow && sqlite3_column_type(stmt, i) != SQLITE_TEXT)
                kinds[size_t(i)] = FieldKind::Number;
        }
        return 1;
    }

    int OpenQuery(const std::string& sql) {
        query.emplace(connection->Database());
        query->setForwardOnly(true);
        if (!query->exec(FromGbk(sql))) {
            lastError = DescribeSqlError(query->lastError());
            query.reset();
            return 0;
        }
        source = Source::Query;
        if (!query->isSelect())
            return 1; // a command without rows: nothing to read
        const QSqlRecord record = query->record();
        SetFieldCount(int(record.count()));
        for (int i = 0; i < fieldCount; ++i) {
            names[size_t(i)] = ToGbk(record.fieldName(i));
            kinds[size_t(i)] = KindFromMetaType(record.field(i).metaType());
        }
        onRow = query->next();
        if (!onRow && query->lastError().isValid()) {
            lastError = DescribeSqlError(query->lastError());
            return 0;
        }
        return 1;
    }

    void FetchRemainingRows() override {
        if (!onRow || source == Source::Memory)
            return;
        std::vector<QVariant> rest;
        bool more = true;
        while (more) {
            for (int i = 0; i < fieldCount; ++i) {
                if (source == Source::Sqlite)
                    rest.push_back(SqliteVariant(stmt, i));
                else
                    rest.push_back(query->isNull(i) ? QVariant() : query->value(i));
            }
            more = Advance();
        }
        ReleaseRows();
        rows = std::move(rest);
        source = Source::Memory;
        onRow = !rows.empty();
    }

    // Steps the database's rows; false at the end or on an error (last error set).
    bool Advance() {
        if (source == Source::Sqlite) {
            const int step = sqlite3_step(stmt);
            if (step == SQLITE_ROW)
                return true;
            if (step != SQLITE_DONE)
                lastError = SqliteError(sqlite3_db_handle(stmt));
            return false;
        }
        if (query->next())
            return true;
        if (query->lastError().isValid())
            lastError = DescribeSqlError(query->lastError());
        return false;
    }

    void MoveNext() {
        if (source == Source::Memory) {
            rowStart += size_t(fieldCount);
            if (rowStart < rows.size())
                return;
        } else if (Advance()) {
            return;
        }
        ReleaseRows();
    }

    int Resolve(std::string_view field) {
        if (field.empty() || fieldCount == 0)
            return -1;
        const int next = lastIndex + 1 < fieldCount ? lastIndex + 1 : 0;
        if (spelling[size_t(next)] == field) {
            lastIndex = next;
            return next;
        }
        std::string key(field);
        auto found = resolved.find(key);
        int index = -1;
        if (found != resolved.end()) {
            index = found->second;
        } else {
            for (int i = 0; i < fieldCount; ++i) {
                if (GbkEqualNoCase(names[size_t(i)], field)) {
                    index = i;
                    break;
                }
            }
            resolved.emplace(key, index);
        }
        if (index >= 0) {
            spelling[size_t(index)] = std::move(key);
            lastIndex = index;
        }
        return index;
    }

    int FieldIndex(std::string_view field) {
        const int index = Resolve(field);
        if (!onRow)
            lastError = kNoCurrentRecord;
        else if (index < 0)
            lastError = "No field named \"" + std::string(field) + "\" in the recordset.";
        return index;
    }

    bool CheckCurrent(int index) {
        if (!onRow) {
            lastError = kNoCurrentRecord;
            return false;
        }
        if (index < 0 || index >= fieldCount) {
            lastError = "No field " + std::to_string(index) + " in the recordset.";
            return false;
        }
        return true;
    }

    // False for NULL.
    bool AppendSqliteText(int i) {
        switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_NULL:
            return false;
        case SQLITE_INTEGER:
            CFieldFormatter::AppendInteger(value, sqlite3_column_int64(stmt, i));
            return true;
        case SQLITE_FLOAT:
            CFieldFormatter::AppendReal(value, sqlite3_column_double(stmt, i));
            return true;
        case SQLITE_BLOB:
            value.append(static_cast<const char*>(sqlite3_column_blob(stmt, i)),
                         size_t(sqlite3_column_bytes(stmt, i)));
            return true;
        default:
            break;
        }
        const unsigned char* text = sqlite3_column_text(stmt, i);
        const int size = sqlite3_column_bytes(stmt, i);
        const FieldKind kind = kinds[size_t(i)];
        if (IsDateKind(kind))
            formatter.AppendStoredDate(
                value, QString::fromUtf8(reinterpret_cast<const char*>(text), size), kind);
        else if (IsAscii(text, size))
            value.append(reinterpret_cast<const char*>(text), size_t(size));
        else
            AppendGbk(value, QString::fromUtf8(reinterpret_cast<const char*>(text), size));
        return true;
    }

    const char* Text(int index) {
        if (!CheckCurrent(index))
            return nullptr;
        value.clear();
        switch (source) {
        case Source::Sqlite:
            if (!AppendSqliteText(index))
                return nullptr;
            break;
        case Source::Query:
            if (query->isNull(index))
                return nullptr;
            formatter.AppendVariant(value, query->value(index), kinds[size_t(index)]);
            break;
        default: {
            const QVariant& v = rows[rowStart + size_t(index)];
            if (!v.isValid())
                return nullptr;
            formatter.AppendVariant(value, v, kinds[size_t(index)]);
        }
        }
        return value.c_str();
    }

    int Integer(int index) {
        if (!CheckCurrent(index))
            return 0;
        switch (source) {
        case Source::Sqlite:
            switch (sqlite3_column_type(stmt, index)) {
            case SQLITE_NULL:
                return 0;
            case SQLITE_FLOAT:
                return int(sqlite3_column_double(stmt, index));
            case SQLITE_INTEGER:
                return int(sqlite3_column_int64(stmt, index));
            default:
                return std::atoi(reinterpret_cast<const char*>(sqlite3_column_text(stmt, index)));
            }
        case Source::Query:
            return query->isNull(index) ? 0 : VariantToInt(query->value(index));
        default: {
            const QVariant& v = rows[rowStart + size_t(index)];
            return v.isValid() ? VariantToInt(v) : 0;
        }
        }
    }
};

CAdoRecordset::CAdoRecordset() : m_impl(std::make_unique<Impl>()) {}

CAdoRecordset::~CAdoRecordset() = default;

void CAdoRecordset::SetConnection(CAdoConnection* connection) {
    Impl& d = *m_impl;
    if (connection == d.connection)
        return;
    d.CloseSelect();
    if (connection)
        connection->AddRef();
    if (d.connection)
        d.connection->Release();
    d.connection = connection;
}

int CAdoRecordset::Open(const std::string& sql) {
    Impl& d = *m_impl;
    d.CloseSelect();
    d.everOpened = true;
    if (!d.connection) {
        d.lastError = kNotOpen;
        return 0;
    }
    if (!d.connection->CheckStatementText(sql, nullptr, d.lastError))
        return 0;
    d.connection->BeforeStatement(&d);
    if (!d.connection->EnsureOpen(d.lastError))
        return 0;
    sqlite3* sqlite = d.connection->SqliteHandle();
    const int result = sqlite ? d.OpenSqlite(sqlite, sql) : d.OpenQuery(sql);
    if (d.onRow)
        d.connection->SetPendingReader(&d);
    else
        d.ReleaseRows();
    return result;
}

bool CAdoRecordset::IsEOF() const {
    return !m_impl->onRow;
}

void CAdoRecordset::MoveNext() {
    Impl& d = *m_impl;
    if (d.onRow)
        d.MoveNext();
    else if (d.everOpened)
        d.lastError = kNoCurrentRecord;
}

const char* CAdoRecordset::GetString(std::string_view field) {
    const int index = m_impl->FieldIndex(field);
    return index < 0 ? nullptr : m_impl->Text(index);
}

std::string CAdoRecordset::GetText(std::string_view field) {
    return GetString(field) ? m_impl->value : std::string();
}

int CAdoRecordset::GetInt(std::string_view field) {
    const int index = m_impl->FieldIndex(field);
    return index < 0 ? 0 : m_impl->Integer(index);
}

int CAdoRecordset::GetFieldCount() const {
    return m_impl->fieldCount;
}

const std::string& CAdoRecordset::GetFieldName(int index) const {
    static const std::string none;
    if (index < 0 || index >= m_impl->fieldCount)
        return none;
    return m_impl->names[size_t(index)];
}

const char* CAdoRecordset::GetFieldValue(int index) {
    return m_impl->Text(index);
}

bool CAdoRecordset::IsTextField(int index) const {
    if (index < 0 || index >= m_impl->fieldCount)
        return false;
    const FieldKind kind = m_impl->kinds[size_t(index)];
    return kind == FieldKind::Text || kind == FieldKind::Binary;
}

int CAdoRecordset::Close() {
    Impl& d = *m_impl;
    if (!d.everOpened)
        return 0;
    d.CloseSelect();
    return 1;
}

const std::string& CAdoRecordset::GetLastError() const {
    return m_impl->lastError;
}
