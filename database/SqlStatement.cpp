#include "database/SqlStatement.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"

#include <cstdlib>

void CSqlStatement::SetText(const std::string& field, const std::string& value) {
    // A quote is never the second byte of a GBK character, so doubling it
    // byte by byte is safe.
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '\'';
    for (char c : value) {
        if (c == '\'')
            quoted += '\'';
        quoted += c;
    }
    quoted += '\'';
    m_values[field] = std::move(quoted);
}

void CSqlStatement::SetNumber(const std::string& field, long value) {
    m_values[field] = std::to_string(value);
}

const std::string& CSqlInsert::BuildSql() {
    m_statement.clear();
    if (m_values.empty())
        return m_statement;
    std::string fields, values;
    for (const auto& [field, value] : m_values) {
        if (!fields.empty()) {
            fields += ',';
            values += ',';
        }
        fields += field;
        values += value;
    }
    m_statement = "insert into " + m_table + "(" + fields + ") values (" + values + ")";
    return m_statement;
}

const std::string& CSqlUpdate::BuildSql() {
    m_statement.clear();
    if (m_values.empty())
        return m_statement;
    m_statement = "update " + m_table + " set ";
    for (const auto& [field, value] : m_values)
        m_statement += field + " =" + value + ",";
    while (!m_statement.empty() && m_statement.back() == ',')
        m_statement.pop_back();
    for (size_t i = 0; i < m_conditions.size(); ++i) {
        m_statement += i == 0 ? " where " : " and ";
        m_statement += m_conditions[i];
    }
    return m_statement;
}

int GetMaxKeyId(CAdoDatabase* database, const std::string& table) {
    if (!database)
        return -1;
    CAdoRecordset rs;
    rs.SetConnection(database->GetConnection());
    if (!rs.Open(" select max(keyid) as maxid from " + table))
        return -1;
    int result = 0;
    if (!rs.IsEOF()) {
        const char* text = rs.GetString("maxid");
        if (text && *text)
            result = std::atoi(text);
    }
    rs.Close();
    return result;
}
