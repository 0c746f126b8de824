#include "bench/SiteDataGenerator.h"

#include "database/AdoDatabase.h"
#include "database/Schema.h"
#include "platform/HostFolder.h"

#include <sqlite3.h>

// Nine sites in ten lie under the site list's path; names, users and
// results vary in length and script like a real directory.
bool GenerateSites(const std::string& file, int count, std::string& error) {
    sqlite3* raw = nullptr;
    if (sqlite3_open(file.c_str(), &raw) != SQLITE_OK)
        return error = "cannot open the generated file", false;
    sqlite3_exec(raw, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(
        raw,
        "insert into SiteData(Name,Score,UserName,UserPass,RegisterStatus,Homepage,"
        "IsSelected,NeedRegister,AutoPublish,ClassPath) values (?,?,?,?,?,?,?,?,?,?)",
        -1, &insert, nullptr);
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        const std::string name = std::string(u8"第") + n + u8"号商务信息网";
        const std::string user = i % 4 ? "user" + n : std::string();
        const std::string home = "http://site" + n + ".example.com/";
        sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 2, i % 100);
        if (user.empty())
            sqlite3_bind_null(insert, 3);
        else
            sqlite3_bind_text(insert, 3, user.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, "secret", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 5, i % 3 ? u8"注册成功" : "", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 6, home.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 7, i % 3 == 0);
        sqlite3_bind_int(insert, 8, i % 2);
        sqlite3_bind_int(insert, 9, i % 5 == 0);
        sqlite3_bind_text(insert, 10, i % 10 ? u8"/信息网/综合/" : u8"/论坛/", -1, SQLITE_STATIC);
        if (sqlite3_step(insert) != SQLITE_DONE) {
            error = sqlite3_errmsg(raw);
            break;
        }
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(raw, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    return error.empty();
}

bool OpenSiteDatabase(CAdoDatabase& db, const std::string& folder, int count, std::string& error) {
    SetHostFolder(folder);
    if (!db.Open("Provider=SQLite;Data Source=sites.db"))
        return error = db.GetLastError(), false;
    return CreateSchema(db, error) && GenerateSites(HostPath("sites.db"), count, error);
}
