#include "database/SqliteRows.h"

#include "database/FieldList.h"
#include "platform/CodePage.h"

#include <QVariant>
#include <cstdint>
#include <cstring>
#include <sqlite3.h>

namespace {

std::string SqliteError(sqlite3* db) {
    return ToGbk(QString::fromUtf8(sqlite3_errmsg(db)));
}

template <typename Word> Word Load(const char* at) {
    Word word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// Most values are ASCII and go out as they are. Checked a word at a time,
// the last word overlapping the one before.
bool IsAscii(const char* text, size_t size) {
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    if (size >= 8) {
        for (size_t i = 0; i + 8 < size; i += 8)
            if (Load<std::uint64_t>(text + i) & kHigh)
                return false;
        return !(Load<std::uint64_t>(text + size - 8) & kHigh);
    }
    if (size >= 4)
        return !((Load<std::uint32_t>(text) | Load<std::uint32_t>(text + size - 4)) & kHigh);
    for (size_t i = 0; i < size; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    return true;
}

const char* Text(sqlite3_stmt* statement, int column) {
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
bool CSqliteRows::AppendText(int column, FieldKind kind, std::string& out) {
    sqlite3_value* value = sqlite3_column_value(m_statement, column);
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return false;
    case SQLITE_INTEGER:
        CFieldFormatter::AppendInteger(out, sqlite3_value_int64(value));
        return true;
    case SQLITE_FLOAT:
        CFieldFormatter::AppendReal(out, sqlite3_value_double(value));
        return true;
    case SQLITE_BLOB:
        out.append(static_cast<const char*>(sqlite3_value_blob(value)),
                   size_t(sqlite3_value_bytes(value)));
        return true;
    default:
        break;
    }
    const char* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    const int size = sqlite3_value_bytes(value);
    if (IsDateKind(kind))
        m_formatter.AppendStoredDate(out, QString::fromUtf8(text, size), kind);
    else if (IsAscii(text, size_t(size)))
        out.append(text, size_t(size));
    else
        AppendGbkFromUtf8(out, std::string_view(text, size_t(size)));
    return true;
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
        return TextToInteger(std::string_view(Text(m_statement, column),
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
        return QVariant(QString::fromUtf8(Text(m_statement, column),
                                          sqlite3_column_bytes(m_statement, column)));
    }
}
