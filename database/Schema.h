#pragma once
// The system's four tables, defined once for every program that opens the
// database: the host creates them on an empty database, the worker and the
// tests rely on them. The module itself never creates or alters a table.
//
//   Nimbrel        publishing tasks, key given by the database
//   NimbrelClass   task categories, key given by the module (highest + 1)
//   SiteData       information sites and the accounts held there
//   RegisterUser   the registration run; record 1 always exists
//
// Names stay unquoted so that the same statements run on SQLite and
// PostgreSQL (which folds them to lower case).
#include <string>

class CAdoDatabase;

// Creates the tables that are missing (with their indexes) and the
// registration record 1. Tables that exist are left as they are. false: error
// holds the failing statement and the database's description.
bool CreateSchema(CAdoDatabase& db, std::string& error);

// Number of rows of table (with an optional " where ..." tail), or -1 when
// the table cannot be read; error, when given, then says why.
int CountRows(CAdoDatabase& db, const std::string& table, const std::string& where = {},
              std::string* error = nullptr);
