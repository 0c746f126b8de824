// Both list screens of one host while their database fails: the PostgreSQL
// server stopped, the SQLite file locked by another writer for longer than
// the busy timeout, the SQLite file's disk full. Every command answers as
// its screen is designed to (the database's error text where a message is
// due, silence elsewhere), nothing hangs, and once the database is back the
// same screens on the same database object work on.
#include "database/AdoDatabase.h"
#include "database/Schema.h"
#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "platform/FileError.h"
#include "sites/SiteIds.h"
#include "tasks/TaskIds.h"
#include "tests/faults/FaultSupport.h"
#include "tests/support/ScriptedInteraction.h"

#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <optional>
#include <unistd.h>

using namespace tasks;
using Lines = std::vector<std::string>;

namespace {

enum class DbFault { ServerStopped, FileLocked, DiskFull };

class DatabaseFaultTest : public ::testing::TestWithParam<DbFault> {
protected:
    void SetUp() override {
        std::string connect = "Provider=SQLite;Data Source=data/nimbrel.db";
        switch (GetParam()) {
        case DbFault::ServerStopped:
            ASSERT_NO_FATAL_FAILURE(StartCluster(connect));
            [[fallthrough]];
        case DbFault::FileLocked:
            m_files.emplace();
            ASSERT_TRUE(m_files->Write("data/.keep", "")); // the host makes its data folder
            break;
        case DbFault::DiskFull:
            m_disk.emplace("4m");
            ASSERT_EQ(m_disk->Problem(), "");
            break;
        }
        ASSERT_TRUE(m_db.Open(connect)) << Utf8(m_db.GetLastError());
        std::string error;
        ASSERT_TRUE(CreateSchema(m_db, error)) << Utf8(error);
        ExecuteOrFail(m_db, "insert into NimbrelClass (KeyId,ParentId,Name,ClassPath) values "
                            "(1,0,'A','/A'),(2,0,'Empty','/Empty')");
        ExecuteOrFail(m_db, "insert into Nimbrel (Title,Content,TaskClass,ClassPath) values "
                            "('一','正文',1,'/A/'),('二','正文',1,'/A/')");
        ExecuteOrFail(m_db, "insert into SiteData (KeyId,Name,IsSelected,AutoPublish,NeedRegister,"
                            "ClassPath) values (3,'丙网',0,1,1,'/信息网/'),"
                            "(4,'丁网',1,1,1,'/信息网/')");
        m_screens.emplace(m_db);
        ASSERT_EQ(HostScreens::Column(Grid(), 0), (Lines{"2", "1"}));
    }
    void TearDown() override {
        m_screens.reset();
        if (!m_cluster.isEmpty())
            Cluster("destroy");
    }

    // A cluster of its own, which stopping disturbs no other test.
    void StartCluster(std::string& connect) {
        const std::string root = PostgresSetting("NIMBREL_PG_ROOT");
        ASSERT_NE(root, "") << "no folder for a cluster: run the tests with ctest";
        m_cluster = QString::fromStdString(root) + QStringLiteral("/faults-%1").arg(getpid());
        std::string output;
        ASSERT_TRUE(Cluster("start", &output)) << output;
        connect = output.substr(0, output.find('\n'));
    }
    bool Cluster(const char* command, std::string* output = nullptr) {
        QProcess process;
        process.start(QStringLiteral(NIMBREL_PG_SCRIPT), {QString::fromLatin1(command), m_cluster});
        const bool ok = process.waitForFinished(120000) &&
                        process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (output)
            *output =
                (process.readAllStandardOutput() + process.readAllStandardError()).toStdString();
        return ok;
    }

    void Break() {
        switch (GetParam()) {
        case DbFault::ServerStopped:
            ASSERT_TRUE(Cluster("stop"));
            break;
        case DbFault::FileLocked:
            // A wait of 10 s per statement would take minutes here: the
            // host's connection waits a fifth of a second instead.
            ExecuteOrFail(m_db, "PRAGMA busy_timeout=200");
            ASSERT_TRUE(m_locker.Open(m_db.GetConnectionString()));
            ExecuteOrFail(m_locker, "begin immediate");
            break;
        case DbFault::DiskFull:
            // An emptied log needs new blocks for every change.
            ExecuteOrFail(m_db, "PRAGMA wal_checkpoint(TRUNCATE)");
            ASSERT_TRUE(m_disk->Fill());
            break;
        }
    }
    void Mend() {
        switch (GetParam()) {
        case DbFault::ServerStopped:
            ASSERT_TRUE(Cluster("start"));
            break;
        case DbFault::FileLocked:
            ExecuteOrFail(m_locker, "commit");
            m_locker.Close();
            break;
        case DbFault::DiskFull:
            ASSERT_TRUE(m_disk->Repair());
            break;
        }
    }
    bool ReadsFail() const { return GetParam() == DbFault::ServerStopped; }
    // What every error of the fault says.
    const char* Symptom() const {
        switch (GetParam()) {
        case DbFault::ServerStopped:
            return "connect";
        case DbFault::FileLocked:
            return "database is locked";
        default:
            return "database or disk is full";
        }
    }
    std::string Path(const std::string& relative) {
        return m_disk ? m_disk->Path(relative) : m_files->Path(relative);
    }
    std::string ReadFile(const std::string& relative) { return ReadFileBytes(Path(relative)); }

    CPublishTaskListView& Tasks() { return m_screens->Tasks(); }
    CSiteListView& Sites() { return m_screens->Sites(); }
    CGridCtrl& Grid() { return Tasks().Grid(); }
    void Select(const std::string& category) {
        ASSERT_TRUE(Tasks().Tree().SelectItem(m_screens->Category(category)));
    }
    size_t Boxes() const { return m_seam.Boxes().size(); }
    std::string Box(size_t index) const {
        return index < Boxes() ? m_seam.Boxes()[index].text : "(no message)";
    }
    // The message at index is the database's error, after the text before
    // it when there is one.
    void ExpectError(size_t index, const std::string& before = {}) {
        const std::string text = Box(index);
        EXPECT_EQ(text.substr(0, before.size()), before) << Utf8(text);
        const std::string error = text.substr(std::min(text.size(), before.size()));
        EXPECT_TRUE(Contains(error, Symptom())) << Utf8(text);
    }

    std::optional<TempHostFolder> m_files;
    std::optional<SmallDisk> m_disk;
    QString m_cluster;
    CAdoDatabase m_db;
    CAdoDatabase m_locker; // the other writer
    ScriptedInteraction m_seam;
    std::optional<HostScreens> m_screens;
};

} // namespace

TEST_P(DatabaseFaultTest, EveryCommandAnswersAsDesignedAndWorkGoesOnOnceTheDatabaseIsBack) {
    ASSERT_TRUE(WriteFileBytes(Path("res/SiteEditDlg.htm"),
                               ReadFileBytes(NIMBREL_INSTALL_DATA "/res/SiteEditDlg.htm")));
    ASSERT_NO_FATAL_FAILURE(Break());
    QElapsedTimer clock;
    clock.start();

    // ---- Task list ----
    // A category that cannot be read keeps the rows shown, without a word.
    Select("Empty");
    EXPECT_EQ(HostScreens::Column(Grid(), 0), (ReadsFail() ? Lines{"2", "1"} : Lines{}));
    Select("A");
    EXPECT_EQ(HostScreens::Column(Grid(), 0), (Lines{"2", "1"}));

    m_seam.ExpectBox(IDOK);
    m_seam.ExpectDialog(NameCategory("新"));
    Tasks().SendCommand(list::kAddCategory);
    ExpectError(0, "insert into NimbrelClass(");
    EXPECT_TRUE(Contains(Box(0), "\r\n"));
    EXPECT_EQ(Tasks().Tree().GetChildItem(m_screens->Category("A")), nullptr);

    // Renaming is silent, success or not.
    m_seam.ExpectDialog(NameCategory("改名"));
    Tasks().SendCommand(list::kRenameCategory);
    m_seam.ExpectDialog(NameCategory("A"));
    Tasks().SendCommand(list::kRenameCategory);
    EXPECT_EQ(Boxes(), 1u);

    // Deleting an empty category: its checks read, the delete writes.
    Select("Empty");
    m_seam.ExpectBox(IDOK);
    if (ReadsFail()) {
        Tasks().SendCommand(list::kDeleteCategory);
        ExpectError(1, "Select * from NimbrelClass where parentid=2\r\n");
    } else {
        m_seam.ExpectBox(IDOK);
        Tasks().SendCommand(list::kDeleteCategory);
        EXPECT_EQ(Box(1), "确定要删除选择的分类信息吗?");
        ExpectError(2);
    }
    size_t seen = Boxes();
    ASSERT_NO_FATAL_FAILURE(Select("A"));

    // A new task that cannot be stored keeps the editor open and adds no row.
    m_seam.ExpectDialog([&](CDialog& editor) {
        editor.SetDlgItemText(editor::kTitleEdit, "新任务");
        editor.SetDlgItemText(editor::kContentEdit, "正文");
        m_seam.ExpectBox(IDOK);
        editor.SendCommand(editor::kSaveButton);
        EXPECT_FALSE(editor.IsEnded());
        editor.SendCommand(IDCANCEL);
    });
    Tasks().SendCommand(list::kAddTask);
    ExpectError(seen++);
    EXPECT_EQ(HostScreens::Column(Grid(), 0), (Lines{"2", "1"}));

    // Editing: a task that cannot be read opens an empty form; a save that
    // fails keeps the editor open.
    Grid().SetSelectedRange(1, 0, 1, 6);
    if (ReadsFail())
        m_seam.ExpectBox(IDOK);
    m_seam.ExpectDialog([&](CDialog& editor) {
        EXPECT_EQ(editor.GetDlgItemText(editor::kTitleEdit), ReadsFail() ? "" : "二");
        editor.SetDlgItemText(editor::kTitleEdit, "改");
        editor.SetDlgItemText(editor::kContentEdit, "改");
        m_seam.ExpectBox(IDOK);
        editor.SendCommand(editor::kSaveButton);
        editor.SendCommand(IDCANCEL);
    });
    Tasks().SendCommand(list::kEditTask);
    if (ReadsFail())
        ExpectError(seen++);
    ExpectError(seen++);

    // Copying reads the source, then inserts the copy.
    Grid().SetFocusCell(1, 1);
    m_seam.ExpectBox(IDOK);
    Tasks().SendCommand(list::kCopyTask);
    const std::string copyError = Box(seen++);
    if (!ReadsFail()) {
        EXPECT_EQ(copyError.substr(0, 20), "insert into Nimbrel(") << Utf8(copyError);
    }
    EXPECT_TRUE(Contains(copyError, Symptom())) << Utf8(copyError);
    EXPECT_EQ(HostScreens::Column(Grid(), 0), (Lines{"2", "1"}));

    // A delete that fails asks whether to go on; its row leaves the grid.
    Grid().SetSelectedRange(1, 0, 1, 6);
    m_seam.ExpectBox(IDOK);
    m_seam.ExpectBox(IDNO);
    Tasks().SendCommand(list::kDeleteTasks);
    EXPECT_EQ(Box(seen++), "确定要删除选择的信息吗?");
    const std::string deleteError = Box(seen++);
    EXPECT_TRUE(EndsWith(deleteError, "\r\n\r\n是否继续?")) << Utf8(deleteError);
    EXPECT_TRUE(Contains(deleteError, Symptom())) << Utf8(deleteError);
    EXPECT_EQ(HostScreens::Column(Grid(), 0), Lines{"1"});

    // Publishing: the sites that can be read go into the task file, the
    // count and the start are not reported. A full disk stops it at the file.
    Grid().SetFocusCell(1, 1);
    const bool diskFull = GetParam() == DbFault::DiskFull;
    if (diskFull)
        m_seam.ExpectBox(IDOK);
    Tasks().SendCommand(list::kPublishTask);
    if (diskFull) {
        EXPECT_EQ(Box(seen++), FileCreateErrorMessage(Path("data/nimbrel1.tsk"), ENOSPC));
        EXPECT_TRUE(m_seam.Launches().empty());
    } else {
        EXPECT_EQ(ReadFile("data/nimbrel1.tsk"), ReadsFail() ? "" : "4,丁网\r\n");
        EXPECT_EQ(m_seam.Launches().size(), 1u);
    }
    EXPECT_EQ(Boxes(), seen);

    // ---- Site list ----
    // Choices are shown at once; their failed updates are not reported.
    Sites().Grid().SetSelectedRange(1, 0, 2, 7);
    HostScreens::Press(Sites(), SiteIds::kChoose);
    EXPECT_EQ(HostScreens::Column(Sites().Grid(), SiteIds::kMarkerColumn), (Lines{"√", "√"}));
    QuerySites(Sites(), m_seam, "丙");
    EXPECT_EQ(HostScreens::Column(Sites().Grid(), 0), (ReadsFail() ? Lines{"4", "3"} : Lines{"3"}));
    QuerySites(Sites(), m_seam, "");
    EXPECT_EQ(HostScreens::Column(Sites().Grid(), 0), (Lines{"4", "3"}));
    EXPECT_EQ(Boxes(), seen);

    // The site editor: a site that cannot be read is reported with its
    // select; a save that fails keeps the editor open.
    Sites().Grid().SetSelectedRange(2, 0, 2, 7);
    if (ReadsFail())
        m_seam.ExpectBox(IDOK);
    m_seam.ExpectDialog([&](CDialog& d) {
        EXPECT_EQ(GetControlText(SiteField(d, "Name")), ReadsFail() ? "" : "丙网");
        SetControlText(SiteField(d, "UserName"), "新用户");
        m_seam.ExpectBox(IDOK);
        d.SendCommand(IDOK);
        EXPECT_FALSE(d.IsEnded());
        d.SendCommand(IDCANCEL);
    });
    HostScreens::Press(Sites(), SiteIds::kEdit);
    if (ReadsFail()) {
        const std::string text = Box(seen++);
        EXPECT_TRUE(EndsWith(text, "\r\nselect * from SiteData where keyid=3")) << Utf8(text);
        EXPECT_TRUE(Contains(text, Symptom())) << Utf8(text);
    }
    ExpectError(seen++);
    EXPECT_EQ(HostScreens::Column(Sites().Grid(), SiteIds::kUserNameColumn), (Lines{"", ""}));

    // Registration and its restart, like publishing.
    for (int command : {SiteIds::kRegister, SiteIds::kRestart}) {
        if (diskFull)
            m_seam.ExpectBox(IDOK);
        HostScreens::Press(Sites(), command);
        if (diskFull)
            EXPECT_EQ(Box(seen++), FileCreateErrorMessage(Path("data/RegisterUser1.tsk"), ENOSPC));
        else
            EXPECT_EQ(ReadFile("data/RegisterUser1.tsk"), ReadsFail() ? "" : "4,丁网\r\n");
    }
    EXPECT_EQ(m_seam.Launches().size(), diskFull ? 0u : 3u);

    // The export reports nothing: a select that fails leaves an empty file.
    m_seam.ExpectFile(Path("data/sites.csv"));
    HostScreens::Press(Sites(), SiteIds::kExport);
    const std::string csv = ReadFile("data/sites.csv");
    EXPECT_EQ(csv, ReadsFail() || diskFull
                       ? ""
                       : "Keyid,Name,UserName,UserPass\r\n3,\"丙网\",\"\",\"\"\r\n"
                         "4,\"丁网\",\"\",\"\"\r\n");
    EXPECT_EQ(Boxes(), seen);
    std::printf("[ measure  ] %s: every command of both screens answered in %.2f s\n", Symptom(),
                clock.elapsed() / 1000.0);

    // ---- The database is back: the same screens work on ----
    ASSERT_NO_FATAL_FAILURE(Mend());
    EXPECT_EQ(ReadRows(m_db, "select Name from NimbrelClass order by KeyId"),
              (std::vector<Row>{{"A"}, {"Empty"}}));
    EXPECT_EQ(ReadRows(m_db, "select Title from Nimbrel order by KeyId"),
              (std::vector<Row>{{"一"}, {"二"}}));
    EXPECT_EQ(ReadRows(m_db, "select IsSelected,UserName from SiteData order by KeyId"),
              (std::vector<Row>{{"0", std::nullopt}, {"1", std::nullopt}}));

    Select("Empty");
    EXPECT_EQ(HostScreens::Column(Grid(), 0), Lines{});
    Select("A");
    EXPECT_EQ(HostScreens::Column(Grid(), 0), (Lines{"2", "1"}));
    m_seam.ExpectDialog(NameCategory("新"));
    Tasks().SendCommand(list::kAddCategory);
    EXPECT_NE(Tasks().Tree().GetChildItem(m_screens->Category("A")), nullptr);
    m_seam.ExpectDialog([](CDialog& editor) {
        editor.SetDlgItemText(editor::kTitleEdit, "新任务");
        editor.SetDlgItemText(editor::kContentEdit, "正文");
        editor.SendCommand(editor::kPublishButton);
    });
    Tasks().SendCommand(list::kAddTask);
    ProcessEvents(); // the posted publishing
    EXPECT_EQ(HostScreens::Column(Grid(), 0), (Lines{"3", "2", "1"}));
    EXPECT_EQ(ReadFile("data/nimbrel3.tsk"), "4,丁网\r\n");
    EXPECT_EQ(ReadRows(m_db, "select Title,TotalCount from Nimbrel where KeyId=3"),
              (std::vector<Row>{{"新任务", "1"}}));

    Sites().Grid().SetSelectedRange(1, 0, 2, 7);
    HostScreens::Press(Sites(), SiteIds::kChoose);
    EXPECT_EQ(ReadRows(m_db, "select IsSelected from SiteData order by KeyId"),
              (std::vector<Row>{{"1"}, {"1"}}));
    Sites().Grid().SetSelectedRange(2, 0, 2, 7);
    m_seam.ExpectDialog([](CDialog& d) {
        SetControlText(SiteField(d, "UserName"), "新用户");
        d.SendCommand(IDOK);
    });
    HostScreens::Press(Sites(), SiteIds::kEdit);
    EXPECT_EQ(HostScreens::Column(Sites().Grid(), SiteIds::kUserNameColumn), (Lines{"", "新用户"}));
    EXPECT_EQ(ReadRows(m_db, "select UserName from SiteData where KeyId=3"),
              std::vector<Row>{{"新用户"}});
    EXPECT_EQ(Boxes(), seen);
}

INSTANTIATE_TEST_SUITE_P(Postgres, DatabaseFaultTest, ::testing::Values(DbFault::ServerStopped));
INSTANTIATE_TEST_SUITE_P(Sqlite, DatabaseFaultTest,
                         ::testing::Values(DbFault::FileLocked, DbFault::DiskFull));
