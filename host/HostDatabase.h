#pragma once
// The host's side of the database: it opens the database that the module
// works on, has the tables of database/Schema.h created on an empty database
// of either engine and fills the embedded default with a demo directory on
// first start.
#include <string>

class CAdoDatabase;

// Opens the database (creating the host folder's data/ folder first), creates
// the missing tables and the registration record 1, and seeds the embedded
// default when it is empty. false: db is closed and error says why.
bool OpenHostDatabase(CAdoDatabase& db, const std::string& connectionString, std::string& error);

// The demo step of OpenHostDatabase on an open database with the tables.
// Seeds sites, categories and tasks when the three tables are empty; a
// database with any of them filled is left as it is.
bool SeedDemoData(CAdoDatabase& db, std::string& error);

// What the host's status bar says about its database: "数据库: " or, when it
// could not be opened, "数据库未打开: ", then the connection string with its
// password masked (MaskConnectionPassword). GBK.
std::string DescribeConnection(const std::string& connectionString, bool open);
