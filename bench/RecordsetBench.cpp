// Reading the site list's select through CAdoRecordset against stepping the
// same rows with the SQLite C API, over a generated SiteData of 100,000 rows.
// Timed runs on a loaded machine vary; instruction counts do not:
//   valgrind --tool=callgrind --collect-atstart=no --toggle-collect='*Counted*Read*'
//            build/bench/bench_recordset --instructions
//   callgrind_annotate --inclusive=yes callgrind.out.<pid> | grep Counted
#include "bench/Bench.h"
#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "platform/CodePage.h"
#include "platform/HostFolder.h"

#include "bench/SiteDataGenerator.h"
#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>

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

CAdoDatabase* g_db = nullptr;
std::string g_file;

void ReadThroughRecordset() {
    CAdoRecordset rs;
    rs.SetConnection(g_db->GetConnection());
    if (!rs.Open(kSelectGbk))
        Fail(rs.GetLastError());
    // Every field of every row as text with its length, as the data grid
    // fills the site list.
    size_t bytes = 0;
    int rows = 0;
    const int columns = rs.GetFieldCount();
    for (; rows < kRowsRead && !rs.IsEOF(); ++rows, rs.MoveNext()) {
        for (int i = 0; i < columns; ++i) {
            size_t length;
            if (rs.GetFieldValue(i, &length))
                bytes += length;
        }
    }
    rs.Close();
    if (rows != kRowsRead)
        Fail("too few rows");
    benchmark::DoNotOptimize(bytes);
}

void ReadThroughSqlite() {
    // Opened as Qt's driver opens the recordset's connection: without the
    // library's per-connection mutex, which costs every call of the C API.
    static sqlite3* raw = [] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(g_file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
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

// The reads counted under callgrind (--instructions): once each, after a
// first read of each has built the code page's tables and filled the caches.
[[gnu::noipa]] void CountedRecordsetRead() {
    ReadThroughRecordset();
}
[[gnu::noipa]] void CountedSqliteRead() {
    ReadThroughSqlite();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the SQL drivers are plugins
    QTemporaryDir dir;
    g_file = dir.filePath(QStringLiteral("sites.db")).toStdString();

    CAdoDatabase db;
    if (std::string error; !OpenSiteDatabase(db, ToPath(dir.path()), kSites, error))
        Fail(error);
    g_db = &db;

    if (argc > 1 && std::string(argv[1]) == "--instructions") {
        ReadThroughRecordset();
        ReadThroughSqlite();
        CountedRecordsetRead();
        CountedSqliteRead();
        return 0;
    }
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
