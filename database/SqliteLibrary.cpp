#include "database/SqliteLibrary.h"

#include <QSqlDriver>
#include <dlfcn.h>
#include <sqlite3.h>

namespace {

using SourceId = const char* (*)();

// The driver's class lives in its plugin: what sqlite3_sourceid is for the
// plugin (itself, then the libraries it needs) is the SQLite it reads with.
SourceId DriverSourceId(const QSqlDriver& driver, std::string& plugin) {
    Dl_info info{};
    if (!dladdr(driver.metaObject(), &info) || !info.dli_fname)
        return nullptr;
    plugin = info.dli_fname;
    void* handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle)
        return nullptr;
    void* symbol = dlsym(handle, "sqlite3_sourceid");
    dlclose(handle);
    return reinterpret_cast<SourceId>(symbol);
}

} // namespace

bool SqliteDriverMatches(const QSqlDriver* driver, std::string& error) {
    std::string plugin = "unknown";
    const SourceId theirs = driver ? DriverSourceId(*driver, plugin) : nullptr;
    if (theirs == &sqlite3_sourceid)
        return true;
    error =
        "The Qt SQLite driver (" + plugin +
        ") does not use the SQLite library of this "
        "program (SQLite " +
        sqlite3_sourceid() + "), but " +
        (theirs ? std::string("SQLite ") + theirs() : std::string("no SQLite library it shows")) +
        ": reading its database directly would corrupt memory. Install the Qt SQLite driver "
        "that uses the system's SQLite library.";
    return false;
}
