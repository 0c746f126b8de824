// Two desktops on one PostgreSQL database, each a host of its own (this
// program started again for one test, driving the real screens offscreen):
// at the same time they add categories, add, copy and delete tasks and edit
// sites, then each publishes a task with the real worker. No desktop takes
// another's key or writes into another's rows, and both workers finish.
#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "sites/SiteEditDialog.h"
#include "sites/SiteIds.h"
#include "tasks/TaskIds.h"
#include "tests/faults/FaultSupport.h"
#include "tests/support/ScriptedInteraction.h"
#include "toolkit/CategoryNameDialog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <set>
#include <sstream>

using namespace tasks;

namespace {

constexpr int kRounds = 30;
constexpr int kSites = 20;       // chosen for publishing; desktop a edits the odd keys, b the even
constexpr int kSharedSite = 100; // both edit it all the time
const char kKeysLine[] = "DESKTOP-KEYS";
const char kGoneLine[] = "DESKTOP-GONE";

void EditSite(HostScreens& screens, ScriptedInteraction& seam, int key, const std::string& text) {
    CGridCtrl& grid = screens.Sites().Grid();
    const int row = HostScreens::RowOf(grid, std::to_string(key));
    ASSERT_GT(row, 0) << key;
    grid.SetSelectedRange(row, 0, row, 7);
    seam.ExpectDialog([text](CDialog& d) {
        auto& editor = static_cast<CSiteEditDialog&>(d);
        for (const char* field : {"UserName", "UserPass", "Comment"})
            SetControlText(editor.GetDlgItem(editor.FindControlId(field)), text);
        d.SendCommand(IDOK);
    });
    HostScreens::Press(screens.Sites(), SiteIds::kEdit);
}

// One desktop: NIMBREL_DESKTOP names it ("a" or "b"), NIMBREL_DESKTOP_CONNECT
// is the database. It prints the keys of the tasks it keeps and of those it
// deleted.
TEST(Desktop, DISABLED_WorkAsOneOfTwoDesktops) {
    const std::string name = qEnvironmentVariable("NIMBREL_DESKTOP").toStdString();
    const int parity = name == "a" ? 0 : 1;
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

    std::vector<std::string> kept, gone;
    for (int i = 0; i < kRounds; ++i) {
        const std::string text = name + "-" + std::to_string(i);
        ASSERT_TRUE(tasks.Tree().SelectItem(tasks.Tree().GetRootClassItem()));
        seam.ExpectDialog([text](CDialog& d) {
            d.SetDlgItemText(CCategoryNameDialog::kNameEditId, text);
            d.SendCommand(IDOK);
        });
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
        kept.push_back(key);
        if (i % 3 == 0) {
            grid.SetFocusCell(1, 1);
            seam.ExpectDialog([text](CDialog& editor) {
                editor.SetDlgItemText(editor::kCommentEdit, text + " copy");
                editor.SendCommand(editor::kSaveButton);
                editor.SendCommand(IDCANCEL);
            });
            tasks.SendCommand(list::kCopyTask);
            kept.push_back(grid.GetItemText(1, 0));
        }
        if (i % 4 == 1) {
            const int row = HostScreens::RowOf(grid, key);
            grid.SetSelectedRange(row, 0, row, 6);
            seam.ExpectBox(IDOK);
            tasks.SendCommand(list::kDeleteTasks);
            kept.erase(std::find(kept.begin(), kept.end(), key));
            gone.push_back(key);
        }
        EditSite(screens, seam, (i % (kSites / 2)) * 2 + parity + 1, text);
        EditSite(screens, seam, kSharedSite, text);
    }
    ASSERT_EQ(seam.Boxes().size(), size_t((kRounds + 2) / 4)); // the deletes' questions

    // The newest task kept goes to the worker.
    seam.SetRealLaunch(true);
    grid.SetFocusCell(HostScreens::RowOf(grid, kept.back()), 1);
    tasks.SendCommand(list::kPublishTask);
    ASSERT_TRUE(WaitForWorker(db, host.Path(), kept.back()))
        << Utf8(host.Read("data/nimbrel" + kept.back() + ".log"));

    for (const auto& [line, keys] : {std::pair{kKeysLine, &kept}, std::pair{kGoneLine, &gone}}) {
        std::string text = line;
        for (const std::string& key : *keys)
            text += " " + key;
        std::printf("%s\n", text.c_str());
    }
}

// The keys of the output's line that starts with line.
std::set<std::string> Keys(const std::string& output, const std::string& line) {
    const size_t at = output.find(line + " ");
    std::istringstream words(
        at == std::string::npos
            ? std::string()
            : output.substr(at + line.size(), output.find('\n', at) - at - line.size()));
    std::set<std::string> keys;
    for (std::string key; words >> key;)
        keys.insert(key);
    return keys;
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
    std::set<std::string> kept[2], gone[2];
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(desktops[i].waitForFinished(300000));
        const std::string output = desktops[i].readAll().toStdString();
        EXPECT_EQ(desktops[i].exitCode(), 0) << output;
        kept[i] = Keys(output, kKeysLine);
        gone[i] = Keys(output, kGoneLine);
        EXPECT_EQ(kept[i].size(), size_t(kRounds + (kRounds + 2) / 3 - (kRounds + 2) / 4));
    }

    // The tasks in the database are exactly those the desktops kept, each
    // holding the texts of the desktop that made it.
    std::set<std::string> all;
    for (int i = 0; i < 2; ++i) {
        all.insert(kept[i].begin(), kept[i].end());
        for (const std::string& key : kept[i]) {
            const std::vector<Row> row = ReadRows(m_db, "select Title,Content,Comment from Nimbrel "
                                                        "where KeyId=" +
                                                            key);
            ASSERT_EQ(row.size(), 1u) << key;
            const std::string title = row[0][0].value_or("");
            EXPECT_EQ(title.substr(0, 2), std::string(1, char('a' + i)) + "-") << key;
            EXPECT_EQ(row[0][1].value_or(""), title);
            EXPECT_EQ(row[0][2].value_or("").substr(0, title.size()), title);
        }
    }
    EXPECT_EQ(all.size(), kept[0].size() + kept[1].size()) << "a key taken by both";
    std::set<std::string> stored;
    for (const Row& row : ReadRows(m_db, "select KeyId from Nimbrel"))
        stored.insert(*row[0]);
    EXPECT_EQ(stored, all);
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
