// The task list over a generated Nimbrel of 100,000 tasks in 50 categories:
// showing the first top-level category (its 200 newest tasks, its
// subcategories' included) through the screen's own show-category path into
// the grid, against reading the same 200 rows with the SQLite C API; and the
// time from the creation of the screen's window to its first paint.
#include "bench/Bench.h"
#include "bench/RawRead.h"
#include "database/AdoDatabase.h"
#include "database/LikeCondition.h"
#include "database/Schema.h"
#include "platform/CodePage.h"
#include "platform/HostFolder.h"
#include "tasks/PublishTaskListView.h"
#include "toolkit/DataGrid.h"
#include "widgets/GridCtrl.h"

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

constexpr int kTasks = 100000;
constexpr int kTopCategories = 10;
constexpr int kSubcategories = 4; // below each top-level category
constexpr int kPageRows = 200;
constexpr int kRounds = 15;
// The first top-level category, as the screen shows it at creation.
constexpr const char* kShownPath = "/分类1/";

CAdoDatabase* g_db = nullptr;
std::string g_file;

bool Exec(sqlite3* raw, const std::string& sql) {
    return sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Categories 1 to 10 at the top with 4 subcategories each; task i goes to
// category i % 50 + 1, so every category's tasks spread over all keys.
void GenerateTasks() {
    sqlite3* raw = nullptr;
    if (sqlite3_open(g_file.c_str(), &raw) != SQLITE_OK)
        Fail("cannot open the generated file");
    Exec(raw, "begin");
    std::vector<std::string> paths;
    for (int top = 1; top <= kTopCategories; ++top) {
        const std::string name = u8"分类" + std::to_string(top);
        Exec(raw, "insert into NimbrelClass(KeyId,ParentId,Name,ClassPath) values (" +
                      std::to_string(top) + ",0,'" + name + "','/" + name + "')");
        paths.push_back("/" + name + "/");
        for (int sub = 1; sub <= kSubcategories; ++sub) {
            const int key = kTopCategories + (top - 1) * kSubcategories + sub;
            const std::string subName = u8"子类" + std::to_string(key);
            Exec(raw, "insert into NimbrelClass(KeyId,ParentId,Name,ClassPath) values (" +
                          std::to_string(key) + "," + std::to_string(top) + ",'" + subName +
                          "','/" + name + "/" + subName + "')");
        }
    }
    for (int top = 1; top <= kTopCategories; ++top)
        for (int sub = 1; sub <= kSubcategories; ++sub)
            paths.push_back(paths[size_t(top - 1)] + u8"子类" +
                            std::to_string(kTopCategories + (top - 1) * kSubcategories + sub) +
                            "/");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(raw,
                       "insert into Nimbrel(Title,Content,Comment,TaskClass,ClassPath,CreateTime,"
                       "LastTime,TotalCount,Progress,SuccessCount,ErrorCount) "
                       "values (?,?,?,?,?,?,?,?,?,?,?)",
                       -1, &insert, nullptr);
    for (int i = 1; i <= kTasks; ++i) {
        const int category = i % int(paths.size());
        const std::string title = u8"供应第" + std::to_string(i) + u8"号数控车床，质量可靠";
        const std::string content =
            title + u8"。本公司常年供应各种型号，欢迎来电洽谈。\r\n" + u8"联系电话：010-12345678";
        const std::string time =
            "2024-05-" + std::to_string(10 + i % 20) + " 08:" + std::to_string(10 + i % 50) + ":00";
        sqlite3_bind_text(insert, 1, title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, content.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, i % 3 ? u8"已审核" : "", -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 4, category + 1); // paths are in key order
        sqlite3_bind_text(insert, 5, paths[size_t(category)].c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 6, time.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 7, time.c_str(), -1, SQLITE_TRANSIENT);
        for (int column = 8; column <= 11; ++column)
            sqlite3_bind_int(insert, column, i % (column * 3));
        if (sqlite3_step(insert) != SQLITE_DONE)
            Fail(sqlite3_errmsg(raw));
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Exec(raw, "commit");
    sqlite3_close(raw);
}

// The select the screen runs for the category, built as the screen builds it.
std::string ShownSelect() {
    CDataGrid binding;
    binding.SetTable("Nimbrel");
    for (const char* field :
         {"KeyId", "Title", "LastTime", "Progress", "SuccessCount", "ErrorCount", "Comment"})
        binding.AddField(field);
    binding.AddCondition(BuildLikeCondition(g_db, "classpath", std::string(kShownPath) + "%") +
                         " ");
    binding.SetOrder(" order by keyid desc ");
    return binding.BuildSelect();
}

// The reference: the same select stepped with the C API.
std::vector<std::string> ReadRaw(const std::string& selectUtf8) {
    std::string error;
    std::vector<std::string> texts = ReadRawTexts(g_file, selectUtf8, kPageRows, error);
    if (!error.empty())
        Fail(error);
    return texts;
}

// The screen as the host shows it: a child of a shown top-level window.
struct TaskList {
    QWidget window;
    CDestroyWindowFirst<CPublishTaskListView> view; // as the module hands it out

    TaskList() {
        window.resize(1000, 700);
        window.show();
        view.SetDatabase(g_db);
        if (!view.Create(&window, CRect{0, 0, 1000, 700}, 1))
            Fail("the task list cannot be created");
    }
    void Paint() {
        QCoreApplication::processEvents();
        QPixmap shot = window.grab();
        benchmark::DoNotOptimize(shot);
    }
};

void MeasureShowCategory() {
    const std::string select = ShownSelect();
    const std::string selectUtf8 = ToUtf8(select);
    TaskList list;
    list.Paint();
    double show = 1e300, raw = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        show = std::min(show, Milliseconds([&] { list.view.ShowCategory(kShownPath); }));
        if (list.view.Grid().GetRowCount() != kPageRows + 1)
            Fail("the category shows the wrong number of rows");
        raw = std::min(raw, Milliseconds([&] {
                           std::vector<std::string> texts = ReadRaw(selectUtf8);
                           benchmark::DoNotOptimize(texts.data());
                       }));
    }
    std::printf("select: %s\n", ToUtf8(select).c_str());
    std::printf("show category, %d of %d tasks (best of %d): screen %.2f ms, raw C API read "
                "%.2f ms\n",
                kPageRows, kTasks, kRounds, show, raw);
    std::printf("tasklist_show_category ratio=%.2f (goal <= 1.5)\n", show / raw);
}

void MeasureFirstPaint() {
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        std::unique_ptr<TaskList> list;
        best = std::min(best, Milliseconds([&] {
                            list = std::make_unique<TaskList>();
                            list->Paint();
                        }));
        if (list->view.Grid().GetRowCount() != kPageRows + 1)
            Fail("the first category is not shown");
    }
    std::printf("tasklist_first_paint_ms=%.2f (window creation to first paint, %d tasks, best "
                "of 5)\n",
                best, kTasks);
}

void BM_TaskListShowCategory(benchmark::State& state) {
    TaskList list;
    for (auto _ : state)
        list.view.ShowCategory(kShownPath);
}
BENCHMARK(BM_TaskListShowCategory)->Unit(benchmark::kMillisecond);

void BM_SqliteCApiRead200Reference(benchmark::State& state) {
    const std::string selectUtf8 = ToUtf8(ShownSelect());
    for (auto _ : state) {
        std::vector<std::string> texts = ReadRaw(selectUtf8);
        benchmark::DoNotOptimize(texts.data());
    }
}
BENCHMARK(BM_SqliteCApiRead200Reference)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    UseOffscreenPlatformByDefault();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SetHostFolder(ToPath(dir.path())); // path bytes, not GBK
    InstallShippedFiles(dir.path());
    g_file = dir.filePath(QStringLiteral("tasks.db")).toStdString();

    CAdoDatabase db;
    std::string error;
    if (!db.Open("Provider=SQLite;Data Source=tasks.db") || !CreateSchema(db, error))
        Fail(db.GetLastError() + error);
    GenerateTasks();
    g_db = &db;
    {
        TaskList warmUp; // fonts, glyphs, the database's page cache
        warmUp.Paint();
    }

    MeasureShowCategory();
    MeasureFirstPaint();
    std::fflush(stdout);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
