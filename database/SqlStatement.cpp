#include "database/SqlStatement.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"

#include <climits>
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

bool ReadMaxKeyId(CAdoDatabase* database, const std::string& table, long long& maxKey,
                  std::string& error) {
    if (!database) {
        error = "No database.";
        return false;
    }
    CAdoRecordset rs;
    rs.SetConnection(database->GetConnection());
    if (!rs.Open(" select max(keyid) as maxid from " + table)) {
        error = rs.GetLastError();
        return false;
    }
    maxKey = 0;
    if (!rs.IsEOF()) {
        // Leading digits as atoi reads them, without its overflow.
        const char* text = rs.GetString("maxid");
        if (text && *text)
            maxKey = std::strtoll(text, nullptr, 10);
    }
    return true;
}

int GetMaxKeyId(CAdoDatabase* database, const std::string& table) {
    long long maxKey = 0;
    std::string error;
    if (!ReadMaxKeyId(database, table, maxKey, error) || maxKey > INT_MAX || maxKey < INT_MIN)
        return -1;
    return int(maxKey);
}
