#pragma once
// Many single-row statements in a row, such as the choice of thousands of
// sites. On SQLite they run in one transaction, because every statement that
// commits on its own waits for the disk: about 4 ms each, 20 s for 5,000
// sites, against a few milliseconds for all of them in one. The transaction
// takes the write lock at once (waiting as long as the busy timeout allows),
// so no statement inside it meets another writer; when the lock cannot be
// had, each statement commits on its own as without a batch. A statement that
// fails inside the batch fails alone; the batch commits when it ends.
// On the server each statement still commits on its own: there a failed
// statement would end the transaction and with it every statement after it,
// and a commit costs no more than the statement's round trip.
//
//     {
//         CStatementBatch batch(database);
//         for (...)
//             database->Execute("update siteData set IsSelected=1 where keyid=" + key);
//     } // committed here
class CAdoDatabase;

class CStatementBatch {
public:
    explicit CStatementBatch(CAdoDatabase* database);
    ~CStatementBatch();
    CStatementBatch(const CStatementBatch&) = delete;
    CStatementBatch& operator=(const CStatementBatch&) = delete;

private:
    CAdoDatabase* m_database = nullptr; // null when no transaction was begun
};
