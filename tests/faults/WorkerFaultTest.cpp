// The worker program missing or not runnable when a task is published or
// accounts are registered: the launch does all it does before the start and
// reports nothing, and the screens work on; once a worker is there, it runs.
#include "platform/CodePage.h"
#include "sites/SiteIds.h"
#include "tasks/TaskIds.h"
#include "tests/faults/FaultSupport.h"
#include "tests/support/ScriptedInteraction.h"

#include <QDir>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace tasks;

namespace {

class WorkerFaultTest : public SchemaDatabaseTest {
protected:
    void SetUp() override {
        SchemaDatabaseTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(Host().Write("data/.keep", ""));
        ExecuteOrFail(m_db, "insert into NimbrelClass (KeyId,ParentId,Name,ClassPath) values "
                            "(1,0,'A','/A')");
        ExecuteOrFail(m_db, "insert into Nimbrel (Title,Content,TaskClass,ClassPath) values "
                            "('一','正文',1,'/A/')");
        ExecuteOrFail(m_db, "insert into SiteData (KeyId,Name,IsSelected,AutoPublish,NeedRegister,"
                            "ClassPath) values (3,'丙网',1,1,1,'/信息网/')");
        m_seam.SetRealLaunch(true);
        m_screens.emplace(m_db);
    }
    const TempHostFolder& Host() const { return m_test.HostFolder(); }
    std::string Worker() const { return Host().Path("Korvald.exe"); }
    std::vector<Row> Counts() {
        return ReadRows(m_db, "select (select TotalCount from Nimbrel where KeyId=1),"
                              "(select TotalCount from RegisterUser where KeyId=1)");
    }

    ScriptedInteraction m_seam;
    std::optional<HostScreens> m_screens;
};

} // namespace

TEST_P(WorkerFaultTest, ALaunchWithoutARunnableWorkerGoesOnSilentlyAndTheScreensWorkOn) {
    // What stands at the worker's path.
    enum class At { Nothing, Folder, File };
    struct Case {
        const char* what;
        At at;
        std::string contents;
        unsigned mode;
    };
    const Case cases[] = {
        {"missing", At::Nothing, "", 0},
        {"a folder", At::Folder, "", 0755},
        {"not executable", At::File, ReadFileBytes(KORVALD_EXE), 0644},
        {"no program", At::File, "MZ: no program for this system", 0755},
        {"a script without its interpreter", At::File, "#!/nonexistent/interpreter\n", 0755},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(FromPath(Worker())).removeRecursively();
        ::unlink(Worker().c_str());
        if (c.at == At::Folder) {
            ASSERT_EQ(::mkdir(Worker().c_str(), c.mode), 0);
        } else if (c.at == At::File) {
            ASSERT_TRUE(WriteFileBytes(Worker(), c.contents));
            ASSERT_EQ(::chmod(Worker().c_str(), c.mode), 0);
        }
        ExecuteOrFail(m_db, "update Nimbrel set TotalCount=9");
        ExecuteOrFail(m_db, "update RegisterUser set TotalCount=9");
        ::unlink(Host().Path("database.ini").c_str());

        m_screens->Tasks().Grid().SetFocusCell(1, 1);
        m_screens->Tasks().SendCommand(list::kPublishTask);
        HostScreens::Press(m_screens->Sites(), SiteIds::kRegister);
        EXPECT_TRUE(m_seam.Boxes().empty());
        EXPECT_EQ(Host().Read("data/nimbrel1.tsk"), "3,丙网\r\n");
        EXPECT_EQ(Host().Read("data/RegisterUser1.tsk"), "3,丙网\r\n");
        EXPECT_EQ(Counts(), (std::vector<Row>{{"1", "1"}}));
        EXPECT_TRUE(Contains(Host().Read("database.ini"), "[Korvald]"));
    }
    EXPECT_EQ(m_seam.Launches().size(), 2 * std::size(cases));

    // The screens work on, and a worker put in place runs.
    QDir(FromPath(Worker())).removeRecursively();
    ::unlink(Worker().c_str());
    std::string error;
    ASSERT_TRUE(InstallWorker(Host().Path(), error)) << error;
    m_screens->Tasks().SendCommand(list::kPublishTask);
    EXPECT_TRUE(WaitForWorker(m_db, Host().Path(), "1")) << Utf8(Host().Read("data/nimbrel1.log"));
    EXPECT_EQ(ReadRows(m_db, "select Progress,SuccessCount from Nimbrel where KeyId=1"),
              (std::vector<Row>{{"1", "1"}}));
}

NIMBREL_ON_BOTH_ENGINES(WorkerFaultTest);
