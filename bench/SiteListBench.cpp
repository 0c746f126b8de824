// Opening the site list over a generated SiteData of 100,000 rows (window
// created, the first 5,000 rows filled and marked, first paint) against
// reading the same 5,000 rows with the SQLite C API, in the same run; the
// ratio is for the column widths the product ships.
#include "bench/Bench.h"
#include "bench/RawRead.h"
#include "bench/SiteDataGenerator.h"
#include "database/AdoDatabase.h"
#include "platform/CodePage.h"
#include "sites/SiteListView.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSites = 100000;
constexpr int kPageRows = 5000;
constexpr int kRounds = 10;

CAdoDatabase* g_db = nullptr;
std::string g_file;

// The host's page, shown, in which the screen is opened.
struct HostPage {
    QWidget page;
    CDestroyWindowFirst<CSiteListView> view; // as the module hands it out

    HostPage() {
        page.resize(1000, 700);
        page.show();
        QCoreApplication::processEvents();
    }
    void Open() {
        view.SetDatabase(g_db);
        if (!view.Create(&page, CRect{0, 0, 1000, 700}, 100))
            Fail("the site list did not open");
    }
    // The first paint happens in the event loop's next round, into the
    // window's backing store, as on a desktop.
    void Paint() { QCoreApplication::processEvents(); }
};

// The reference: the screen's select stepped with the C API.
void ReadRaw(const std::string& selectUtf8) {
    std::string error;
    const std::vector<std::string> texts = ReadRawTexts(g_file, selectUtf8, kPageRows, error);
    if (!error.empty())
        Fail(error);
    benchmark::DoNotOptimize(texts.data());
}

struct Opening {
    std::string select;
    double open = 1e300, paint = 1e300, raw = 1e300; // best of the rounds
};

Opening MeasureOpening() {
    Opening best;
    for (int round = 0; round < kRounds; ++round) {
        auto host = std::make_unique<HostPage>();
        const double created = Milliseconds([&] { host->Open(); });
        const double painted = Milliseconds([&] { host->Paint(); });
        if (host->view.Grid().GetRowCount() != kPageRows + 1)
            Fail("the page has the wrong number of rows");
        best.select = host->view.Binding().GetSelectText();
        best.open = std::min(best.open, created + painted);
        best.paint = std::min(best.paint, painted);
        host.reset();
        const std::string selectUtf8 = ToUtf8(best.select);
        best.raw = std::min(best.raw, Milliseconds([&] { ReadRaw(selectUtf8); }));
    }
    return best;
}

void PrintOpening(const char* columns, const Opening& opening) {
    std::printf("site list opened with %d of %d rows, %s (best of %d): %.2f ms, of which first "
                "paint %.2f ms; raw C API read %.2f ms\n",
                kPageRows, kSites, columns, kRounds, opening.open, opening.paint, opening.raw);
}

// As a new user opens it: with the files the product ships, the column
// widths among them. Then with every column only as wide as its caption, as
// without the widths file, where most texts are cut to fit.
void MeasureBothWidths(const QString& host) {
    InstallShippedFiles(host);
    const Opening shipped = MeasureOpening();
    RemoveColumnWidths(host);
    const Opening narrow = MeasureOpening();
    std::printf("select: %s\n", ToUtf8(shipped.select).c_str());
    PrintOpening("shipped column widths", shipped);
    PrintOpening("columns as wide as their captions", narrow);
    std::printf("with columns as wide as their captions: %.2f times the raw read\n",
                narrow.open / narrow.raw);
    std::printf("sitelist ratio=%.2f (goal <= 2.0)\n", shipped.open / shipped.raw);
}

void BM_SiteListOpen(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto host = std::make_unique<HostPage>();
        state.ResumeTiming();
        host->Open();
        host->Paint();
        state.PauseTiming();
        host.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SiteListOpen)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    UseOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_file = dir.filePath(QStringLiteral("sites.db")).toStdString();
    CAdoDatabase db;
    if (std::string error; !OpenSiteDatabase(db, ToPath(dir.path()), kSites, error))
        Fail(error);
    g_db = &db;
    {
        HostPage warmUp; // fonts, glyphs, the database's page cache
        warmUp.Open();
        warmUp.Paint();
    }
    MeasureBothWidths(dir.path());
    std::fflush(stdout);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
