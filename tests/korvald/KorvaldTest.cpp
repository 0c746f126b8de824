// Korvald.exe as the module starts it: the real program in a temporary host
// folder, started by path with its task argument, on a database of either engine.
#include "database/AdoDatabase.h"
#include "database/Schema.h"
#include "platform/CodePage.h"
#include "settings/IniFile.h"
#include "tests/database/support/TestDatabase.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <functional>

namespace {

using Lines = std::vector<std::string>;
using Rows = std::vector<Row>;

struct Result {
    int status = -1;
    std::string errors; // standard error
};

// Started as the module starts it: by path, without a shell.
void Start(const TempHostFolder& host, const QStringList& arguments, QProcess& process) {
    process.start(FromPath(host.Path("Korvald.exe")), arguments);
    EXPECT_TRUE(process.waitForStarted()) << process.errorString().toStdString();
}

Result Finish(QProcess& process) {
    Result result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "Korvald.exe did not end by itself";
        return result;
    }
    result.status = process.exitCode();
    result.errors = process.readAllStandardError().toStdString();
    return result;
}

Result RunWorker(const TempHostFolder& host, const QStringList& arguments) {
    QProcess process;
    Start(host, arguments, process);
    return Finish(process);
}

Lines SplitLines(const std::string& text) {
    Lines lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// A log line without its time, which must be the local time "%Y-%m-%d %H:%M:%S".
std::string WithoutTime(const std::string& line) {
    const QString time = FromGbk(line.substr(0, 19));
    EXPECT_TRUE(QDateTime::fromString(time, QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid())
        << Utf8(line);
    EXPECT_EQ(line.substr(19, 1), "\t") << Utf8(line);
    return line.size() > 20 ? line.substr(20) : std::string();
}

const QStringList kPublish5{QStringLiteral("--pause"), QStringLiteral("0"),
                            QStringLiteral("task=Nimbrel&Keyid=5")};
const QStringList kRegister{QStringLiteral("--pause"), QStringLiteral("0"),
                            QStringLiteral("task=RegisterUser&Keyid=1")};

class KorvaldTest : public SchemaDatabaseTest {
protected:
    void SetUp() override {
        SchemaDatabaseTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        std::string error;
        ASSERT_TRUE(InstallWorker(Host().Path(), error)) << error;
        WriteConnection(m_test.ConnectionString());
        ExecuteOrFail(m_db, "insert into SiteData (KeyId,Name,Homepage,NeedRegister) values "
                            "(1,'甲网','http://a.example',1),(2,'乙网,分站',' ',1),"
                            "(3,'丙网','http://c.example',1)");
        ExecuteOrFail(m_db, "insert into Nimbrel (KeyId,Title,TotalCount,Progress,SuccessCount,"
                            "ErrorCount,FDStatus) values (5,'五',3,9,9,9,9),(6,'六',4,1,1,0,1)");
    }

    const TempHostFolder& Host() const { return m_test.HostFolder(); }
    // database.ini as the publishing launch writes it.
    void WriteConnection(const std::string& connect) {
        CIniFile ini;
        ini.SetString("Korvald", "Connect", connect);
        ASSERT_TRUE(ini.Save(Host().Path("database.ini")));
    }
    void Write(const std::string& relative, const std::string& bytes) {
        ASSERT_TRUE(Host().Write(relative, bytes)) << relative;
    }
    Result Run(const QStringList& arguments) { return RunWorker(Host(), arguments); }
    Lines Log(const std::string& relative) {
        Lines lines;
        for (const std::string& line : SplitLines(Host().Read(relative)))
            lines.push_back(WithoutTime(line));
        return lines;
    }
    // TotalCount, Progress, SuccessCount, ErrorCount, FDStatus.
    Rows Task(int key) {
        return ReadRows(m_db, "select TotalCount,Progress,SuccessCount,ErrorCount,FDStatus "
                              "from Nimbrel where KeyId=" +
                                  std::to_string(key));
    }
    Rows Everything() {
        Rows rows;
        for (const char* table : {"Nimbrel", "NimbrelClass", "SiteData", "RegisterUser"})
            for (Row& row :
                 ReadRows(m_db, std::string("select * from ") + table + " order by KeyId"))
                rows.push_back(std::move(row));
        return rows;
    }
};

TEST_P(KorvaldTest, PublishingCountsEverySiteAndLogsItsOutcome) {
    // As the module writes it: a name holding a comma, a site without a name.
    Write("data/nimbrel5.tsk", "1,甲网\r\n2,乙网,分站\r\n9,\r\n");
    const Rows sites = ReadRows(m_db, "select * from SiteData order by KeyId");
    const Rows task6 = Task(6);
    Result result = Run({QStringLiteral("task=Nimbrel&Keyid=5")}); // with the default pause
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(Task(5), (Rows{{"3", "3", "2", "1", "2"}}));
    EXPECT_EQ(Task(6), task6);
    EXPECT_EQ(ReadRows(m_db, "select * from SiteData order by KeyId"), sites);
    const Lines log{"1\t甲网\tsuccess\tdry run: the site exists; nothing was sent",
                    "2\t乙网,分站\tsuccess\tdry run: the site exists; nothing was sent",
                    "9\t\tfailure\tno site with this key in SiteData"};
    EXPECT_EQ(Log("data/nimbrel5.log"), log);

    // A run again counts from 0 and appends; bare LF and a last line without
    // its line end are read as well.
    Write("data/nimbrel5.tsk", "1,甲网\n3,丙网");
    result = Run(kPublish5);
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(Task(5), (Rows{{"3", "2", "2", "0", "1"}}));
    EXPECT_EQ(Log("data/nimbrel5.log").size(), 5u);

    Write("data/nimbrel5.tsk", "");
    EXPECT_EQ(Run(kPublish5).status, 0);
    EXPECT_EQ(Task(5), (Rows{{"3", "0", "0", "0", "1"}})) << "no site failed";
}

TEST_P(KorvaldTest, RegistrationMarksTheSitesWithAHomePage) {
    ExecuteOrFail(m_db, "update RegisterUser set TotalCount=3,Progress=7 where KeyId=1");
    Write("data/RegisterUser1.tsk", "1,甲网\r\n2,乙网,分站\r\n9,无此网\r\n");
    const Rows tasks = ReadRows(m_db, "select * from Nimbrel order by KeyId");
    Result result = Run(kRegister);
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(ReadRows(m_db, "select TotalCount,Progress from RegisterUser"), (Rows{{"3", "3"}}));
    EXPECT_EQ(
        ReadRows(m_db, "select KeyId,NeedRegister,RegisterStatus from SiteData order by KeyId"),
        (Rows{{"1", "0", "模拟注册：未连接网站，未建账号"},
              {"2", "1", "模拟注册失败：站点没有主页"},
              {"3", "1", std::nullopt}}));
    EXPECT_EQ(ReadRows(m_db, "select * from Nimbrel order by KeyId"), tasks);
    const Lines log{
        "1\t甲网\tsuccess\tdry run: the site and its home page exist; no account was created",
        "2\t乙网,分站\tfailure\tthe site has no home page",
        "9\t无此网\tfailure\tno site with this key in SiteData"};
    EXPECT_EQ(Log("data/RegisterUser1.log"), log);
}

struct BadInput {
    const char* what;
    QStringList arguments;
    std::function<void(const TempHostFolder&)> arrange;
    int status;
    const char* message;
    // The log that gets the one line holding the message; none: standard error.
    const char* log = nullptr;
};

// A file or a folder.
void Remove(const TempHostFolder& host, const std::string& relative) {
    const QString path = FromPath(host.Path(relative));
    if (QFileInfo(path).isDir())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}
void MakeFolder(const TempHostFolder& host, const char* relative) {
    ASSERT_TRUE(QDir().mkpath(FromPath(host.Path(relative))));
}
void WriteFile(const TempHostFolder& host, const char* relative, const std::string& bytes) {
    ASSERT_TRUE(host.Write(relative, bytes));
}

const char kSecret[] = "Secret9";
const char kLog5[] = "data/nimbrel5.log";

const BadInput kBadInputs[] = {
    {"no argument", {}, nullptr, 2, "no task given"},
    {"two tasks",
     {QStringLiteral("task=Nimbrel&Keyid=5"), QStringLiteral("task=Nimbrel&Keyid=6")},
     nullptr,
     2,
     "one task only"},
    {"unknown option", {QStringLiteral("--fast")}, nullptr, 2, "unknown option --fast"},
    {"unknown task", {QStringLiteral("task=Publish&Keyid=5")}, nullptr, 2, "unknown task"},
    {"key not a number", {QStringLiteral("task=Nimbrel&Keyid=5x")}, nullptr, 2, "\"5x\""},
    {"no key", {QStringLiteral("task=Nimbrel")}, nullptr, 2, "needs both"},
    {"registration record 2",
     {QStringLiteral("task=RegisterUser&Keyid=2")},
     nullptr,
     2,
     "always Keyid=1"},
    {"database.ini missing", kPublish5, [](const TempHostFolder& h) { Remove(h, "database.ini"); },
     1, "database.ini is missing", kLog5},
    {"database.ini without the key", kPublish5,
     [](const TempHostFolder& h) { WriteFile(h, "database.ini", "[Korvald]\r\nOther=1\r\n"); }, 1,
     "has no connection string", kLog5},
    {"database.ini unreadable", kPublish5,
     [](const TempHostFolder& h) {
         Remove(h, "database.ini");
         MakeFolder(h, "database.ini");
     },
     1, "cannot read", kLog5},
    {"database cannot be opened", kPublish5,
     [](const TempHostFolder& h) {
         WriteFile(h, "database.ini",
                   std::string("[Korvald]\r\nConnect=Provider=SQLite;Data Source=none/x.db;"
                               "Password=") +
                       kSecret + "\r\n");
     },
     1, "cannot open the database: ", kLog5},
    {"task file missing", kPublish5,
     [](const TempHostFolder& h) { Remove(h, "data/nimbrel5.tsk"); }, 1,
     "cannot read the task file", kLog5},
    {"line without a comma", kPublish5,
     [](const TempHostFolder& h) {
         WriteFile(h, "data/nimbrel5.tsk", "1,甲网\r\n2,乙\r\n3 丙\r\n");
     },
     1, "line 3 of the task file", kLog5},
    {"key not a decimal number", kPublish5,
     [](const TempHostFolder& h) { WriteFile(h, "data/nimbrel5.tsk", "1,甲网\r\n-2,乙\r\n"); }, 1,
     "line 2 of the task file", kLog5},
    {"name not GBK", kPublish5,
     [](const TempHostFolder& h) { WriteFile(h, "data/nimbrel5.tsk", "1,甲网\r\n2,\x81\x20\r\n"); },
     1, "is not GBK text", kLog5},
    {"task row missing",
     {QStringLiteral("--pause"), QStringLiteral("0"), QStringLiteral("task=Nimbrel&Keyid=77")},
     [](const TempHostFolder& h) { WriteFile(h, "data/nimbrel77.tsk", "1,甲网\r\n"); },
     1,
     "there is no row 77 in Nimbrel",
     "data/nimbrel77.log"},
};

TEST_P(KorvaldTest, BadInputEndsTheRunWithOneLineAndChangesNothing) {
    const Rows before = Everything();
    for (const BadInput& bad : kBadInputs) {
        SCOPED_TRACE(bad.what);
        Remove(Host(), kLog5);
        Remove(Host(), "database.ini");
        WriteConnection(m_test.ConnectionString());
        Write("data/nimbrel5.tsk", "1,甲网\r\n2,乙网,分站\r\n");
        if (bad.arrange)
            bad.arrange(Host());
        ASSERT_FALSE(HasFatalFailure());
        const Result result = Run(bad.arguments);
        EXPECT_EQ(result.status, bad.status);
        EXPECT_EQ(Everything(), before);
        const std::string logText = Host().Read(bad.log ? bad.log : kLog5);
        EXPECT_FALSE(Contains(result.errors + logText, kSecret));
        if (!bad.log) {
            EXPECT_TRUE(Contains(result.errors, bad.message)) << result.errors;
            EXPECT_EQ(logText, "");
        } else {
            EXPECT_EQ(result.errors, "");
            const Lines log = Log(bad.log);
            EXPECT_EQ(log.size(), 1u) << Utf8(logText);
            const std::string line = log.empty() ? "" : log[0];
            EXPECT_EQ(line.substr(0, 6), "error\t");
            EXPECT_TRUE(Contains(line, bad.message)) << Utf8(line);
        }
    }
}

TEST_P(KorvaldTest, ASecondRunOfATaskEndsAtOnceAndTheLockEndsWithItsRun) {
    Write("data/nimbrel5.tsk", "1,甲网\r\n2,乙网,分站\r\n");
    QProcess first;
    Start(Host(), {QStringLiteral("--pause"), QStringLiteral("3600000"), kPublish5.back()}, first);
    // After its first site the first run waits for the pause.
    QDeadlineTimer deadline(60000);
    while (Task(5) != Rows{{"3", "1", "1", "0", "0"}}) {
        ASSERT_FALSE(deadline.hasExpired()) << "the first run made no progress";
        ASSERT_EQ(first.state(), QProcess::Running) << first.readAllStandardError().toStdString();
        QThread::msleep(20);
    }
    const Rows working = Everything();
    const Result second = Run(kPublish5);
    EXPECT_EQ(second.status, 3);
    EXPECT_EQ(Everything(), working);
    const Lines log = Log(kLog5);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "error\tanother run of task 5 is still working; this run ends");

    first.kill();
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(Run(kPublish5).status, 0) << "a run that died holds no lock";
    EXPECT_EQ(Task(5), (Rows{{"3", "2", "2", "0", "1"}}));
}

TEST_P(KorvaldTest, RunsOfDifferentTasksOnOneDatabaseAllFinish) {
    constexpr int kSites = 40;
    std::string values, lines;
    for (int key = 10; key < 10 + kSites; ++key) {
        values += (values.empty() ? "(" : ",(") + std::to_string(key) + ",'网','http://x',1)";
        lines += std::to_string(key) + ",网\r\n";
    }
    ExecuteOrFail(m_db, "insert into SiteData (KeyId,Name,Homepage,NeedRegister) values " + values);
    Write("data/nimbrel5.tsk", lines);
    Write("data/nimbrel6.tsk", lines);
    Write("data/RegisterUser1.tsk", lines);
    QProcess runs[3];
    Start(Host(), kPublish5, runs[0]);
    Start(Host(), {kPublish5[0], kPublish5[1], QStringLiteral("task=Nimbrel&Keyid=6")}, runs[1]);
    Start(Host(), kRegister, runs[2]);
    for (QProcess& run : runs) {
        const Result result = Finish(run);
        EXPECT_EQ(result.status, 0) << result.errors;
    }
    const std::string all = std::to_string(kSites);
    EXPECT_EQ(Task(5), (Rows{{"3", all, all, "0", "1"}})) << Utf8(Host().Read(kLog5));
    EXPECT_EQ(Task(6), (Rows{{"4", all, all, "0", "1"}})) << Utf8(Host().Read("data/nimbrel6.log"));
    EXPECT_EQ(ReadRows(m_db, "select Progress from RegisterUser"), (Rows{{all}}));
    EXPECT_EQ(ReadRows(m_db, "select count(*) from SiteData where NeedRegister=0"), (Rows{{all}}));
}

NIMBREL_ON_BOTH_ENGINES(KorvaldTest);

TEST(KorvaldRegistration, WithoutAConnectionStringUsesTheEmbeddedDatabase) {
    TempHostFolder host;
    std::string error;
    ASSERT_TRUE(InstallWorker(host.Path(), error)) << error;
    ASSERT_TRUE(host.Write("data/RegisterUser1.tsk", "1,甲网\r\n"));
    CAdoDatabase db;
    ASSERT_TRUE(db.Open("Provider=SQLite;Data Source=data/nimbrel.db")) << Utf8(db.GetLastError());
    ASSERT_TRUE(CreateSchema(db, error)) << Utf8(error);
    ExecuteOrFail(db, "insert into SiteData (KeyId,Name,Homepage,NeedRegister) "
                      "values (1,'甲网','http://a.example',1)");

    for (const char* ini : {"", "[Other]\r\nConnect=Provider=Nope\r\n"}) {
        SCOPED_TRACE(ini);
        if (*ini) {
            ASSERT_TRUE(host.Write("database.ini", ini));
        }
        ExecuteOrFail(db, "update RegisterUser set Progress=5");
        const Result result = RunWorker(host, kRegister);
        EXPECT_EQ(result.status, 0) << result.errors << Utf8(host.Read("data/RegisterUser1.log"));
        EXPECT_EQ(ReadRows(db, "select Progress from RegisterUser"), (Rows{{"1"}}));
    }
    EXPECT_EQ(ReadRows(db, "select NeedRegister from SiteData"), (Rows{{"0"}}));
}

} // namespace
