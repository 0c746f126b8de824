#include "database/Schema.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"

namespace {

// Key columns: the database assigns the keys of tasks and sites; the module
// assigns category keys itself (highest key + 1), and the registration record
// is always key 1.
enum class Key { ByDatabase, ByModule };

struct Table {
    const char* name;
    Key key;
    const char* columns;
    const char* indexed = nullptr; // a column looked up often, given an index
};

const Table kTables[] = {
    {"Nimbrel", Key::ByDatabase,
     "Title text,Content text,Comment text,Produce text,Model text,UnitName text,"
     "Quantity text,Price text,UserName text,TaskClass integer default 0,ClassPath text,"
     "TaskStatus integer default 0,CreateTime timestamp,LastTime timestamp,"
     "TotalCount integer default 0,Progress integer default 0,SuccessCount integer default 0,"
     "ErrorCount integer default 0,FDStatus integer default 0,SiteName text"},
    // The category tree reads each category's children by ParentId.
    {"NimbrelClass", Key::ByModule, "ParentId integer default 0,Name text,ClassPath text",
     "ParentId"},
    {"SiteData", Key::ByDatabase,
     "Name text,Score integer default 0,UserName text,UserPass text,RegisterStatus text,"
     "Homepage text,IsSelected integer default 0,NeedRegister integer default 0,"
     "AutoPublish integer default 0,ClassPath text,Comment text"},
    {"RegisterUser", Key::ByModule, "TotalCount integer default 0,Progress integer default 0"},
};

std::string KeyColumn(const CAdoDatabase& db, Key key) {
    if (key == Key::ByModule)
        return "KeyId integer primary key";
    return db.GetProvider() == "PostgreSQL" ? "KeyId serial primary key"
                                            : "KeyId integer primary key autoincrement";
}

bool Run(CAdoDatabase& db, const std::string& sql, std::string& error) {
    if (db.Execute(sql))
        return true;
    error = sql + "\r\n" + db.GetLastError();
    return false;
}

} // namespace

int CountRows(CAdoDatabase& db, const std::string& table, const std::string& where,
              std::string* error) {
    CAdoRecordset rs;
    rs.SetConnection(db.GetConnection());
    if (!rs.Open("select count(*) as n from " + table + where)) {
        if (error)
            *error = "cannot read " + table + ": " + rs.GetLastError();
        return -1;
    }
    return rs.GetInt("n");
}

bool CreateSchema(CAdoDatabase& db, std::string& error) {
    for (const Table& table : kTables) {
        if (CountRows(db, table.name) >= 0)
            continue;
        const std::string sql = std::string("create table ") + table.name + " (" +
                                KeyColumn(db, table.key) + "," + table.columns + ")";
        if (!Run(db, sql, error))
            return false;
        if (table.indexed && !Run(db,
                                  std::string("create index ") + table.name + table.indexed +
                                      " on " + table.name + "(" + table.indexed + ")",
                                  error))
            return false;
    }
    if (CountRows(db, "RegisterUser", " where KeyId=1") == 0)
        return Run(db, "insert into RegisterUser(KeyId,TotalCount,Progress) values (1,0,0)", error);
    return true;
}
