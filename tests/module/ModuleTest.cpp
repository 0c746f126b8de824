// The module as the host meets it: libNimbrel.so loaded by its file name, its
// exports resolved by name, and every screen taken through its whole life on
// a real database and a temporary host folder. The module comes from the
// build's host folder, or from the folder NIMBREL_MODULE_DIR names: the
// installation tests run this program on an installed, moved host folder.
#include "database/AdoDatabase.h"
#include "database/Schema.h"
#include "module/ModuleApi.h"
#include "platform/CodePage.h"
#include "platform/Wnd.h"
#include "tests/database/support/TestDatabase.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QCursor>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLibrary>
#include <QPixmap>
#include <QTreeWidget>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <memory>
#include <new>

// Every allocation of this program goes through here, so that a test can make
// one made by the module's own code fail. Allocations inside Qt are left
// alone: Qt is not written to survive an exception thrown through it.
namespace {

std::atomic<long> g_moduleAllocationsBeforeFailure{-1}; // -1: none fails

bool IsModuleCode(void* address) {
    Dl_info info;
    return dladdr(address, &info) != 0 && info.dli_fname &&
           std::strstr(info.dli_fname, "libNimbrel.so") != nullptr;
}

} // namespace

void* operator new(std::size_t size) {
    if (g_moduleAllocationsBeforeFailure.load() >= 0 && IsModuleCode(__builtin_return_address(0)) &&
        g_moduleAllocationsBeforeFailure.fetch_sub(1) == 0)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

struct Export {
    const char* name;
    // The list screens' section of res/gridpos.ini; null for the editor.
    const char* widthsSection;
};

const Export kExports[] = {
    {"editCompany", nullptr},
    {"listSiteData", "CSiteListView"},
    {"listPublishTask", "CPublishTaskListView"},
};

QString ModuleFile() {
    const QString folder = qEnvironmentVariable("NIMBREL_MODULE_DIR");
    return (folder.isEmpty() ? QStringLiteral(NIMBREL_APP_DIR) : folder) +
           QStringLiteral("/libNimbrel.so");
}

using Sides = std::vector<int>;
Sides SidesOf(const CRect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// What a host widget shows, for comparing two screens pixel by pixel. The
// keyboard focus, which only the first window shown gets, is taken away.
QImage Shown(QWidget& host) {
    ProcessEvents();
    if (QWidget* focus = QApplication::focusWidget())
        focus->clearFocus();
    return host.grab().toImage();
}

// True when the window's controls, arranged for its size, reach its right
// and bottom edges: the layout stretched them over the whole client area.
bool ControlsReachFarEdges(const CWnd& screen) {
    QWidget* window = screen.Widget();
    QRect reached;
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow() && child->isVisibleTo(window))
            reached |= child->geometry();
    return reached.bottomRight() == window->rect().bottomRight();
}

// The top-level categories a task list's tree shows.
QStringList Categories(const CWnd& taskList) {
    QStringList names;
    auto* tree = taskList.Widget()->findChild<QTreeWidget*>();
    QTreeWidgetItem* root = tree ? tree->topLevelItem(0) : nullptr;
    for (int i = 0; root && i < root->childCount(); ++i)
        names.append(root->child(i)->text(0));
    return names;
}

class ModuleTest : public SchemaDatabaseTest {
protected:
    void SetUp() override {
        SchemaDatabaseTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(m_module.load()) << m_module.errorString().toStdString();
        ExecuteOrFail(m_db, "insert into NimbrelClass (KeyId,ParentId,Name,ClassPath) values "
                            "(1,0,'甲','/甲')");
        ExecuteOrFail(m_db, "insert into Nimbrel (Title,Content,TaskClass,ClassPath) values "
                            "('任务','正文',1,'/甲/')");
        ExecuteOrFail(m_db, "insert into SiteData (Name,Homepage,ClassPath) values "
                            "('站点','www.example.com','/信息网/')");
        m_host.resize(1000, 700);
        m_host.show();
    }

    // The export by name; a test fails on one the module does not offer.
    ScreenExport Resolve(const Export& e) {
        auto make = reinterpret_cast<ScreenExport>(m_module.resolve(e.name));
        EXPECT_NE(make, nullptr) << "the module does not export " << e.name;
        return make;
    }
    // A screen of the export, without a window: a list screen on this test's
    // database, the company editor, which reads none, with a null one.
    CWnd* Make(const Export& e, const char* text = nullptr) {
        ScreenExport make = Resolve(e);
        HostParameters parameters{text, e.widthsSection ? &m_db : nullptr};
        return make ? make(&parameters) : nullptr;
    }
    const TempHostFolder& Host() const { return m_test.HostFolder(); }
    // Every file below the host folder with its size.
    QStringList Files() const {
        QStringList files;
        QDirIterator it(FromPath(Host().Path()), QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            files.append(it.filePath() + QLatin1Char(' ') + QString::number(it.fileInfo().size()));
        }
        files.sort();
        return files;
    }
    bool KeptWidths(const char* section) const {
        const std::string ini = Host().Read("res/gridpos.ini");
        return Contains(ini, std::string("[") + section + "]") && Contains(ini, "ColumnWidth=");
    }

    ScriptedInteraction m_seam; // a message box would fail the test
    QLibrary m_module{ModuleFile()};
    QWidget m_host;
};

} // namespace

// An export makes the object and nothing else: no window, no file, and the
// database pointer only copied (here it points to nothing a call could use).
// An object that never had a window is deleted without a trace.
TEST_P(ModuleTest, ExportsMakeAScreenObjectAndNothingElse) {
    Dl_info loaded{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(Resolve(kExports[0])), &loaded), 0);
    EXPECT_EQ(QFileInfo(QString::fromLocal8Bit(loaded.dli_fname)).canonicalFilePath(),
              QFileInfo(ModuleFile()).canonicalFilePath())
        << "the exports come from another file";

    const QStringList before = Files();
    auto* nothing = reinterpret_cast<CAdoDatabase*>(alignof(std::max_align_t));
    for (const Export& e : kExports) {
        SCOPED_TRACE(e.name);
        HostParameters parameters{"/tasks?user=1&mode=2", nothing};
        ScreenExport make = Resolve(e);
        CWnd* screen = make ? make(&parameters) : nullptr;
        ASSERT_NE(screen, nullptr);
        EXPECT_FALSE(screen->IsWindow());
        delete screen;
    }
    EXPECT_EQ(Files(), before);
}

// The host's road for each screen: its window made as a visible child with
// the host's rectangle and id, the controls built, then the window ended in
// each of the ways a host may end it; a list screen keeps its column widths
// whichever it is, and the object goes through its virtual destructor.
TEST_P(ModuleTest, EveryScreenLivesTheHostsRoad) {
    enum class End { DestroyThenDelete, DeleteWithWindow, HostWidgetFirst };
    const CRect rect{5, 7, 905, 607};
    for (const Export& e : kExports) {
        for (End end : {End::DestroyThenDelete, End::DeleteWithWindow, End::HostWidgetFirst}) {
            SCOPED_TRACE(std::string(e.name) + " ended by way " + std::to_string(int(end)));
            QFile::remove(FromPath(Host().Path("res/gridpos.ini")));
            auto host = std::make_unique<QWidget>();
            host->show();
            CWnd* screen = Make(e);
            ASSERT_NE(screen, nullptr);
            ASSERT_TRUE(screen->Create(host.get(), rect, 4711));
            EXPECT_EQ(screen->Widget()->parentWidget(), host.get());
            EXPECT_TRUE(screen->Widget()->isVisible());
            EXPECT_EQ(SidesOf(screen->GetWindowRect()), SidesOf(rect));
            EXPECT_EQ(screen->GetDlgCtrlID(), 4711);
            EXPECT_FALSE(screen->Widget()->findChildren<QWidget*>().isEmpty()) << "no controls";
            EXPECT_FALSE(Host().Exists("res/gridpos.ini")) << "widths are kept at the end only";

            if (end == End::DestroyThenDelete) {
                screen->DestroyWindow();
                EXPECT_FALSE(screen->IsWindow());
            } else if (end == End::HostWidgetFirst) {
                host.reset();
                EXPECT_FALSE(screen->IsWindow());
            }
            delete screen;
            if (host) {
                EXPECT_TRUE(host->findChildren<QWidget*>().isEmpty()) << "a window stayed";
            }
            if (e.widthsSection) {
                EXPECT_TRUE(KeptWidths(e.widthsSection)) << Host().Read("res/gridpos.ini");
            }
        }
    }
}

// Screens at once, one host and its one record filled anew for each call:
// each screen keeps the database it was given, and ends on its own while the
// others go on.
TEST_P(ModuleTest, ScreensLiveSideBySideEachOnItsOwnDatabase) {
    CAdoDatabase other;
    ASSERT_TRUE(other.Open("Provider=SQLite;Data Source=data/other.db"));
    std::string error;
    ASSERT_TRUE(CreateSchema(other, error)) << Utf8(error);
    ExecuteOrFail(other, "insert into NimbrelClass (KeyId,ParentId,Name,ClassPath) values "
                         "(1,0,'乙','/乙')");

    const Export& taskList = *std::find_if(std::begin(kExports), std::end(kExports), [](auto& e) {
        return std::strcmp(e.name, "listPublishTask") == 0;
    });
    ScreenExport listPublishTask = Resolve(taskList);
    ASSERT_NE(listPublishTask, nullptr);
    HostParameters record{nullptr, &m_db};
    std::vector<CWnd*> screens{listPublishTask(&record)};
    record.database = &other;
    screens.push_back(listPublishTask(&record));
    record.database = &m_db;
    for (const Export& e : kExports)
        if (ScreenExport make = Resolve(e))
            screens.push_back(make(&record));
    int id = 100;
    for (CWnd* screen : screens) {
        ASSERT_NE(screen, nullptr);
        ASSERT_TRUE(screen->Create(&m_host, CRect{0, 0, 1000, 700}, id++));
    }
    EXPECT_EQ(Categories(*screens[0]), QStringList{QStringLiteral(u"甲")});
    EXPECT_EQ(Categories(*screens[1]), QStringList{QStringLiteral(u"乙")});

    screens[0]->DestroyWindow();
    delete screens[0];
    EXPECT_TRUE(KeptWidths(taskList.widthsSection));
    EXPECT_EQ(Categories(*screens[1]), QStringList{QStringLiteral(u"乙")});
    for (size_t i = 1; i < screens.size(); ++i) {
        EXPECT_TRUE(screens[i]->IsWindow()) << "screen " << i << " lost its window";
        EXPECT_FALSE(screens[i]->Widget()->findChildren<QWidget*>().isEmpty());
    }
    while (screens.size() > 1) { // the last made goes first
        screens.back()->DestroyWindow();
        delete screens.back();
        screens.pop_back();
    }
    for (const Export& e : kExports) {
        if (e.widthsSection) {
            EXPECT_TRUE(KeptWidths(e.widthsSection)) << e.widthsSection;
        }
    }
    EXPECT_TRUE(m_host.findChildren<QWidget*>().isEmpty());
}

// No value of the parameter text changes a screen: one made with a null text
// and one with a path and two name=value pairs look the same.
TEST_P(ModuleTest, ParameterTextChangesNothing) {
    for (const Export& e : kExports) {
        SCOPED_TRACE(e.name);
        QImage shown[2];
        const char* texts[2] = {nullptr, "/tasks?user=1&mode=2"};
        for (int i = 0; i < 2; ++i) {
            CWnd* screen = Make(e, texts[i]);
            ASSERT_NE(screen, nullptr);
            ASSERT_TRUE(screen->Create(&m_host, CRect{0, 0, 1000, 700}, 1));
            shown[i] = Shown(m_host);
            screen->DestroyWindow();
            delete screen;
        }
        EXPECT_EQ(shown[0], shown[1]);
    }
}

// A screen takes the host's whole rectangle as its client area, even when the
// host asks for a border and a sunken edge, and the arrow cursor shows over
// it whatever the host's. A list screen paints no background of its own (the
// host's shows in the gaps of its layout) and arranges its controls over the
// whole area again on every change of width or height.
TEST_P(ModuleTest, ScreensFillTheHostsAreaWhateverTheHostAsks) {
    m_host.setCursor(Qt::CrossCursor);
    const CRect area{0, 0, 1000, 700};
    for (const Export& e : kExports) {
        SCOPED_TRACE(e.name);
        std::unique_ptr<CWnd> screen(Make(e));
        ASSERT_NE(screen, nullptr);
        ASSERT_TRUE(screen->Create(&m_host, area, 1, WS_BORDER, WS_EX_CLIENTEDGE));
        QWidget* window = screen->Widget();
        EXPECT_EQ(window->parentWidget(), &m_host) << "an edge of its own";
        EXPECT_EQ(SidesOf(screen->GetClientRect()), SidesOf(area));
        EXPECT_EQ(window->cursor().shape(), Qt::ArrowCursor);
        if (!e.widthsSection)
            continue;
        EXPECT_FALSE(window->autoFillBackground());
        for (const CRect& size : {area, CRect{0, 0, 1150, 700}, CRect{0, 0, 1150, 820},
                                  CRect{0, 0, 640, 820}, CRect{0, 0, 640, 300}}) {
            screen->MoveWindow(size);
            EXPECT_EQ(SidesOf(screen->GetClientRect()), SidesOf(size));
            EXPECT_TRUE(ControlsReachFarEdges(*screen)) << size.right << "x" << size.bottom;
        }
    }
}

// The exports do not check the database pointer: with a null one every
// screen still opens, empty and without a message, and closes.
TEST_P(ModuleTest, ScreensOpenOnANullDatabase) {
    for (const Export& e : kExports) {
        SCOPED_TRACE(e.name);
        HostParameters parameters{nullptr, nullptr};
        ScreenExport make = Resolve(e);
        std::unique_ptr<CWnd> screen(make ? make(&parameters) : nullptr);
        ASSERT_NE(screen, nullptr);
        EXPECT_TRUE(screen->Create(&m_host, CRect{0, 0, 1000, 700}, 1));
        ProcessEvents();
    }
}

// Each allocation the module makes for a new screen fails in turn, the
// screen object's own and those in its members' constructors: no exception
// reaches the host, which gets null.
TEST_P(ModuleTest, ExportGivesNullWhenItsScreenCannotBeAllocated) {
    for (const Export& e : kExports) {
        SCOPED_TRACE(e.name);
        long failing = 0;
        for (;; ++failing) {
            g_moduleAllocationsBeforeFailure = failing;
            CWnd* screen = nullptr;
            EXPECT_NO_THROW(screen = Make(e)) << "allocation " << failing;
            if (g_moduleAllocationsBeforeFailure.exchange(-1) >= 0) { // all made
                ASSERT_NE(screen, nullptr);
                delete screen;
                break;
            }
            EXPECT_EQ(screen, nullptr) << "allocation " << failing;
            delete screen;
        }
        EXPECT_GE(failing, 2); // the object and at least one member's own allocation
    }
}

// The lifecycle is the module's, not the engine's: SQLite is enough.
INSTANTIATE_TEST_SUITE_P(Sqlite, ModuleTest, ::testing::Values(Engine::SQLite));
