#pragma once
// Inside the database library only. A recordset steps statements of the
// SQLite library this program links on the handle that Qt's SQLite driver
// opened, so both must be one and the same library: a handle made by another
// copy of SQLite (a driver built with SQLite inside, or linked to another
// version) and used with this program's functions would corrupt memory.
#include <string>

class QSqlDriver;

// True when the driver's SQLite functions are the ones this program links;
// otherwise false with the reason, naming both libraries.
bool SqliteDriverMatches(const QSqlDriver* driver, std::string& error);
