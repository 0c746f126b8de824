#include "database/KeyedInsert.h"

#include "database/AdoConnection.h"
#include "database/AdoDatabase.h"
#include "database/SqlStatement.h"

#include <climits>

namespace {

// A transaction in which no other writer touches the table; rolled back
// unless committed.
class CTableWriteLock {
public:
    CTableWriteLock(CAdoDatabase& database, const std::string& table) : m_database(database) {
        const bool postgres = database.GetProvider() == "PostgreSQL";
        m_open = database.Execute(postgres ? "begin" : "begin immediate") == 1;
        if (m_open && postgres)
            m_locked =
                database.Execute("lock table " + table + " in share row exclusive mode") == 1;
        else
            m_locked = m_open;
    }
    ~CTableWriteLock() {
        // The caller shows the first error, not one of the rollback.
        std::string ignored;
        if (m_open && m_database.GetConnection())
            m_database.GetConnection()->Execute("rollback", nullptr, ignored);
    }
    CTableWriteLock(const CTableWriteLock&) = delete;
    CTableWriteLock& operator=(const CTableWriteLock&) = delete;

    bool IsLocked() const { return m_locked; }
    bool Commit() {
        m_open = m_database.Execute("commit") != 1;
        return !m_open;
    }

private:
    CAdoDatabase& m_database;
    bool m_open = false;
    bool m_locked = false;
};

// The highest key of the table, or false with the reason as the last error.
bool ReadMaxKey(CAdoDatabase& database, const std::string& table, long long& maxKey) {
    std::string error;
    if (ReadMaxKeyId(&database, table, maxKey, error))
        return true;
    database.SetLastError(error);
    return false;
}

// PostgreSQL takes a new key from the table's serial sequence, which knows
// nothing of rows stored with keys of their own: it would give the next row
// a key below the highest, and the highest would then be another row's. A
// sequence that lags behind the highest key is moved up to it first. Tables
// without a sequence and the embedded database need nothing.
bool CatchUpKeySequence(CAdoDatabase& database, const std::string& table) {
    if (database.GetProvider() != "PostgreSQL")
        return true;
    return database.Execute("select setval(s::regclass,m) from (select pg_get_serial_sequence('" +
                            table + "','keyid') as s,max(keyid) as m from " + table +
                            ") k where s is not null and "
                            "m>coalesce(pg_sequence_last_value(s::regclass),0)") == 1;
}

} // namespace

int InsertAndGetKey(CAdoDatabase* database, CSqlInsert& insert) {
    if (!database)
        return -1;
    CTableWriteLock lock(*database, insert.GetTableName());
    long long key = 0;
    if (!lock.IsLocked() || !CatchUpKeySequence(*database, insert.GetTableName()) ||
        database->Execute(insert.BuildSql()) != 1 ||
        !ReadMaxKey(*database, insert.GetTableName(), key))
        return -1;
    if (key < 1 || key > INT_MAX) {
        database->SetLastError("The highest key of " + insert.GetTableName() +
                               " after the insert, " + std::to_string(key) +
                               ", is not a key from 1 to 2147483647.");
        return -1;
    }
    return lock.Commit() ? int(key) : -1;
}

int InsertWithNextKey(CAdoDatabase* database, CSqlInsert& insert, const char* keyField) {
    if (!database)
        return -1;
    CTableWriteLock lock(*database, insert.GetTableName());
    long long maxKey = 0;
    if (!lock.IsLocked() || !ReadMaxKey(*database, insert.GetTableName(), maxKey))
        return -1;
    if (maxKey >= INT_MAX) {
        database->SetLastError("No key is left in " + insert.GetTableName() +
                               ": its highest key is " + std::to_string(maxKey) +
                               ", and keys end at 2147483647.");
        return -1;
    }
    const long key = maxKey < 0 ? 1 : long(maxKey) + 1;
    insert.SetNumber(keyField, key);
    if (database->Execute(insert.BuildSql()) != 1)
        return -1;
    return lock.Commit() ? int(key) : -1;
}
