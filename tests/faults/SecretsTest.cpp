// The password of a connection string goes nowhere but into database.ini,
// which its owner alone may read: not into the host's status bar, its
// message about a database it cannot open or its output, not into the
// worker's log or output, not into any message of the screens. Each place
// runs with the password written in every way a user may write it.
#include "database/AdoDatabase.h"
#include "host/HostDatabase.h"
#include "platform/CodePage.h"
#include "settings/IniFile.h"
#include "tasks/TaskIds.h"
#include "tests/faults/FaultSupport.h"
#include "tests/support/ScriptedInteraction.h"

#include <QProcess>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kSecret[] = "7Zq";
// Plain; quoted, holding ";" and "="; unquoted with ";", where the string
// falls apart into pieces of the password; the Pwd alias.
const char* const kPasswords[] = {"Password=Pw-7Zq", "Password='P;w=7Zq'", "Password=Pw;7Zq=x",
                                  "PWD=\"x \"\" 7Zq\""};

std::string RunProgram(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        ADD_FAILURE() << program.toStdString() << " did not end";
    return process.readAll().toStdString();
}

class SecretsTest : public SchemaDatabaseTest {
protected:
    void SetUp() override {
        SchemaDatabaseTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        std::string error;
        ASSERT_TRUE(InstallWorker(Host().Path(), error)) << error;
        ASSERT_TRUE(Host().Write("data/nimbrel1.tsk", "1,网\r\n"));
        ExecuteOrFail(m_db, "insert into SiteData (KeyId,Name,IsSelected,AutoPublish) values "
                            "(1,'网',1,1)");
        ExecuteOrFail(m_db, "insert into NimbrelClass (KeyId,ParentId,Name) values (1,0,'A')");
        ExecuteOrFail(m_db, "insert into Nimbrel (KeyId,Title,ClassPath) values (1,'一','/A/')");
    }
    const TempHostFolder& Host() const { return m_test.HostFolder(); }
    // Everything the places say with this connection string.
    std::string Said(const std::string& connect) {
        std::string said = DescribeConnection(connect, true) + DescribeConnection(connect, false);
        CAdoDatabase db;
        std::string error;
        const bool open = OpenHostDatabase(db, connect, error);
        said += error;

        QTemporaryDir shots;
        said += RunProgram(QStringLiteral(NIMBREL_HOST_EXE),
                           {QString::fromStdString(connect), QStringLiteral("--host-folder"),
                            FromPath(Host().Path()), QStringLiteral("--screenshot"), shots.path()});

        CIniFile ini;
        ini.SetString("Korvald", "Connect", connect);
        EXPECT_TRUE(ini.Save(Host().Path("database.ini")));
        ::unlink(Host().Path("data/nimbrel1.log").c_str());
        said += RunProgram(FromPath(Host().Path("Korvald.exe")),
                           {QStringLiteral("--pause"), QStringLiteral("0"),
                            QStringLiteral("task=Nimbrel&Keyid=1")});
        const std::string log = Host().Read("data/nimbrel1.log");
        EXPECT_NE(log, "");
        said += log;

        if (open) { // the screens, and the file that does hold the password
            ScriptedInteraction seam;
            HostScreens screens(db);
            screens.Tasks().Grid().SetFocusCell(1, 1);
            screens.Tasks().SendCommand(tasks::list::kPublishTask);
            EXPECT_EQ(seam.Launches().size(), 1u);
            for (const auto& box : seam.Boxes())
                said += box.text;
            struct stat status {};
            EXPECT_EQ(::stat(Host().Path("database.ini").c_str(), &status), 0);
            EXPECT_EQ(status.st_mode & 0777, 0600u);
            EXPECT_TRUE(Contains(Host().Read("database.ini"), connect));
        }
        return said;
    }
};

} // namespace

TEST_P(SecretsTest, NoPasswordIsShownOrLoggedAnywhere) {
    const std::string unreachable =
        "Provider=PostgreSQL;Host=/nonexistent;Port=5432;Database=x;User ID=u;";
    for (const char* password : kPasswords) {
        for (const std::string& connect :
             {unreachable + password, m_test.ConnectionString() + ";" + password}) {
            SCOPED_TRACE(connect);
            const std::string said = Said(connect);
            EXPECT_FALSE(Contains(said, kSecret)) << Utf8(said);
            EXPECT_TRUE(Contains(said, "***")) << Utf8(said);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Postgres, SecretsTest, ::testing::Values(Engine::PostgreSQL));
