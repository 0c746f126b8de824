#pragma once
// New rows on a database that several desktops and the worker program write
// at the same time.
//
// The system learns the key of a new row in one of two ways, and both hold
// only while nobody else inserts into the table in between:
// - the database assigns the key (Nimbrel, SiteData): insert the row, then
//   its key is the table's highest (GetMaxKeyId);
// - the system assigns the key (NimbrelClass): the key is the table's
//   highest + 1, then insert the row with it.
// Two desktops doing either at the same moment take the same key: one user's
// task is then updated with another user's texts, or a category insert fails.
// The two operations below run exactly those statements as one unit that no
// other writer of the table can enter: a transaction that holds the table in
// share row exclusive mode on PostgreSQL (readers read on, other writers of
// the table wait for its end), an immediate transaction on SQLite (other
// writers wait up to the connection's busy timeout).
//
// Every insert whose key the caller needs goes through them; the task editor,
// the task copy and the site editor use InsertAndGetKey:
//
//     CSqlInsert insert;
//     insert.SetTableName("Nimbrel");
//     insert.SetText("ClassPath", path);
//     ...
//     const int key = InsertAndGetKey(database, insert);
//     if (key < 0) {
//         AfxMessageBox(insert.BuildSql() + "\r\n" + database->GetLastError());
//         return;
//     }
//     // the row is stored; update it by key as before
//
// and the category tree uses InsertWithNextKey.
//
// Results: the new row's key (1 to 2147483647), or -1 with the reason as the
// database's last error (no database, the insert or the highest-key select
// failed, no key is left below 2^31, the lock could not be taken). On -1
// nothing was stored: the transaction was rolled back.
class CAdoDatabase;
class CSqlInsert;

// Runs the insert, then takes the table's highest key as the new row's. On
// PostgreSQL a key sequence that lags behind the table's highest key (rows
// stored with keys of their own) is first moved up to it, so that the new
// row's key is the highest.
int InsertAndGetKey(CAdoDatabase* database, CSqlInsert& insert);

// Takes the table's highest key + 1 (1 for an empty table), sets it as the
// number keyField of the insert, and runs the insert. The highest key being
// 2147483647 is a failure, not a wrap to a negative key.
int InsertWithNextKey(CAdoDatabase* database, CSqlInsert& insert, const char* keyField = "KeyId");
