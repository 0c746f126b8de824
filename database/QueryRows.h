#pragma once
// Inside the database library only: the rows of a select read with a
// forward-only Qt query (the server), as the driver hands them over.
#include "database/RowSource.h"

#include <QSqlQuery>
#include <memory>

class CFieldList;
class QSqlDatabase;

class CQueryRows final : public CRowSource {
public:
    // Runs the select and moves to its first row; as CSqliteRows::Open.
    static std::unique_ptr<CQueryRows> Open(QSqlDatabase& db, const std::string& sql,
                                            CFieldList& fields, bool& onRow, std::string& error);

    bool Next(std::string& error) override;
    bool Text(int column, FieldKind kind, CValueText& text) override;
    std::optional<long long> Integer(int column) override;
    QVariant Value(int column) override;

private:
    explicit CQueryRows(QSqlDatabase& db);

    QSqlQuery m_query;
    CFieldFormatter m_formatter;
};
