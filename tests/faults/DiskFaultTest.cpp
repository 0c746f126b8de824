// Every file the system writes, on a full disk, a read-only disk and in a
// folder that takes no new file, as a user meets it through the screens and
// the worker: the host folder is a small tmpfs of the test's own.
#include "company/CompanyEditView.h"
#include "company/CompanyIds.h"
#include "platform/CodePage.h"
#include "platform/Dialog.h"
#include "platform/FileError.h"
#include "sites/SiteIds.h"
#include "tasks/TaskIds.h"
#include "tests/faults/FaultSupport.h"
#include "tests/support/ScriptedInteraction.h"

#include <QDir>
#include <QProcess>
#include <cerrno>
#include <functional>
#include <optional>
#include <unistd.h>

using namespace tasks;

namespace {

enum Fault { kNone, kFull, kReadOnly, kClosed, kClosedNoFile, kFaultCount };
const char* const kFaultNames[] = {"no fault", "full disk", "read-only disk",
                                   "closed folder, file there", "closed folder, no file"};

// What the user finds in the file afterwards.
enum class After {
    Kept,    // the old bytes, or still no file
    Written, // the new file
    Begun,   // the beginning of the new file: written as it goes, then stopped
};

struct Expected {
    After after;
    // The reason of the file message shown, or null when nothing is shown.
    const char* reason = nullptr;
};

const std::string kOld = "\r\n[Old]\r\nKey=old bytes\r\n";

class DiskFaultTest : public SchemaDatabaseTest {
protected:
    void SetUp() override {
        SchemaDatabaseTest::SetUp(); // the database stays in the test's own folder
        ASSERT_FALSE(HasFatalFailure());
        m_disk.emplace("4m");
        ASSERT_EQ(m_disk->Problem(), "");
        ExecuteOrFail(m_db, "insert into NimbrelClass (KeyId,ParentId,Name,ClassPath) values "
                            "(1,0,'A','/A')");
        ExecuteOrFail(m_db, "insert into Nimbrel (KeyId,Title,Content,TaskClass,ClassPath) values "
                            "(1,'一','正文',1,'/A/')");
        ExecuteOrFail(m_db, "insert into SiteData (KeyId,Name,Homepage,IsSelected,AutoPublish,"
                            "NeedRegister,ClassPath) values (3,'丙网','http://c.example',1,1,1,"
                            "'/信息网/')");
        m_screens.emplace(m_db);
    }

    bool Apply(Fault fault, const char* folder) {
        switch (fault) {
        case kFull:
            return m_disk->Fill();
        case kReadOnly:
            return m_disk->SetReadOnly(true);
        case kClosed:
        case kClosedNoFile:
            return m_disk->CloseFolder(folder);
        default:
            return true;
        }
    }
    // The errno value of the fault when a file is created.
    static int Error(Fault fault) {
        return fault == kFull       ? ENOSPC
               : fault == kReadOnly ? EROFS
               : ::geteuid() == 0   ? EPERM
                                    : EACCES;
    }

public: // the actions of the table below
    void SaveCompanyProfile() {
        QWidget host;
        CDestroyWindowFirst<CCompanyEditView> view;
        ASSERT_TRUE(view.Create(&host, CRect{0, 0, 800, 600}, 1));
        view.SetDlgItemText(company::kNameEdit, "北京新公司");
        view.SetDlgItemText(company::kContactEdit, "新联系人");
        view.SetDlgItemText(company::kAbstractEdit, std::string(40, 'a'));
        view.SendCommand(company::kSaveButton);
    }
    void CloseATaskList() {
        QWidget host;
        CDestroyWindowFirst<CPublishTaskListView> view;
        view.SetDatabase(&m_db);
        ASSERT_TRUE(view.Create(&host, CRect{0, 0, 800, 600}, 1));
        view.DestroyWindow();
    }
    void Publish() {
        m_screens->Tasks().Grid().SetFocusCell(1, 1);
        m_screens->Tasks().SendCommand(list::kPublishTask);
    }
    void Register() { HostScreens::Press(m_screens->Sites(), SiteIds::kRegister); }
    void ExportTaskTexts() {
        m_screens->Tasks().Grid().SetSelectedRange(1, 0, 1, 6);
        m_seam.ExpectDialog([this](CDialog& editor) {
            m_seam.ExpectFile(m_disk->Path("data/task.txt"));
            editor.SendCommand(editor::kExportButton);
            editor.SendCommand(IDCANCEL);
        });
        m_screens->Tasks().SendCommand(list::kEditTask);
    }
    void ExportSites() {
        m_seam.ExpectFile(m_disk->Path("data/sites.csv"));
        HostScreens::Press(m_screens->Sites(), SiteIds::kExport);
    }

protected:
    // The counts of sites that both launches record, summed.
    std::vector<Row> TotalCounts() {
        return ReadRows(m_db, "select (select TotalCount from Nimbrel where KeyId=1)+"
                              "(select TotalCount from RegisterUser where KeyId=1)");
    }

    std::optional<SmallDisk> m_disk; // the host folder
    ScriptedInteraction m_seam;
    std::optional<HostScreens> m_screens; // closed before the disk goes
};

struct FileCase {
    const char* file;
    const char* folder; // the folder the closed-folder faults close
    void (DiskFaultTest::*act)();
    const char* newText;     // what the new file holds
    bool launches;           // the action hands the file to the worker
    const char* messageFile; // the file a message names
    Expected expected[kFaultCount];
};

constexpr After kKept = After::Kept, kWritten = After::Written;

// Settings files are put in place whole or not at all, and failures are
// silent. The task files stop their launch with a message; database.ini is
// written after the publishing task file and its failure is silent. The CSV
// export writes as it goes, and the export reports nothing.
const FileCase kFiles[] = {
    {"data/company.ini",
     "data",
     &DiskFaultTest::SaveCompanyProfile,
     "Contact=新联系人\r\n",
     false,
     nullptr,
     {{kWritten}, {kKept}, {kKept}, {kWritten}, {kKept}}},
    {"res/gridpos.ini",
     "res",
     &DiskFaultTest::CloseATaskList,
     "[CPublishTaskListView]",
     false,
     nullptr,
     {{kWritten}, {kKept}, {kKept}, {kWritten}, {kKept}}},
    {"database.ini",
     "",
     &DiskFaultTest::Publish,
     "\r\n[Korvald]\r\nConnect=",
     true,
     "data/nimbrel1.tsk",
     {{kWritten}, {kKept, "磁盘已满。"}, {kKept, "磁盘只读。"}, {kWritten}, {kKept}}},
    {"data/nimbrel1.tsk",
     "data",
     &DiskFaultTest::Publish,
     "3,丙网\r\n",
     true,
     nullptr,
     {{kWritten}, {kKept, "磁盘已满。"}, {kKept, "磁盘只读。"}, {kWritten}, {kKept, "拒绝访问。"}}},
    {"data/RegisterUser1.tsk",
     "data",
     &DiskFaultTest::Register,
     "3,丙网\r\n",
     true,
     nullptr,
     {{kWritten}, {kKept, "磁盘已满。"}, {kKept, "磁盘只读。"}, {kWritten}, {kKept, "拒绝访问。"}}},
    {"data/task.txt",
     "data",
     &DiskFaultTest::ExportTaskTexts,
     "\r\n[.]\r\nTitle=一\r\n",
     false,
     nullptr,
     {{kWritten}, {kKept}, {kKept}, {kWritten}, {kKept}}},
    {"data/sites.csv",
     "data",
     &DiskFaultTest::ExportSites,
     "Keyid,Name,UserName,UserPass\r\n",
     false,
     nullptr,
     {{kWritten}, {After::Begun}, {kKept}, {kWritten}, {kKept}}},
};

} // namespace

TEST_P(DiskFaultTest, EveryFileTheScreensWriteIsWholeOrAsItWasAndReportedAsDesigned) {
    for (const FileCase& c : kFiles) {
        std::string whole; // the file as written without a fault
        for (int f = kNone; f < kFaultCount; ++f) {
            const Fault fault = Fault(f);
            SCOPED_TRACE(std::string(c.file) + ", " + kFaultNames[fault]);
            ASSERT_TRUE(m_disk->Repair());
            ::unlink(m_disk->Path(c.file).c_str());
            const bool hadFile = fault != kClosedNoFile;
            if (hadFile) {
                ASSERT_TRUE(m_disk->Write(c.file, kOld));
            }
            ExecuteOrFail(m_db, "update Nimbrel set TotalCount=9");
            ExecuteOrFail(m_db, "update RegisterUser set TotalCount=9");
            const size_t boxes = m_seam.Boxes().size();
            const size_t launches = m_seam.Launches().size();
            const Expected& expected = c.expected[fault];
            if (expected.reason)
                m_seam.ExpectBox(IDOK);

            ASSERT_TRUE(Apply(fault, c.folder)) << std::strerror(errno);
            (this->*c.act)();
            ASSERT_TRUE(m_disk->Repair());

            const std::string shown =
                m_seam.Boxes().size() > boxes ? m_seam.Boxes().back().text : "";
            EXPECT_EQ(m_seam.Boxes().size(), boxes + (expected.reason ? 1 : 0)) << Utf8(shown);
            if (expected.reason) {
                const std::string named = m_disk->Path(c.messageFile ? c.messageFile : c.file);
                EXPECT_EQ(shown, FileCreateErrorMessage(named, Error(fault))) << Utf8(shown);
                EXPECT_TRUE(Contains(shown, expected.reason)) << Utf8(shown);
            }
            if (c.launches) {
                // A launch that stops records no count and starts nothing.
                EXPECT_EQ(m_seam.Launches().size(), launches + (expected.reason ? 0 : 1));
                EXPECT_EQ(TotalCounts(), std::vector<Row>{{expected.reason ? "18" : "10"}});
            }
            const std::string now = m_disk->Read(c.file);
            switch (expected.after) {
            case After::Kept:
                EXPECT_EQ(m_disk->Exists(c.file), hadFile);
                EXPECT_EQ(now, hadFile ? kOld : "");
                break;
            case After::Written:
                EXPECT_TRUE(Contains(now, c.newText)) << Shown(now);
                if (fault == kNone)
                    whole = now;
                else
                    EXPECT_EQ(now, whole);
                break;
            case After::Begun:
                EXPECT_NE(now, kOld);
                EXPECT_EQ(now, whole.substr(0, now.size()));
                break;
            }
        }
    }
}

// The worker appends to its log line by line: a full disk costs the lines,
// not the run, and a log that cannot be opened ends the run before it
// changes anything.
TEST_P(DiskFaultTest, TheWorkersLogKeepsItsLinesAndEveryRunEndsAsDesigned) {
    std::string error;
    ASSERT_TRUE(InstallWorker(m_disk->Path(), error)) << error;
    const std::string connect =
        GetParam() == Engine::SQLite
            ? "Provider=SQLite;Data Source=" + m_test.HostFolder().Path("data/test.db")
            : m_test.ConnectionString();
    ASSERT_TRUE(m_disk->Write("database.ini", "[Korvald]\r\nConnect=" + connect + "\r\n"));
    ASSERT_TRUE(m_disk->Write("data/nimbrel1.tsk", "3,丙网\r\n"));
    // A log that fills its blocks: a line more needs a new one.
    const std::string log = "data/nimbrel1.log", old = std::string(4094, 'o') + "\r\n";
    struct Case {
        Fault fault;
        int status;
        bool finished; // every site has its outcome
        bool logged;
        const char* said; // on standard error
    };
    const Case cases[] = {
        {kNone, 0, true, true, ""},
        {kFull, 0, true, false, "cannot write to the log"},
        {kReadOnly, 1, false, false, "cannot open the log"},
        {kClosed, 0, true, true, ""},
        {kClosedNoFile, 1, false, false, "cannot open the log"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kFaultNames[c.fault]);
        ASSERT_TRUE(m_disk->Repair());
        ::unlink(m_disk->Path(log).c_str());
        if (c.fault != kClosedNoFile) {
            ASSERT_TRUE(m_disk->Write(log, old));
        }
        ExecuteOrFail(m_db, "update Nimbrel set FDStatus=0,Progress=0 where KeyId=1");
        ASSERT_TRUE(Apply(c.fault, "data"));
        QProcess worker;
        worker.start(FromPath(m_disk->Path("Korvald.exe")),
                     {QStringLiteral("--pause"), QStringLiteral("0"),
                      QStringLiteral("task=Nimbrel&Keyid=1")});
        ASSERT_TRUE(worker.waitForFinished(60000));
        ASSERT_TRUE(m_disk->Repair());
        const std::string errors = worker.readAllStandardError().toStdString();
        EXPECT_EQ(worker.exitCode(), c.status) << errors;
        EXPECT_TRUE(Contains(errors, c.said)) << errors;
        EXPECT_EQ(ReadRows(m_db, "select FDStatus,Progress from Nimbrel where KeyId=1"),
                  (std::vector<Row>{{c.finished ? "1" : "0", c.finished ? "1" : "0"}}));
        const std::string now = m_disk->Read(log);
        if (c.logged) {
            EXPECT_EQ(now.substr(0, old.size()), old);
            EXPECT_TRUE(Contains(now.substr(old.size()), "\t3\t丙网\tsuccess\t")) << Utf8(now);
        } else {
            EXPECT_EQ(now, c.fault == kClosedNoFile ? "" : old);
        }
    }
}

NIMBREL_ON_BOTH_ENGINES(DiskFaultTest);
