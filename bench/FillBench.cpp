// The site list's fill through CDataGrid against reading the same rows with
// the SQLite C API, over a generated SiteData of 100,000 rows: the data part
// of a 5,000-row page (from the select to every row held in a grid shown
// offscreen, before painting), its first paint, the memory the rows take in
// the grid, and a fill of all 100,000 rows scrolled through page by page.
#include "bench/Bench.h"
#include "bench/Memory.h"
#include "bench/RawRead.h"
#include "database/AdoDatabase.h"
#include "platform/CodePage.h"
#include "platform/HostFolder.h"
#include "toolkit/DataGrid.h"
#include "widgets/GridCtrl.h"

#include "bench/SiteDataGenerator.h"
#include <QAbstractScrollArea>
#include <QApplication>
#include <QPixmap>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <memory>

#include <string>
#include <vector>

namespace {

constexpr int kSites = 100000;
constexpr int kPageRows = 5000;
constexpr int kRounds = 15;

CAdoDatabase* g_db = nullptr;
std::string g_file;

// The site list's declaration; without the category condition for the
// fill of every site.
void DeclareSiteList(CDataGrid& binding, bool filtered) {
    binding.SetTable("SiteData");
    binding.AddField("KeyId", "编号");
    binding.AddField("' '", "");
    binding.AddField("Name", "网站名称");
    binding.AddField("Score", "评分");
    binding.AddField("UserName", "用户名");
    binding.AddField("RegisterStatus", "注册结果");
    binding.AddField("Homepage", "网址");
    binding.AddField("IsSelected", "IsSelected");
    if (filtered)
        binding.AddCondition(" ClassPath like '/信息网%' ");
    binding.SetOrder(" order by keyid desc ");
}

// The site list: a shown top-level window holding the grid, declared and
// with its columns set up, as after the screen's creation.
struct SiteList {
    QWidget window;
    CGridCtrl grid;
    CDataGrid binding;

    SiteList(int pageSize, bool filtered) {
        window.resize(1000, 700);
        grid.Create(&window, CRect{0, 0, 1000, 700}, 6010);
        grid.SetFixedRowCount(1);
        grid.SetEditable(false);
        grid.SetListMode(true);
        grid.EnableTitleTips(false);
        binding.Attach(&grid);
        binding.SetPageSize(pageSize);
        DeclareSiteList(binding, filtered);
        binding.SetupColumns();
        window.show();
        QCoreApplication::processEvents();
    }

    void Fill() {
        if (binding.Fill(g_db) != 1)
            Fail("fill failed: " + binding.GetLastError());
    }

    void Paint() {
        QCoreApplication::processEvents();
        QPixmap shot = grid.Widget()->grab();
        benchmark::DoNotOptimize(shot);
    }

    QAbstractScrollArea* View() { return static_cast<QAbstractScrollArea*>(grid.Widget()); }
};

std::string SelectText(int pageSize, bool filtered) {
    CDataGrid binding;
    binding.SetPageSize(pageSize);
    DeclareSiteList(binding, filtered);
    return binding.BuildSelect();
}

// The reference: the same select stepped with the C API.
std::vector<std::string> ReadRaw(const std::string& selectUtf8, int rows) {
    std::string error;
    std::vector<std::string> texts = ReadRawTexts(g_file, selectUtf8, rows, error);
    if (!error.empty())
        Fail(error);
    return texts;
}

std::size_t GridTextBytes(const CGridCtrl& grid) {
    std::size_t bytes = 0;
    for (int row = grid.GetFixedRowCount(); row < grid.GetRowCount(); ++row)
        for (int col = 0; col < grid.GetColumnCount(); ++col)
            bytes += grid.GetItemText(row, col).size();
    return bytes;
}

// The 5,000-row page: data part against the raw read, first paint, memory.
void MeasurePage() {
    const std::string select = SelectText(kPageRows, true);
    const std::string selectUtf8 = ToUtf8(select);
    double fill = 1e300, raw = 1e300, paint = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        auto list = std::make_unique<SiteList>(kPageRows, true);
        fill = std::min(fill, Milliseconds([&] { list->Fill(); }));
        paint = std::min(paint, Milliseconds([&] { list->Paint(); }));
        if (list->grid.GetRowCount() != kPageRows + 1)
            Fail("the page has the wrong number of rows");
        list.reset();
        raw = std::min(raw, Milliseconds([&] {
                           std::vector<std::string> texts = ReadRaw(selectUtf8, kPageRows);
                           benchmark::DoNotOptimize(texts.data());
                       }));
    }
    std::printf("select: %s\n", ToUtf8(select).c_str());
    std::printf("fill %d rows x 8 columns (best of %d): data part %.2f ms, raw C API read %.2f "
                "ms, first paint %.2f ms\n",
                kPageRows, kRounds, fill, raw, paint);
    std::printf("fill ratio=%.2f (goal <= 3.0)\n", fill / raw);
    std::printf("fill_first_paint_ms=%.2f\n", paint);

    // Memory: a fresh list, shown and painted empty, then filled.
    const std::size_t heapStart = HeapInUse();
    auto list = std::make_unique<SiteList>(kPageRows, true);
    list->Paint();
    const std::size_t heapEmpty = HeapInUse();
    list->Fill();
    const std::size_t heapFilled = HeapInUse();
    list->Paint();
    const std::size_t heapPainted = HeapInUse();
    const std::size_t textBytes = GridTextBytes(list->grid);
    const long long rowBytes = (long long)heapFilled - (long long)heapEmpty;
    std::printf("fixed overhead (site list window and grid shown and painted, no rows): %zu "
                "heap bytes\n",
                heapEmpty - heapStart);
    std::printf("grid rows %dx8: %lld heap bytes for %zu bytes of text: %lld more (%.1f per row; "
                "allowed 5 MiB = %d)\n",
                kPageRows, rowBytes, textBytes, rowBytes - (long long)textBytes,
                double(rowBytes - (long long)textBytes) / kPageRows, 5 * 1024 * 1024);
    std::printf("first paint of the page: %lld heap bytes more\n",
                (long long)heapPainted - (long long)heapFilled);
    std::printf("fill_memory ratio=%.2f (heap of the rows / bytes of their texts)\n",
                double(rowBytes) / double(textBytes));
}

// Every site in one fill, then every page from top to bottom.
void MeasureAllSites() {
    const std::string selectUtf8 = ToUtf8(SelectText(kSites, false));
    const double raw = Milliseconds([&] {
        std::vector<std::string> texts = ReadRaw(selectUtf8, kSites);
        benchmark::DoNotOptimize(texts.data());
    });
    SiteList list(kSites, false);
    const double fill = Milliseconds([&] { list.Fill(); });
    if (list.grid.GetRowCount() != kSites + 1)
        Fail("not every site was filled");
    const double paint = Milliseconds([&] { list.Paint(); });

    QScrollBar* bar = list.View()->verticalScrollBar();
    std::vector<double> pageMs;
    while (bar->value() < bar->maximum()) {
        pageMs.push_back(Milliseconds([&] {
            bar->setValue(bar->value() + bar->pageStep());
            list.View()->viewport()->repaint();
        }));
    }
    double total = 0;
    for (double ms : pageMs)
        total += ms;
    const double worst = pageMs.empty() ? 0 : *std::max_element(pageMs.begin(), pageMs.end());
    std::printf("fill %d rows x 8 columns: %.1f ms (raw C API read %.1f ms, ratio %.2f), first "
                "paint %.1f ms\n",
                kSites, fill, raw, fill / raw, paint);
    std::printf("scroll %d rows page by page: %zu pages, %.2f ms mean, %.2f ms worst\n", kSites,
                pageMs.size(), pageMs.empty() ? 0.0 : total / double(pageMs.size()), worst);
}

void BM_DataGridFill5000(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<SiteList>(kPageRows, true);
        state.ResumeTiming();
        list->Fill();
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DataGridFill5000)->Unit(benchmark::kMillisecond);

void BM_SqliteCApiRead5000Reference(benchmark::State& state) {
    const std::string selectUtf8 = ToUtf8(SelectText(kPageRows, true));
    for (auto _ : state) {
        std::vector<std::string> texts = ReadRaw(selectUtf8, kPageRows);
        benchmark::DoNotOptimize(texts.data());
    }
}
BENCHMARK(BM_SqliteCApiRead5000Reference)->Unit(benchmark::kMillisecond);

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
        SiteList warmUp(kPageRows, true); // fonts, glyphs, the database's page cache
        warmUp.Fill();
        warmUp.Paint();
    }

    MeasurePage();
    MeasureAllSites();
    std::printf("process peak RSS (VmHWM): %ld kB\n", StatusKb("VmHWM"));
    std::fflush(stdout);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
