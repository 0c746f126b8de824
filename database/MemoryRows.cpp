#include "database/MemoryRows.h"

CMemoryRows::CMemoryRows(CRowSource& rest, int columns, std::string& error)
    : m_columns(size_t(columns)) {
    do {
        for (int i = 0; i < columns; ++i)
            m_values.push_back(rest.Value(i));
    } while (rest.Next(error));
}

bool CMemoryRows::Next(std::string&) {
    m_row += m_columns;
    return m_row < m_values.size();
}

bool CMemoryRows::Text(int column, FieldKind kind, CValueText& text) {
    if (!At(column).isValid())
        return false;
    m_formatter.WriteVariant(text, At(column), kind);
    return true;
}

std::optional<long long> CMemoryRows::Integer(int column) {
    return At(column).isValid() ? VariantToInteger(At(column)) : 0;
}

QVariant CMemoryRows::Value(int column) {
    return At(column);
}
