// Fill, paint and scroll costs of the grid widget, and the memory its rows
// take, with generated site-list texts (GBK) in a grid shown offscreen.
//
// Memory is measured first, in a fresh process: heap in use (all malloc
// arenas) before and after, so that the figure is the grid's own and not the
// allocator's reserve. Times come from Google Benchmark; each fill runs on a
// new grid. The reference is holding the same texts in a plain
// std::vector<std::string>.
#include "bench/Bench.h"
#include "bench/Memory.h"
#include "widgets/GridCtrl.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QPixmap>
#include <QScrollBar>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kColumns = 8;
constexpr int kPageRows = 5000;
constexpr int kLargeRows = 100000;
using Record = std::array<std::string, kColumns>;

// Site-list rows: key, choice marker, name, home page, user, password,
// remark, chosen flag.
std::vector<Record> MakeRecords(int count) {
    static const char* const kRegions[] = {"北京", "上海", "广州", "深圳", "杭州", "成都", "武汉"};
    static const char* const kKinds[] = {"信息网", "黄页", "商务网", "供求网"};
    std::vector<Record> records(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Record& r = records[size_t(i)];
        const int key = count - i;
        r[0] = std::to_string(key);
        r[1] = key % 3 ? " " : "√";
        r[2] = std::string(kRegions[i % 7]) + kKinds[i % 4] + std::to_string(key % 997);
        r[3] = "http://www." + std::to_string(key) + "-site.com.cn/register.asp";
        r[4] = "user" + std::to_string(key * 7 % 100000);
        r[5] = "pw" + std::to_string(key * 13 % 1000000);
        r[6] = std::string("备注：") + std::string(size_t(i % 5) * 6, 'x') + "已注册";
        r[7] = key % 3 ? "0" : "1";
    }
    return records;
}

const std::vector<Record>& Records() {
    static const std::vector<Record> records = MakeRecords(kLargeRows);
    return records;
}

std::size_t TextBytes(int count) {
    std::size_t bytes = 0;
    for (int i = 0; i < count; ++i)
        for (const std::string& text : Records()[size_t(i)])
            bytes += text.size();
    return bytes;
}

// The site list's grid: a shown window, one header row, list mode.
struct Screen {
    QWidget host;
    CGridCtrl grid;

    Screen() {
        host.resize(1000, 700);
        grid.Create(&host, CRect{0, 0, 1000, 700}, 6010);
        grid.SetFixedRowCount(1);
        grid.SetColumnCount(kColumns);
        static const char* const kCaptions[] = {"编号",   "",     "网站名称", "网址",
                                                "用户名", "密码", "备注",     "IsSelected"};
        for (int col = 0; col < kColumns; ++col)
            grid.SetItemText(0, col, kCaptions[col]);
        grid.SetEditable(false);
        grid.SetListMode(true);
        grid.AutoSize();
        host.show();
        QCoreApplication::processEvents();
    }

    QAbstractScrollArea* View() { return static_cast<QAbstractScrollArea*>(grid.Widget()); }

    // What a fill from the database does per record: append a row of
    // 20 pixels and set its texts.
    void Fill(int count) {
        const std::vector<Record>& records = Records();
        for (int i = 0; i < count; ++i) {
            const Record& record = records[size_t(i)];
            const int row = grid.InsertRow(record[0]);
            grid.SetRowHeight(row, 20);
            for (int col = 1; col < kColumns; ++col)
                grid.SetItemText(row, col, record[size_t(col)]);
        }
    }

    void Paint() {
        QCoreApplication::processEvents();
        QPixmap shot = grid.Widget()->grab();
        benchmark::DoNotOptimize(shot);
    }
};

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void ReportMemory() {
    const std::size_t textBytes = TextBytes(kPageRows);
    const long rssStart = StatusKb("VmRSS");
    const std::size_t heapStart = HeapInUse();
    auto screen = std::make_unique<Screen>();
    screen->Paint();
    const std::size_t heapEmpty = HeapInUse();
    screen->Fill(kPageRows);
    const std::size_t heapFilled = HeapInUse();
    const long rssFilled = StatusKb("VmRSS");
    screen->Paint();
    const std::size_t heapPainted = HeapInUse();

    const long long rowBytes = static_cast<long long>(heapFilled - heapEmpty);
    std::printf("grid fixed overhead (empty grid shown and painted, window included): %zu bytes\n",
                heapEmpty - heapStart);
    std::printf("grid rows %dx%d: %lld heap bytes for %zu bytes of text: %lld bytes more "
                "(%.1f per row; allowed 5 MiB = %d)\n",
                kPageRows, kColumns, rowBytes, textBytes, rowBytes - (long long)textBytes,
                double(rowBytes - (long long)textBytes) / kPageRows, 5 * 1024 * 1024);
    std::printf("grid first paint of %d rows: %lld heap bytes more\n", kPageRows,
                static_cast<long long>(heapPainted) - static_cast<long long>(heapFilled));
    std::printf("process RSS: %ld kB at start, %ld kB after the %d-row fill\n", rssStart, rssFilled,
                kPageRows);
    std::printf("grid_memory_%dx%d ratio=%.2f\n", kPageRows, kColumns,
                double(rowBytes) / double(textBytes));
    screen.reset();

    // The large grid: fill, first paint, then every page from top to bottom.
    const std::size_t largeText = TextBytes(kLargeRows);
    screen = std::make_unique<Screen>();
    screen->Paint();
    const std::size_t heapLargeEmpty = HeapInUse();
    auto start = std::chrono::steady_clock::now();
    screen->Fill(kLargeRows);
    const double fillMs = Ms(std::chrono::steady_clock::now() - start);
    const std::size_t heapLarge = HeapInUse();
    start = std::chrono::steady_clock::now();
    screen->Paint();
    const double paintMs = Ms(std::chrono::steady_clock::now() - start);

    QScrollBar* bar = screen->View()->verticalScrollBar();
    std::vector<double> pageMs;
    while (bar->value() < bar->maximum()) {
        start = std::chrono::steady_clock::now();
        bar->setValue(bar->value() + bar->pageStep());
        screen->View()->viewport()->repaint();
        pageMs.push_back(Ms(std::chrono::steady_clock::now() - start));
    }
    std::sort(pageMs.begin(), pageMs.end());
    double total = 0;
    for (double ms : pageMs)
        total += ms;
    const std::size_t pages = pageMs.size();
    std::printf("grid rows %dx%d: fill %.1f ms, first paint %.1f ms, %lld heap bytes for %zu "
                "bytes of text (%.1f more per row)\n",
                kLargeRows, kColumns, fillMs, paintMs,
                static_cast<long long>(heapLarge - heapLargeEmpty), largeText,
                double(heapLarge - heapLargeEmpty - largeText) / kLargeRows);
    if (pages > 0)
        std::printf("grid scroll %dx%d page by page: %zu pages, %.2f ms mean, %.2f ms median, "
                    "%.2f ms 99th percentile, %.2f ms slowest\n",
                    kLargeRows, kColumns, pages, total / double(pages), pageMs[pages / 2],
                    pageMs[std::min(pages - 1, pages * 99 / 100)], pageMs.back());
    screen.reset();
    std::printf("process peak RSS (VmHWM): %ld kB\n", StatusKb("VmHWM"));
    std::fflush(stdout);
}

void BM_VectorHold5000(benchmark::State& state) {
    const std::vector<Record>& records = Records();
    for (auto _ : state) {
        std::vector<std::string> held;
        held.reserve(size_t(kPageRows) * kColumns);
        for (int i = 0; i < kPageRows; ++i)
            for (const std::string& text : records[size_t(i)])
                held.push_back(text);
        benchmark::DoNotOptimize(held.data());
        state.PauseTiming();
        held = {};
        state.ResumeTiming();
    }
}
BENCHMARK(BM_VectorHold5000)->Unit(benchmark::kMillisecond);

void BM_GridFill5000(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto screen = std::make_unique<Screen>();
        state.ResumeTiming();
        screen->Fill(kPageRows);
        state.PauseTiming();
        screen.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_GridFill5000)->Unit(benchmark::kMillisecond);

void BM_GridFirstPaint5000(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto screen = std::make_unique<Screen>();
        screen->Fill(kPageRows);
        state.ResumeTiming();
        screen->Paint();
        state.PauseTiming();
        screen.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_GridFirstPaint5000)->Unit(benchmark::kMillisecond);

void BM_GridFill100000(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto screen = std::make_unique<Screen>();
        state.ResumeTiming();
        screen->Fill(kLargeRows);
        state.PauseTiming();
        screen.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_GridFill100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Keeps every run's time per iteration (in milliseconds) for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ms;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred)
                ms[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
};

} // namespace

int main(int argc, char** argv) {
    UseOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    Records(); // generated before any measurement
    {
        Screen warmUp; // fonts and glyph caches
        warmUp.Fill(100);
        warmUp.Paint();
    }
    ReportMemory();

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double hold = reporter.ms["BM_VectorHold5000"];
    const double fill = reporter.ms["BM_GridFill5000"];
    const double paint = reporter.ms["BM_GridFirstPaint5000"];
    if (hold > 0 && fill > 0) {
        std::printf("grid fill %d rows: %.2f ms, first paint %.2f ms, vector hold %.2f ms\n",
                    kPageRows, fill, paint, hold);
        std::printf("grid_fill_%dx%d_vs_vector ratio=%.2f\n", kPageRows, kColumns, fill / hold);
    }
    benchmark::Shutdown();
    return 0;
}
