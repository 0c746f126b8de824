#pragma once
// Inside the database library only: the rest of a select's rows, taken into
// memory from another source when another statement needs the connection.
#include "database/RowSource.h"

#include <QVariant>
#include <vector>

class CMemoryRows final : public CRowSource {
public:
    // Takes the current row of rest and every row after it, the current one
    // becoming the first here. An error while reading ends the rows there
    // and goes to error.
    CMemoryRows(CRowSource& rest, int columns, std::string& error);

    bool Next(std::string& error) override;
    bool Text(int column, FieldKind kind, CValueText& text) override;
    std::optional<long long> Integer(int column) override;
    QVariant Value(int column) override;

private:
    const QVariant& At(int column) const { return m_values[m_row + size_t(column)]; }

    const size_t m_columns;
    std::vector<QVariant> m_values; // m_columns values per row, invalid for NULL
    size_t m_row = 0;               // where the current row starts in m_values
    CFieldFormatter m_formatter;
};
