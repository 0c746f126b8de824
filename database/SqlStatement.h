#pragma once
// Builders of the insert and update statements that every save runs with
// CAdoDatabase::Execute, and the highest key of a table.
//
// Values are kept per field name (exact spelling; setting a field again
// replaces its value) already in SQL form: texts with every single quote
// doubled and enclosed in single quotes, nothing else escaped; numbers as
// plain decimal text. Field names and conditions come from the program's own
// code and go into the statement unchanged.
#include <map>
#include <string>
#include <vector>

class CAdoDatabase;

class CSqlStatement {
public:
    void SetTableName(const std::string& table) { m_table = table; }
    const std::string& GetTableName() const { return m_table; }
    void SetText(const std::string& field, const std::string& value);
    void SetNumber(const std::string& field, long value);

protected:
    std::string m_table;
    std::map<std::string, std::string> m_values;
    std::string m_statement;
};

class CSqlInsert : public CSqlStatement {
public:
    // "insert into T(a,b) values ('x',5)"; empty when no field was set.
    // The text stays valid while the builder lives and is not rebuilt.
    const std::string& BuildSql();
};

class CSqlUpdate : public CSqlStatement {
public:
    // Conditions keep their own blanks and are joined with " where " and " and ".
    void AddWhere(const std::string& condition) { m_conditions.push_back(condition); }
    // "update T set a ='x',b =5 where  Keyid=12 "; empty when no field was set.
    const std::string& BuildSql();

private:
    std::vector<std::string> m_conditions;
};

// The highest keyid of the table, 0 for an empty table, -1 when the query
// cannot be opened (no database, no such table, no connection) or when the
// highest key does not fit in 32 bits (keys of the embedded database are
// 64-bit). A new key taken as this + 1 must go through InsertWithNextKey
// (database/KeyedInsert.h), and so must an insert whose key is learned as this.
int GetMaxKeyId(CAdoDatabase* database, const std::string& table);
// The same as a 64-bit number with the reason of a failure: false with error
// set when the query cannot be opened; maxKey is 0 for an empty table.
bool ReadMaxKeyId(CAdoDatabase* database, const std::string& table, long long& maxKey,
                  std::string& error);
