#include "database/StatementBatch.h"

#include "database/AdoDatabase.h"

CStatementBatch::CStatementBatch(CAdoDatabase* database) {
    if (database && database->GetProvider() == "SQLite" &&
        database->Execute("begin immediate") == 1)
        m_database = database;
}

CStatementBatch::~CStatementBatch() {
    // A commit that fails (the disk is full) leaves no transaction open.
    if (m_database && m_database->Execute("commit") != 1)
        m_database->Execute("rollback");
}
