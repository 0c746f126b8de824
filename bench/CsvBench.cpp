// The CSV export of the sites under "/信息网" from a generated SiteData of
// 100,000 rows through CCsvExporter, against a loop over the SQLite C API that
// writes the same bytes (GBK, the same quoting) in the same run; and the
// export's peak memory at 100,000 rows next to that at 10,000.
#include "bench/Bench.h"
#include "bench/Memory.h"
#include "bench/SiteDataGenerator.h"
#include "database/AdoDatabase.h"
#include "platform/CodePage.h"
#include "platform/HostFolder.h"
#include "sites/CsvExporter.h"

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sqlite3.h>
#include <string>

namespace {

constexpr int kSites = 100000;
constexpr int kSmallSites = 10000;
constexpr int kRounds = 5;

// The site list's export with the list's category condition.
const char kSelect[] = "select Keyid,Name,UserName,UserPass  from SiteData  where  ClassPath like "
                       "'/信息网%' ";

struct Site {
    QTemporaryDir dir;
    CAdoDatabase db;
    std::string file; // the database file, for the C API
};

void Generate(Site& site, int count) {
    site.file = site.dir.filePath(QStringLiteral("sites.db")).toStdString();
    if (std::string error; !OpenSiteDatabase(site.db, ToPath(site.dir.path()), count, error))
        Fail(error);
}

void ExportWithExporter(CAdoDatabase& db, const std::string& path) {
    CCsvExporter exporter;
    exporter.SetDatabase(&db);
    if (exporter.ExportQuery(kSelect, path) != 1)
        Fail("the export failed");
}

// The reference: the C API's rows written with the same quoting, the texts
// turned from UTF-8 into GBK by the system's one converter.
void ExportRaw(const std::string& file, const std::string& path) {
    sqlite3* raw = nullptr;
    sqlite3_open(file.c_str(), &raw);
    const QByteArray select = FromGbk(kSelect).toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(raw, select.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        Fail(sqlite3_errmsg(raw));
    std::FILE* out = std::fopen(path.c_str(), "wb");
    const int columns = sqlite3_column_count(stmt);
    std::string line = "Keyid,Name,UserName,UserPass\r\n";
    std::fwrite(line.data(), 1, line.size(), out);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        line.clear();
        for (int i = 0; i < columns; ++i) {
            if (i > 0)
                line += ',';
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            if (i == 0) { // the key: a number, never quoted
                line += text ? text : "";
                continue;
            }
            line += '"';
            const size_t start = line.size();
            const int size = sqlite3_column_bytes(stmt, i);
            if (text)
                AppendGbkFromUtf8(line, std::string_view(text, size_t(size)));
            for (size_t q = line.find('"', start); q != std::string::npos;
                 q = line.find('"', q + 2))
                line.insert(q, 1, '"');
            line += '"';
        }
        line += "\r\n";
        std::fwrite(line.data(), 1, line.size(), out);
    }
    std::fclose(out);
    sqlite3_finalize(stmt);
    sqlite3_close(raw);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The peak resident memory that an export adds, in kB, measured in a fresh
// process of this program (so that nothing done before counts) on the
// database in folder.
long PeakGrowthKb(const QString& folder) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peak"), folder});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        Fail("the memory measurement failed");
    return child.readAllStandardOutput().trimmed().toLong();
}

// The child's side: opens the database, exports, prints the growth.
int MeasurePeak(const QString& folder) {
    SetHostFolder(ToPath(folder));
    CAdoDatabase db;
    if (!db.Open("Provider=SQLite;Data Source=sites.db"))
        Fail(db.GetLastError());
    const long before = StatusKb("VmRSS");
    ExportWithExporter(db, HostPath("peak.csv"));
    std::printf("%ld\n", StatusKb("VmHWM") - before);
    return 0;
}

void BM_CsvExport(benchmark::State& state) {
    static Site site;
    static bool ready = (Generate(site, kSites), true);
    benchmark::DoNotOptimize(ready);
    const std::string path = site.dir.filePath(QStringLiteral("bm.csv")).toStdString();
    for (auto _ : state)
        ExportWithExporter(site.db, path);
}
BENCHMARK(BM_CsvExport)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--peak")
        return MeasurePeak(QString::fromLocal8Bit(argv[2]));
    Site small, large;
    Generate(small, kSmallSites);
    Generate(large, kSites);
    const std::string ours = large.dir.filePath(QStringLiteral("ours.csv")).toStdString();
    const std::string theirs = large.dir.filePath(QStringLiteral("raw.csv")).toStdString();

    ExportWithExporter(large.db, ours); // warm: the file's pages, the converter's tables
    ExportRaw(large.file, theirs);
    const std::string written = ReadAll(ours);
    if (written != ReadAll(theirs))
        Fail("the export and the reference wrote different bytes");

    double exporter = 1e300, raw = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        exporter = std::min(exporter, Milliseconds([&] { ExportWithExporter(large.db, ours); }));
        raw = std::min(raw, Milliseconds([&] { ExportRaw(large.file, theirs); }));
    }
    const long smallPeak = PeakGrowthKb(small.dir.path());
    const long largePeak = PeakGrowthKb(large.dir.path());

    std::printf("csv export of %d sites of the site list (%zu bytes, best of %d, processor time): "
                "CCsvExporter %.1f ms, raw C API loop %.1f ms\n",
                int(std::count(written.begin(), written.end(), '\n')) - 1, written.size(), kRounds,
                exporter, raw);
    std::printf("csv ratio=%.2f (goal <= 1.5)\n", exporter / raw);
    std::printf("csv export peak memory growth: %ld kB at %d rows, %ld kB at %d rows\n", smallPeak,
                kSmallSites, largePeak, kSites);
    std::fflush(stdout);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
