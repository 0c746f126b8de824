// Reading the site list's select through CAdoRecordset against stepping the
// same rows with the SQLite C API, over a generated SiteData of 100,000 rows.
#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "host/HostDatabase.h"
#include "platform/CodePage.h"
#include "platform/HostFolder.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <string>

namespace {

constexpr int kSites = 100000;
constexpr int kRowsRead = 5000;

// The select of the site list, as GBK for the recordset and as UTF-8 for the C API.
const char kSelectGbk[] = "select KeyId,' ',Name,Score,UserName,RegisterStatus,Homepage,IsSelected "
                          "from SiteData where ClassPath like '/信息网%' order by keyid desc";
const char kSelectUtf8[] = u8"select KeyId,' ',Name,Score,UserName,RegisterStatus,Homepage,"
                           u8"IsSelected from SiteData where ClassPath like '/信息网%' order by "
                           u8"keyid desc";
const char* const kFields[] = {"KeyId",          "' '",      "Name",      "Score", "UserName",
                               "RegisterStatus", "Homepage", "IsSelected"};

CAdoDatabase* g_db = nullptr;
std::string g_file;

void Fail(const std::string& what) {
    std::fprintf(stderr, "recordset bench: %s\n", what.c_str());
    std::exit(1);
}

// Nine sites in ten lie under the site list's path; names, users and
// results vary in length and script like a real directory.
void GenerateSites(const std::string& file) {
    sqlite3* raw = nullptr;
    if (sqlite3_open(file.c_str(), &raw) != SQLITE_OK)
        Fail("cannot open the generated file");
    sqlite3_exec(raw, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(raw,
                       "insert into SiteData(Name,Score,UserName,UserPass,RegisterStatus,Homepage,"
                       "IsSelected,NeedRegister,AutoPublish,ClassPath) values (?,?,?,?,?,?,?,?,?,?)",
                       -1, &insert, nullptr);
    for (int i = 1; i <= kSites; ++i) {
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
        if (sqlite3_step(insert) != SQLITE_DONE)
            Fail(sqlite3_errmsg(raw));
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(raw, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
}

void ReadThroughRecordset() {
    CAdoRecordset rs;
    rs.SetConnection(g_db->GetConnection());
    if (!rs.Open(kSelectGbk))
        Fail(rs.GetLastError());
    size_t bytes = 0;
    int rows = 0;
    for (; rows < kRowsRead && !rs.IsEOF(); ++rows, rs.MoveNext()) {
        for (const char* field : kFields) {
            const char* value = rs.GetString(field);
            if (value)
                bytes += std::char_traits<char>::length(value);
        }
    }
    rs.Close();
    if (rows != kRowsRead)
        Fail("too few rows");
    benchmark::DoNotOptimize(bytes);
}

void ReadThroughSqlite() {
    static sqlite3* raw = [] {
        sqlite3* db = nullptr;
        sqlite3_open(g_file.c_str(), &db);
        return db;
    }();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(raw, kSelectUtf8, -1, &stmt, nullptr) != SQLITE_OK)
        Fail(sqlite3_errmsg(raw));
    size_t bytes = 0;
    int rows = 0;
    const int columns = sqlite3_column_count(stmt);
    for (; rows < kRowsRead && sqlite3_step(stmt) == SQLITE_ROW; ++rows) {
        for (int i = 0; i < columns; ++i) {
            const unsigned char* text = sqlite3_column_text(stmt, i);
            if (text)
                bytes += size_t(sqlite3_column_bytes(stmt, i));
        }
    }
    sqlite3_finalize(stmt);
    if (rows != kRowsRead)
        Fail("too few rows");
    benchmark::DoNotOptimize(bytes);
}

void BM_RecordsetSiteList(benchmark::State& state) {
    for (auto _ : state)
        ReadThroughRecordset();
}
BENCHMARK(BM_RecordsetSiteList)->Unit(benchmark::kMillisecond);

void BM_SqliteCApiSiteListReference(benchmark::State& state) {
    for (auto _ : state)
        ReadThroughSqlite();
}
BENCHMARK(BM_SqliteCApiSiteListReference)->Unit(benchmark::kMillisecond);

template <typename Run> double Milliseconds(Run run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the SQL drivers are plugins
    QTemporaryDir dir;
    SetHostFolder(ToGbk(dir.path()) + "/");
    g_file = dir.filePath(QStringLiteral("sites.db")).toStdString();

    CAdoDatabase db;
    std::string error;
    if (!OpenHostDatabase(db, "Provider=SQLite;Data Source=sites.db", error))
        Fail(error);
    GenerateSites(g_file);
    g_db = &db;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    // Best of many runs of each, taken in turns so that both see the same load.
    double recordset = 1e300, reference = 1e300;
    for (int i = 0; i < 30; ++i) {
        recordset = std::min(recordset, Milliseconds(ReadThroughRecordset));
        reference = std::min(reference, Milliseconds(ReadThroughSqlite));
    }
    std::printf("recordset ratio=%.2f recordset_ms=%.2f sqlite_c_api_ms=%.2f\n",
                recordset / reference, recordset, reference);
    return 0;
}
