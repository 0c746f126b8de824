#include "database/AdoRecordset.h"

#include "database/AdoConnection.h"
#include "platform/CodePage.h"

#include <QDateTime>
#include <QLocale>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <sqlite3.h>
#include <unordered_map>
#include <vector>

namespace {

const char kNotOpen[] = "Connection Not open!\r\n";
const char kNoCurrentRecord[] = "No current record: the recordset is at its end or not open.";

// What a column holds, as far as the conversion to text cares.
enum class FieldKind { Text, Binary, Number, DateTime, Date, Time };

// SQLite keeps dates as text; the declared type of the column says that a
// text is a date or a time.
std::optional<FieldKind> KindFromDeclaredType(const char* declared) {
    if (!declared)
        return std::nullopt;
    QByteArray type = QByteArray(declared).toUpper();
    const bool date = type.contains("DATE");
    const bool time = type.contains("TIME");
    if (type.contains("TIMESTAMP") || (date && time))
        return FieldKind::DateTime;
    if (date)
        return FieldKind::Date;
    if (time)
        return FieldKind::Time;
    return std::nullopt;
}

FieldKind KindFromMetaType(QMetaType type) {
    switch (type.id()) {
    case QMetaType::QString:
        return FieldKind::Text;
    case QMetaType::QByteArray:
        return FieldKind::Binary;
    case QMetaType::QDateTime:
        return FieldKind::DateTime;
    case QMetaType::QDate:
        return FieldKind::Date;
    case QMetaType::QTime:
        return FieldKind::Time;
    default:
        return FieldKind::Number;
    }
}

sqlite3_stmt* SqliteStatement(const QSqlQuery& query) {
    const QVariant handle = query.result() ? query.result()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3_stmt*") != 0)
        return nullptr;
    return *static_cast<sqlite3_stmt* const*>(handle.constData());
}

// The time format of the locale with seconds: a short format that lacks
// them gets ":ss" after its minutes.
QString TimeFormatWithSeconds(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (format.contains(u's'))
        return format;
    qsizetype minutes = format.lastIndexOf(QLatin1StringView("mm"));
    if (minutes < 0)
        return locale.timeFormat(QLocale::LongFormat);
    format.insert(minutes + 2, QLatin1StringView(":ss"));
    return format;
}

void AppendNumber(std::string& out, long long value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

} // namespace

struct CAdoRecordset::Impl final : CPendingRows {
    CAdoConnection* connection = nullptr;
    std::optional<QSqlQuery> query;
    bool everOpened = false; // Close tells "never opened" apart
    bool onRow = false;      // a current record exists

    // Rows taken into memory when another statement needed the connection.
    bool buffered = false;
    std::vector<QVariant> rows;
    size_t rowStart = 0;

    int fieldCount = 0;
    std::vector<std::string> names;
    std::vector<FieldKind> kinds;

    // Field name resolution: each spelling is looked up once; a reader that
    // takes the fields in select order hits the next field's last spelling.
    std::unordered_map<std::string, int> resolved;
    std::vector<std::string> spelling;
    int lastIndex = -1;

    QLocale locale;
    QString dateFormat;
    QString timeFormat;

    std::string value;
    std::string lastError;

    ~Impl() {
        CloseQuery();
        if (connection)
            connection->Release();
    }

    void CloseQuery() {
        if (connection)
            connection->ForgetPendingReader(this);
        query.reset();
        onRow = false;
        buffered = false;
        rows.clear();
        rowStart = 0;
        fieldCount = 0;
        names.clear();
        kinds.clear();
        resolved.clear();
        spelling.clear();
        lastIndex = -1;
    }

    void ReadFields(DbEngine engine) {
        const QSqlRecord record = query->record();
        fieldCount = int(record.count());
        sqlite3_stmt* stmt = engine == DbEngine::SQLite ? SqliteStatement(*query) : nullptr;
        names.resize(size_t(fieldCount));
        kinds.resize(size_t(fieldCount));
        spelling.assign(size_t(fieldCount), std::string());
        for (int i = 0; i < fieldCount; ++i) {
            names[size_t(i)] = ToGbk(record.fieldName(i));
            std::optional<FieldKind> declared;
            if (stmt)
                declared = KindFromDeclaredType(sqlite3_column_decltype(stmt, i));
            kinds[size_t(i)] = declared ? *declared : KindFromMetaType(record.field(i).metaType());
        }
        locale = QLocale();
        dateFormat.clear();
        timeFormat.clear();
    }

    void FetchRemainingRows() override {
        if (!onRow || buffered)
            return;
        rows.clear();
        rowStart = 0;
        do {
            for (int i = 0; i < fieldCount; ++i)
                rows.push_back(query->isNull(i) ? QVariant() : query->value(i));
        } while (query->next());
        if (query->lastError().isValid())
            lastError = DescribeSqlError(query->lastError());
        query.reset();
        buffered = true;
    }

    void ReachedEnd() {
        onRow = false;
        if (query && query->lastError().isValid())
            lastError = DescribeSqlError(query->lastError());
        if (connection)
            connection->ForgetPendingReader(this);
        query.reset();
        rows.clear();
    }

    int Resolve(std::string_view field) {
        if (field.empty() || fieldCount == 0)
            return -1;
        int next = lastIndex + 1 < fieldCount ? lastIndex + 1 : 0;
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

    // 1 with the value, 0 for NULL, -1 on an error (last error set).
    int Value(int index, QVariant& out) {
        if (!onRow) {
            lastError = kNoCurrentRecord;
            return -1;
        }
        if (index < 0 || index >= fieldCount) {
            lastError = "No field " + std::to_string(index) + " in the recordset.";
            return -1;
        }
        if (buffered) {
            out = rows[rowStart + size_t(index)];
            return out.isValid() ? 1 : 0;
        }
        if (query->isNull(index))
            return 0;
        out = query->value(index);
        return 1;
    }

    int FieldIndex(std::string_view field) {
        int index = Resolve(field);
        if (index < 0 && onRow)
            lastError = "No field named \"" + std::string(field) + "\" in the recordset.";
        return index;
    }

    void AppendDateTime(const QDateTime& when) {
        EnsureDateFormats();
        AppendGbk(value, locale.toString(when, dateFormat + u' ' + timeFormat));
    }
    void AppendDate(QDate day) {
        EnsureDateFormats();
        AppendGbk(value, locale.toString(day, dateFormat));
    }
    void AppendTime(QTime time) {
        EnsureDateFormats();
        AppendGbk(value, locale.toString(time, timeFormat));
    }
    void EnsureDateFormats() {
        if (dateFormat.isEmpty()) {
            dateFormat = locale.dateFormat(QLocale::ShortFormat);
            timeFormat = TimeFormatWithSeconds(locale);
        }
    }

    // A date kept as text (SQLite): shown in the locale's format when it
    // reads as one, else as it is.
    void AppendStoredDate(const QString& text, FieldKind kind) {
        if (kind == FieldKind::Time) {
            QTime time = QTime::fromString(text, Qt::ISODate);
            if (time.isValid())
                return AppendTime(time);
        } else {
            QDateTime when = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            if (!when.isValid())
                when = QDateTime::fromString(text, Qt::ISODate);
            if (when.isValid())
                return kind == FieldKind::Date ? AppendDate(when.date()) : AppendDateTime(when);
            QDate day = QDate::fromString(text, Qt::ISODate);
            if (day.isValid())
                return AppendDate(day);
        }
        AppendGbk(value, text);
    }

    void AppendValue(const QVariant& v, FieldKind kind) {
        switch (v.typeId()) {
        case QMetaType::QString:
            if (kind == FieldKind::DateTime || kind == FieldKind::Date || kind == FieldKind::Time)
                AppendStoredDate(v.toString(), kind);
            else
                AppendGbk(value, v.toString());
            break;
        case QMetaType::LongLong:
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::Long:
            AppendNumber(value, v.toLongLong());
            break;
        case QMetaType::ULongLong:
        case QMetaType::UInt:
            value += std::to_string(v.toULongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            AppendGbk(value, QString::number(v.toDouble(), 'f', QLocale::FloatingPointShortest));
            break;
        case QMetaType::Bool:
            value += v.toBool() ? '1' : '0';
            break;
        case QMetaType::QDateTime:
            AppendDateTime(v.toDateTime());
            break;
        case QMetaType::QDate:
            AppendDate(v.toDate());
            break;
        case QMetaType::QTime:
            AppendTime(v.toTime());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = v.toByteArray();
            value.append(bytes.constData(), size_t(bytes.size()));
            break;
        }
        default:
            AppendGbk(value, v.toString());
        }
    }

    const char* Text(int index) {
        QVariant v;
        if (Value(index, v) <= 0)
            return nullptr;
        value.clear();
        AppendValue(v, kinds[size_t(index)]);
        return value.c_str();
    }

    int Integer(int index) {
        QVariant v;
        if (Value(index, v) <= 0)
            return 0;
        switch (v.typeId()) {
        case QMetaType::QString:
            return std::atoi(ToGbk(v.toString()).c_str());
        case QMetaType::QByteArray:
            return std::atoi(v.toByteArray().constData());
        case QMetaType::Double:
        case QMetaType::Float:
            return int(v.toDouble());
        default:
            return int(v.toLongLong());
        }
    }
};

CAdoRecordset::CAdoRecordset() : m_impl(std::make_unique<Impl>()) {}

CAdoRecordset::~CAdoRecordset() = default;

void CAdoRecordset::SetConnection(CAdoConnection* connection) {
    Impl& d = *m_impl;
    if (connection == d.connection)
        return;
    d.CloseQuery();
    if (connection)
        connection->AddRef();
    if (d.connection)
        d.connection->Release();
    d.connection = connection;
}

int CAdoRecordset::Open(const std::string& sql) {
    Impl& d = *m_impl;
    d.CloseQuery();
    d.everOpened = true;
    if (!d.connection) {
        d.lastError = kNotOpen;
        return 0;
    }
    d.connection->BeforeStatement(&d);
    if (!d.connection->EnsureOpen(d.lastError))
        return 0;
    d.query.emplace(d.connection->Database());
    d.query->setForwardOnly(true);
    if (!d.query->exec(FromGbk(sql))) {
        d.lastError = DescribeSqlError(d.query->lastError());
        d.query.reset();
        return 0;
    }
    if (!d.query->isSelect()) {
        d.query.reset(); // a command without rows: nothing to read
        return 1;
    }
    d.ReadFields(d.connection->Engine());
    d.onRow = d.query->next();
    if (d.onRow) {
        d.connection->SetPendingReader(&d);
        return 1;
    }
    const bool failed = d.query->lastError().isValid();
    d.ReachedEnd();
    return failed ? 0 : 1;
}

bool CAdoRecordset::IsEOF() const {
    return !m_impl->onRow;
}

void CAdoRecordset::MoveNext() {
    Impl& d = *m_impl;
    if (!d.onRow) {
        if (d.everOpened)
            d.lastError = kNoCurrentRecord;
        return;
    }
    if (d.buffered) {
        d.rowStart += size_t(d.fieldCount);
        if (d.rowStart >= d.rows.size())
            d.ReachedEnd();
        return;
    }
    if (!d.query->next())
        d.ReachedEnd();
}

const char* CAdoRecordset::GetString(std::string_view field) {
    int index = m_impl->FieldIndex(field);
    if (index < 0) {
        if (!m_impl->onRow)
            m_impl->lastError = kNoCurrentRecord;
        return nullptr;
    }
    return m_impl->Text(index);
}

std::string CAdoRecordset::GetText(std::string_view field) {
    const char* text = GetString(field);
    return text ? std::string(m_impl->value) : std::string();
}

int CAdoRecordset::GetInt(std::string_view field) {
    int index = m_impl->FieldIndex(field);
    if (index < 0) {
        if (!m_impl->onRow)
            m_impl->lastError = kNoCurrentRecord;
        return 0;
    }
    return m_impl->Integer(index);
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
    FieldKind kind = m_impl->kinds[size_t(index)];
    return kind == FieldKind::Text || kind == FieldKind::Binary;
}

int CAdoRecordset::Close() {
    Impl& d = *m_impl;
    if (!d.everOpened)
        return 0;
    d.CloseQuery();
    return 1;
}

const std::string& CAdoRecordset::GetLastError() const {
    return m_impl->lastError;
}
