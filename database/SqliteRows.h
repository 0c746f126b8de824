#pragma once
// Inside the database library only: the rows of a select stepped with a
// statement of the SQLite library itself, on the handle of the Qt driver's
// connection. This is the read of the embedded database and the hottest path
// of the system: values go from SQLite's own memory into GBK text without a
// Qt value in between (a forward-only Qt query costs about three times as much).
#include "database/RowSource.h"

#include <memory>

class CFieldList;
struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;

class CSqliteRows final : public CRowSource {
public:
    // Prepares the select and steps to its first row. Null with the error
    // when it cannot run; otherwise fields holds its columns and onRow says
    // whether there is a first row.
    static std::unique_ptr<CSqliteRows> Open(sqlite3* db, const std::string& sql,
                                             CFieldList& fields, bool& onRow, std::string& error);
    ~CSqliteRows() override;

    bool Next(std::string& error) override;
    bool Text(int column, FieldKind kind, CValueText& text) override;
    std::optional<long long> Integer(int column) override;
    QVariant Value(int column) override;

private:
    explicit CSqliteRows(sqlite3_stmt* statement);
    void Describe(CFieldList& fields, bool onRow) const;
    [[gnu::noinline]] void WriteOther(sqlite3_value* value, FieldKind kind, CValueText& text);

    sqlite3_stmt* const m_statement;
    CFieldFormatter m_formatter;
};
