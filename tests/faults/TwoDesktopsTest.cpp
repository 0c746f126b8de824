// Two desktops on one PostgreSQL database, each a host of its own (this
// program started again for one test, driving the real screens offscreen):
// at the same time they add categories, add, copy and delete tasks and edit
// sites, then each publishes a task with the real worker. No desktop takes
// another's key or writes into another's rows, and both workers finish.
#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "sites/SiteIds.h"
#include "tasks/TaskIds.h"
#include "tests/faults/FaultSupport.h"
#include "tests/support/ScriptedInteraction.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <set>
#include <utility>

using namespace tasks;

namespace {

constexpr int kRounds = 30;
constexpr int kSites = 20;       // chosen for publishing; desktop a edits the odd keys, b the even
constexpr int kSharedSite = 100; // both edit it all the time

void EditSite(HostScreens& screens, ScriptedInteraction& seam, int key, const std::string& text) {
    CGridCtrl& grid = screens.Sites().Grid();
    const int row = HostScreens::RowOf(grid, std::to_string(key));
    ASSERT_GT(row, 0) << key;
    grid.SetSelectedRange(row, 0, row, 7);
    seam.ExpectDialog([text](CDialog& d) {
        for (const char* field : {"UserName", "UserPass", "Comment"})
            SetControlText(SiteField(d, field), text);
        d.SendCommand(IDOK);
    });
    HostScreens::Press(screens.Sites(), SiteIds::kEdit);
}

// The texts of a desktop's task of one round; its copy has " copy" after
// them in its remark.
std::string Text(char desktop, int round) {
    return std::string(1, desktop) + "-" + std::to_string(round);
}
bool Copied(int round) {
    return round % 3 == 0;
}
bool Deleted(int round) {
    return round % 4 == 1;
}

// One desktop: NIMBREL_DESKTOP names it ("a" or "b"), NIMBREL_DESKTOP_CONNECT
// is the database.
TEST(Desktop, DISABLED_WorkAsOneOfTwoDesktops) {
    const std::string name = qEnvironmentVariable("NIMBREL_DESKTOP").toStdString();
    const int parity = name == "a" ? 0 : 1;
    ASSERT_EQ(name.size(), 1u);
    TempHostFolder host;
    std::string error;
    ASSERT_TRUE(InstallWorker(host.Path(), error)) << error;
    ASSERT_TRUE(host.Write("res/SiteEditDlg.htm",
                           ReadFileBytes(NIMBREL_INSTALL_DATA "/res/SiteEditDlg.htm")));
    ASSERT_TRUE(host.Write("data/.keep", ""));
    CAdoDatabase db;
    ASSERT_TRUE(db.Open(qEnvironmentVariable("NIMBREL_DESKTOP_CONNECT").toStdString()))
        << db.GetLastError();
    ScriptedInteraction seam;
    HostScreens screens(db);
    CPublishTaskListView& tasks = screens.Tasks();
    // Both desktops start their work together.
    const QString ready = qEnvironmentVariable("NIMBREL_DESKTOP_READY");
    ASSERT_TRUE(QDir().mkpath(ready + QStringLiteral("/") + QString::fromStdString(name)));
    QDeadlineTimer deadline(60000);
    while (QDir(ready).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() < 2) {
        ASSERT_FALSE(deadline.hasExpired()) << "the other desktop did not start";
        QThread::msleep(5);
    }
    CGridCtrl& grid = tasks.Grid();

    std::string published; // the newest task kept goes to the worker
    for (int i = 0; i < kRounds; ++i) {
        const std::string text = Text(name[0], i);
        ASSERT_TRUE(tasks.Tree().SelectItem(tasks.Tree().GetRootClassItem()));
        seam.ExpectDialog(NameCategory(text));
        tasks.SendCommand(list::kAddCategory);

        ASSERT_TRUE(tasks.Tree().SelectItem(screens.Category("共享")));
        seam.ExpectDialog([text](CDialog& editor) {
            for (int id : {editor::kTitleEdit, editor::kContentEdit, editor::kCommentEdit})
                editor.SetDlgItemText(id, text);
            editor.SendCommand(editor::kSaveButton);
            editor.SendCommand(IDCANCEL);
        });
        tasks.SendCommand(list::kAddTask);
        const std::string key = grid.GetItemText(1, 0);
        if (Copied(i)) {
            grid.SetFocusCell(1, 1);
            seam.ExpectDialog([text](CDialog& editor) {
                editor.SetDlgItemText(editor::kCommentEdit, text + " copy");
                editor.SendCommand(editor::kSaveButton);
                editor.SendCommand(IDCANCEL);
            });
            tasks.SendCommand(list::kCopyTask);
        }
        if (Deleted(i)) {
            const int row = HostScreens::RowOf(grid, key);
            grid.SetSelectedRange(row, 0, row, 6);
            seam.ExpectBox(IDOK);
            tasks.SendCommand(list::kDeleteTasks);
        } else {
            published = key;
        }
        EditSite(screens, seam, (i % (kSites / 2)) * 2 + parity + 1, text);
        EditSite(screens, seam, kSharedSite, text);
    }
    ASSERT_EQ(seam.Boxes().size(), size_t((kRounds + 2) / 4)); // the deletes' questions

    seam.SetRealLaunch(true);
    grid.SetFocusCell(HostScreens::RowOf(grid, published), 1);
    tasks.SendCommand(list::kPublishTask);
    ASSERT_TRUE(WaitForWorker(db, host.Path(), published))
        << Utf8(host.Read("data/nimbrel" + published + ".log"));
}

class TwoDesktopsTest : public SchemaDatabaseTest {};

TEST_P(TwoDesktopsTest, NeitherTakesTheOthersKeysOrRowsAndBothWorkersFinish) {
    ExecuteOrFail(m_db, "insert into NimbrelClass (KeyId,ParentId,Name,ClassPath) values "
                        "(1,0,'共享','/共享')");
    std::string sites;
    for (int key = 1; key <= kSites; ++key)
        sites += "(" + std::to_string(key) + ",'网" + std::to_string(key) + "',1,1,'/信息网/'),";
    ExecuteOrFail(m_db, "insert into SiteData (KeyId,Name,IsSelected,AutoPublish,ClassPath) "
                        "values " +
                            sites + "(" + std::to_string(kSharedSite) + ",'共用',0,0,'/信息网/')");

    QTemporaryDir ready;
    QProcess desktops[2];
    for (int i = 0; i < 2; ++i) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("NIMBREL_DESKTOP"), QString(QChar(u'a' + i)));
        environment.insert(QStringLiteral("NIMBREL_DESKTOP_CONNECT"),
                           QString::fromStdString(m_test.ConnectionString()));
        environment.insert(QStringLiteral("NIMBREL_DESKTOP_READY"), ready.path());
        desktops[i].setProcessEnvironment(environment);
        desktops[i].setProcessChannelMode(QProcess::MergedChannels);
        desktops[i].start(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--gtest_also_run_disabled_tests"),
                           QStringLiteral("--gtest_filter=Desktop.*")});
    }
    for (QProcess& desktop : desktops) {
        ASSERT_TRUE(desktop.waitForFinished(300000));
        EXPECT_EQ(desktop.exitCode(), 0) << desktop.readAll().toStdString();
    }

    // The tasks are exactly those the desktops kept, each holding the texts
    // of the desktop and the round that made it: a key taken by both would
    // have one desktop's texts written over the other's task.
    std::multiset<std::pair<std::string, std::string>> made, stored; // title, remark
    for (char desktop : {'a', 'b'}) {
        for (int i = 0; i < kRounds; ++i) {
            if (!Deleted(i))
                made.insert({Text(desktop, i), Text(desktop, i)});
            if (Copied(i))
                made.insert({Text(desktop, i), Text(desktop, i) + " copy"});
        }
    }
    for (const Row& task : ReadRows(m_db, "select Title,Content,Comment from Nimbrel")) {
        EXPECT_EQ(task[1], task[0]);
        stored.insert({task[0].value_or(""), task[2].value_or("")});
    }
    EXPECT_EQ(stored, made);
    EXPECT_EQ(
        ReadRows(m_db, "select count(*),count(distinct Name) from NimbrelClass"),
        (std::vector<Row>{{std::to_string(2 * kRounds + 1), std::to_string(2 * kRounds + 1)}}));

    // Each site holds the account of the one desktop that edits it; the
    // shared site that of one of them, whole.
    for (const Row& site : ReadRows(m_db, "select KeyId,UserName,UserPass,Comment from SiteData")) {
        const int key = std::stoi(*site[0]);
        const std::string user = site[1].value_or("");
        EXPECT_EQ(site[2].value_or(""), user) << key;
        EXPECT_EQ(site[3].value_or(""), user) << key;
        if (key != kSharedSite)
            EXPECT_EQ(user.substr(0, 2), key % 2 ? "a-" : "b-") << key;
        else
            EXPECT_TRUE(user == "a-" + std::to_string(kRounds - 1) ||
                        user == "b-" + std::to_string(kRounds - 1))
                << user;
    }

    // Both published tasks went to every chosen site.
    EXPECT_EQ(ReadRows(m_db, "select count(*) from Nimbrel where FDStatus=1 and TotalCount=" +
                                 std::to_string(kSites) +
                                 " and SuccessCount=" + std::to_string(kSites)),
              std::vector<Row>{{"2"}});
}

INSTANTIATE_TEST_SUITE_P(Postgres, TwoDesktopsTest, ::testing::Values(Engine::PostgreSQL));

} // namespace
