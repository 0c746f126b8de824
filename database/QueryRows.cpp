#include "database/QueryRows.h"

#include "database/AdoConnection.h"
#include "database/FieldList.h"
#include "platform/CodePage.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QVariant>

std::unique_ptr<CQueryRows> CQueryRows::Open(QSqlDatabase& db, const std::string& sql,
                                             CFieldList& fields, bool& onRow, std::string& error) {
    std::unique_ptr<CQueryRows> rows(new CQueryRows(db));
    QSqlQuery& query = rows->m_query;
    if (!query.exec(FromGbk(sql))) {
        error = DescribeSqlError(query.lastError());
        return nullptr;
    }
    if (!query.isSelect()) {
        onRow = false; // a command without rows: nothing to read
        return rows;
    }
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        fields.Add(ToGbk(record.fieldName(i)), KindFromMetaType(record.field(i).metaType()));
    std::string failure;
    onRow = rows->Next(failure);
    if (!failure.empty()) {
        error = failure;
        return nullptr;
    }
    return rows;
}

CQueryRows::CQueryRows(QSqlDatabase& db) : m_query(db) {
    m_query.setForwardOnly(true);
}

bool CQueryRows::Next(std::string& error) {
    if (m_query.next())
        return true;
    if (m_query.lastError().isValid())
        error = DescribeSqlError(m_query.lastError());
    return false;
}

bool CQueryRows::Text(int column, FieldKind kind, CValueText& text) {
    if (m_query.isNull(column))
        return false;
    m_formatter.WriteVariant(text, m_query.value(column), kind);
    return true;
}

std::optional<long long> CQueryRows::Integer(int column) {
    return m_query.isNull(column) ? 0 : VariantToInteger(m_query.value(column));
}

QVariant CQueryRows::Value(int column) {
    return m_query.isNull(column) ? QVariant() : m_query.value(column);
}
