// Opening the site list over a generated SiteData of 100,000 rows (window
// created, the first 5,000 rows filled and marked, first paint) against
// reading the same 5,000 rows with the SQLite C API, in the same run.
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
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSites = 100000;
constexpr int kPageRows = 5000;
constexpr int kRounds = 10;

CAdoDatabase* g_db = nullptr;
std::string g_file;

std::string ToUtf8(const std::string& gbk) {
    return FromGbk(gbk).toUtf8().toStdString();
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "sitelist bench: %s\n", ToUtf8(what).c_str());
    std::exit(1);
}

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

// Processor time of the process, not wall time: the machine the benchmarks
// run on is shared, and a run that waits for the processor is not slower.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

template <typename Run> double Milliseconds(Run run) {
    const double start = CpuMs();
    run();
    return CpuMs() - start;
}

void MeasureOpening() {
    std::string select;
    double open = 1e300, paint = 1e300, raw = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        auto host = std::make_unique<HostPage>();
        const double created = Milliseconds([&] { host->Open(); });
        const double painted = Milliseconds([&] { host->Paint(); });
        if (host->view.Grid().GetRowCount() != kPageRows + 1)
            Fail("the page has the wrong number of rows");
        select = host->view.Binding().GetSelectText();
        open = std::min(open, created + painted);
        paint = std::min(paint, painted);
        host.reset();
        const std::string selectUtf8 = ToUtf8(select);
        raw = std::min(raw, Milliseconds([&] { ReadRaw(selectUtf8); }));
    }
    std::printf("select: %s\n", ToUtf8(select).c_str());
    std::printf("site list opened with %d of %d rows (best of %d): %.2f ms, of which first paint "
                "%.2f ms; raw C API read %.2f ms\n",
                kPageRows, kSites, kRounds, open, paint, raw);
    std::printf("sitelist ratio=%.2f (goal <= 2.0)\n", open / raw);
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
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
    MeasureOpening();
    std::fflush(stdout);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
