#include "database/SqliteRows.h"

#include "database/FieldList.h"
#include "platform/CodePage.h"

#include <QVariant>
#include <sqlite3.h>

namespace {

std::string SqliteError(sqlite3* db) {
    return ToGbk(QString::fromUtf8(sqlite3_errmsg(db)));
}

const char* ColumnText(sqlite3_stmt* statement, int column) {
    return reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
}

} // namespace

std::unique_ptr<CSqliteRows> CSqliteRows::Open(sqlite3* db, const std::string& sql,
                                               CFieldList& fields, bool& onRow,
                                               std::string& error) {
    const QString text = FromGbk(sql);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare16_v2(db, text.utf16(), int(text.size() * 2), &statement, nullptr) !=
        SQLITE_OK) {
        error = SqliteError(db);
        return nullptr;
    }
    if (!statement) {
        error = "The command text is empty.";
        return nullptr;
    }
    std::unique_ptr<CSqliteRows> rows(new CSqliteRows(statement));
    const int step = sqlite3_step(statement);
    if (step != SQLITE_ROW && step != SQLITE_DONE) {
        error = SqliteError(db);
        return nullptr;
    }
    onRow = step == SQLITE_ROW;
    rows->Describe(fields, onRow);
    return rows;
}

CSqliteRows::CSqliteRows(sqlite3_stmt* statement) : m_statement(statement) {}

CSqliteRows::~CSqliteRows() {
    sqlite3_finalize(m_statement);
}

// A column declared with a type takes its kind from it; an expression takes
// the kind of its value in the first row.
void CSqliteRows::Describe(CFieldList& fields, bool onRow) const {
    for (int i = 0; i < sqlite3_column_count(m_statement); ++i) {
        FieldKind kind = FieldKind::Text;
        if (std::optional<FieldKind> declared =
                KindFromDeclaredType(sqlite3_column_decltype(m_statement, i)))
            kind = *declared;
        else if (onRow && sqlite3_column_type(m_statement, i) == SQLITE_BLOB)
            kind = FieldKind::Binary;
        else if (onRow && sqlite3_column_type(m_statement, i) != SQLITE_TEXT)
            kind = FieldKind::Number;
        fields.Add(ToGbk(QString::fromUtf8(sqlite3_column_name(m_statement, i))), kind);
    }
}

bool CSqliteRows::Next(std::string& error) {
    const int step = sqlite3_step(m_statement);
    if (step == SQLITE_ROW)
        return true;
    if (step != SQLITE_DONE)
        error = SqliteError(sqlite3_db_handle(m_statement));
    return false;
}

// One look at the column gives its value; the value's functions then read it
// without the statement's checks (one reader, one thread per connection).
// Texts and integers, nearly every value, are written here; the rest goes
// through Qt out of line.
bool CSqliteRows::Text(int column, FieldKind kind, CValueText& text) {
    sqlite3_value* value = sqlite3_column_value(m_statement, column);
    const int type = sqlite3_value_type(value);
    if (type == SQLITE_TEXT && !IsDateKind(kind)) {
        const char* utf8 = reinterpret_cast<const char*>(sqlite3_value_text(value));
        const size_t size = size_t(sqlite3_value_bytes(value));
        text.End(WriteGbkFromUtf8(text.Room(size), std::string_view(utf8, size)));
        return true;
    }
    if (type == SQLITE_INTEGER) {
        CFieldFormatter::WriteInteger(text, sqlite3_value_int64(value));
        return true;
    }
    if (type == SQLITE_NULL)
        return false;
    WriteOther(value, kind, text);
    return true;
}

void CSqliteRows::WriteOther(sqlite3_value* value, FieldKind kind, CValueText& text) {
    switch (sqlite3_value_type(value)) {
    case SQLITE_FLOAT:
        m_formatter.WriteReal(text, sqlite3_value_double(value));
        break;
    case SQLITE_BLOB:
        text.Assign(std::string_view(static_cast<const char*>(sqlite3_value_blob(value)),
                                     size_t(sqlite3_value_bytes(value))));
        break;
    default: // a date kept as text
        m_formatter.WriteStoredDate(
            text,
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                              sqlite3_value_bytes(value)),
            kind);
    }
}

std::optional<long long> CSqliteRows::Integer(int column) {
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_NULL:
        return 0;
    case SQLITE_INTEGER:
        return sqlite3_column_int64(m_statement, column);
    case SQLITE_FLOAT:
        return RealToInteger(sqlite3_column_double(m_statement, column));
    default:
        return TextToInteger(std::string_view(ColumnText(m_statement, column),
                                              size_t(sqlite3_column_bytes(m_statement, column))));
    }
}

QVariant CSqliteRows::Value(int column) {
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, column));
    case SQLITE_BLOB: {
        const char* data = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(m_statement, column)));
    }
    default:
        return QVariant(QString::fromUtf8(ColumnText(m_statement, column),
                                          sqlite3_column_bytes(m_statement, column)));
    }
}
