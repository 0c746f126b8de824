// "注册网络黄页" and "重新开始" of the site list: the task file, the count, and
// the real Korvald.exe started from a temporary host folder, on both engines.
#include "platform/CodePage.h"
#include "platform/HostFolder.h"
#include "settings/IniFile.h"
#include "tests/sites/SiteListFixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>

using namespace SiteIds;

namespace {

class RegistrationTest : public SiteScreenTest {
protected:
    // The worker takes the folder of its executable as its host folder, so it
    // is copied; the libraries beside it are links to the build's.
    void InstallWorker() {
        const QString folder = FromPath(Host().Path());
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(KORVALD_EXE), folder + QStringLiteral("Korvald.exe")));
        const QDir app(QStringLiteral(NIMBREL_APP_DIR));
        for (const QString& library : app.entryList({QStringLiteral("*.so*")}, QDir::Files))
            ASSERT_TRUE(QFile::link(app.filePath(library), folder + library));
        CIniFile ini;
        ini.SetString("Korvald", "Connect", m_test.ConnectionString());
        ASSERT_TRUE(ini.Save(Host().Path("database.ini")));
        ASSERT_TRUE(Host().Write("data/.keep", "")); // the worker's log goes there too
    }
    std::string Registration() {
        std::vector<Row> rows = ReadRows(m_db, "select TotalCount,Progress from RegisterUser");
        return rows.size() == 1 ? *rows[0][0] + "/" + *rows[0][1] : "?";
    }
    std::vector<std::string> TaskLines() {
        std::vector<std::string> lines;
        const std::string text = Host().Read("data/RegisterUser1.tsk");
        for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            lines.push_back(text.substr(start, end - start));
        std::sort(lines.begin(), lines.end()); // the select has no order
        return lines;
    }
};

} // namespace

TEST_P(RegistrationTest, ChosenSitesThatNeedAnAccountGoToTheRealWorker) {
    // Chosen: keys 1 to 3 under /信息网 needing an account, 5 needing none,
    // 4 outside /信息网.
    ExecuteOrFail(m_db, "update SiteData set IsSelected=1");
    ExecuteOrFail(m_db, "update SiteData set Name='Fruits,供求' where KeyId=2");
    ExecuteOrFail(m_db, "update RegisterUser set Progress=7 where KeyId=1");
    InstallWorker();
    ASSERT_FALSE(HasFatalFailure());
    const std::string connection = Host().Read("database.ini");
    Open();
    m_seam.SetRealLaunch(true);
    Press(kRegister);

    EXPECT_EQ(TaskLines(), (std::vector<std::string>{"1,华东网", "2,Fruits,供求", "3,南方网"}));
    ASSERT_EQ(m_seam.Launches().size(), 1u);
    EXPECT_EQ(m_seam.Launches()[0].path, Host().Path("Korvald.exe"));
    EXPECT_EQ(m_seam.Launches()[0].parameters, "task=RegisterUser&Keyid=1");
    EXPECT_EQ(m_seam.WaitCursorShown(), 1);
    EXPECT_EQ(Host().Read("database.ini"), connection) << "left as it was";

    // The worker counts its progress from 0 and ends with every site.
    QDeadlineTimer deadline(30000);
    while (Registration() != "3/3" && !deadline.hasExpired())
        QThread::msleep(50);
    EXPECT_EQ(Registration(), "3/3");
}

TEST_P(RegistrationTest, RestartResetsTheProgressFirstAndNoChosenSiteStillStartsTheWorker) {
    Host().Write("data/RegisterUser1.tsk", "old contents\r\n");
    ExecuteOrFail(m_db, "update SiteData set IsSelected=0");
    ExecuteOrFail(m_db, "update RegisterUser set TotalCount=9,Progress=7 where KeyId=1");
    Open();
    Press(kRegister);
    EXPECT_EQ(Registration(), "0/7") << "注册网络黄页 leaves the progress";
    EXPECT_EQ(Host().Read("data/RegisterUser1.tsk"), "");
    EXPECT_TRUE(Host().Exists("data/RegisterUser1.tsk"));
    ExecuteOrFail(m_db, "update SiteData set IsSelected=1 where KeyId=1");
    ExecuteOrFail(m_db, "update RegisterUser set Progress=7 where KeyId=1");
    Press(kRestart);
    EXPECT_EQ(Registration(), "1/0");
    EXPECT_EQ(Host().Read("data/RegisterUser1.tsk"), "1,华东网\r\n");
    EXPECT_EQ(m_seam.Launches().size(), 2u);

    // Without the data folder the file cannot be made: the reset has happened,
    // nothing else does.
    QTemporaryDir empty;
    SetHostFolder(ToPath(empty.path()));
    const std::string taskFile = HostPath("data/RegisterUser1.tsk");
    ExecuteOrFail(m_db, "update RegisterUser set Progress=7 where KeyId=1");
    m_seam.ExpectBox(IDOK);
    Press(kRestart);
    SetHostFolder(Host().Path());
    ASSERT_EQ(m_seam.Boxes().size(), 1u);
    const std::string message = m_seam.Boxes()[0].text;
    EXPECT_NE(message.find(taskFile + "\r\n"), std::string::npos) << Utf8(message);
    EXPECT_GT(message.size(), message.find(taskFile) + taskFile.size() + 2) << "and the reason";
    EXPECT_EQ(Registration(), "1/0");
    EXPECT_EQ(m_seam.Launches().size(), 2u);
    EXPECT_FALSE(QDir(empty.path()).exists(QStringLiteral("data")));
}

NIMBREL_ON_BOTH_ENGINES(RegistrationTest);
