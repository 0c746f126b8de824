#include "korvald/WorkerRun.h"

#include "database/AdoRecordset.h"
#include "database/ConnectionString.h"
#include "database/Schema.h"
#include "database/SqlStatement.h"
#include "korvald/TaskFile.h"
#include "platform/CodePage.h"
#include "platform/HostFolder.h"
#include "settings/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

// RegisterStatus texts, shown in the site list's "注册结果" column.
const char kRegisteredStatus[] = "模拟注册：未连接网站，未建账号";
const char kNoHomepageStatus[] = "模拟注册失败：站点没有主页";

enum class LockResult { Taken, Busy, Failed };

// An advisory lock on the task's lock file, held while the object lives and
// released by the system when the process ends in any way.
class CTaskLock {
public:
    CTaskLock() = default;
    ~CTaskLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CTaskLock(const CTaskLock&) = delete;
    CTaskLock& operator=(const CTaskLock&) = delete;

    LockResult Take(const std::string& path, std::string& error) {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
            return LockResult::Taken;
        if (m_fd >= 0 && errno == EWOULDBLOCK)
            return LockResult::Busy;
        error = "cannot lock " + path + ": " + ErrnoText();
        return LockResult::Failed;
    }

private:
    int m_fd = -1;
};

// Publishing always finds the string that its launch has just written;
// registration launches do not write it and take what the last publishing
// launch left, or the embedded default.
bool ReadConnectionString(TaskKind kind, std::string& connect, std::string& error) {
    const std::string path = HostPath("database.ini");
    const bool mayFallBack = kind == TaskKind::Register;
    CIniFile ini;
    if (QFileInfo::exists(FromPath(path))) {
        if (ini.Load(path) != EIniLoad::Loaded) {
            error = "cannot read " + path;
            return false;
        }
        connect = ini.GetString("Korvald", "Connect");
    } else if (!mayFallBack) {
        error = path + " is missing: it holds the connection string";
        return false;
    }
    if (connect.empty() && mayFallBack)
        connect = kEmbeddedConnectionString; // no publishing launch has written one yet
    if (connect.empty())
        error = path + " has no connection string (key Connect of section [Korvald])";
    return !connect.empty();
}

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

} // namespace

int CWorkerRun::Run() {
    const std::string stem = m_task.FileStem();
    std::string error;
    if (!m_log.Open(HostPath(stem + ".log"), error)) {
        PrintError(error);
        return kExitFailed;
    }
    CTaskLock lock;
    switch (lock.Take(HostPath(stem + ".lock"), error)) {
    case LockResult::Taken:
        break;
    case LockResult::Busy:
        m_log.Error("another run of " + m_task.Describe() + " is still working; this run ends");
        return kExitBusy;
    case LockResult::Failed:
        m_log.Error(error);
        return kExitFailed;
    }
    std::string connect;
    std::vector<TaskSite> sites;
    if (!ReadConnectionString(m_task.kind, connect, error) ||
        !ReadTaskFile(HostPath(stem + ".tsk"), sites, error) || !OpenDatabase(connect, error)) {
        m_log.Error(error + "; nothing was changed");
        return kExitFailed;
    }
    return Work(sites) ? kExitDone : kExitFailed;
}

// The connection string may hold a password: only the database's own error
// text is reported, never the string.
bool CWorkerRun::OpenDatabase(const std::string& connect, std::string& error) {
    if (!m_db.Open(connect)) {
        error = "cannot open the database: " + m_db.GetLastError();
        return false;
    }
    const std::string table = m_task.kind == TaskKind::Publish ? "Nimbrel" : "RegisterUser";
    const int rows = CountRows(m_db, table, " where keyid=" + m_task.key, &error);
    if (rows == 0)
        error = "there is no row " + m_task.key + " in " + table;
    return rows > 0;
}

bool CWorkerRun::Work(const std::vector<TaskSite>& sites) {
    Counts counts;
    if (!WriteProgress(counts, 0))
        return false;
    for (size_t i = 0; i < sites.size(); ++i) {
        if (i > 0 && m_pauseMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(m_pauseMs));
        bool success = false;
        std::string reason;
        if (!Judge(sites[i], success, reason))
            return false;
        ++(success ? counts.succeeded : counts.failed);
        if (!WriteProgress(counts, 0))
            return false;
        m_log.Site(sites[i], success, reason);
    }
    return WriteProgress(counts, counts.failed == 0 ? 1 : 2);
}

bool CWorkerRun::Judge(const TaskSite& site, bool& success, std::string& reason) {
    CAdoRecordset rs;
    rs.SetConnection(m_db.GetConnection());
    if (!rs.Open("select Homepage from SiteData where keyid=" + site.key)) {
        m_log.Error("cannot read site " + site.key + ": " + rs.GetLastError());
        return false;
    }
    if (rs.IsEOF()) {
        success = false;
        reason = "no site with this key in SiteData";
        return true;
    }
    if (m_task.kind == TaskKind::Publish) {
        success = true;
        reason = "dry run: the site exists; nothing was sent";
        return true;
    }
    success = !IsBlank(rs.GetText("Homepage"));
    reason = success ? "dry run: the site and its home page exist; no account was created"
                     : "the site has no home page";
    rs.Close();
    return MarkRegistration(site, success);
}

bool CWorkerRun::MarkRegistration(const TaskSite& site, bool success) {
    CSqlUpdate update;
    update.SetTableName("SiteData");
    update.SetText("RegisterStatus", success ? kRegisteredStatus : kNoHomepageStatus);
    if (success)
        update.SetNumber("NeedRegister", 0);
    update.AddWhere("keyid=" + site.key);
    if (m_db.Execute(update.BuildSql()))
        return true;
    m_log.Error("cannot update site " + site.key + ": " + m_db.GetLastError());
    return false;
}

bool CWorkerRun::WriteProgress(const Counts& counts, int fdStatus) {
    CSqlUpdate update;
    if (m_task.kind == TaskKind::Publish) {
        update.SetTableName("Nimbrel");
        update.SetNumber("SuccessCount", counts.succeeded);
        update.SetNumber("ErrorCount", counts.failed);
        update.SetNumber("FDStatus", fdStatus);
    } else {
        update.SetTableName("RegisterUser");
    }
    update.SetNumber("Progress", counts.succeeded + counts.failed);
    update.AddWhere("keyid=" + m_task.key);
    long affected = 0;
    if (!m_db.Execute(update.BuildSql(), &affected)) {
        m_log.Error("cannot update " + m_task.Describe() + ": " + m_db.GetLastError());
        return false;
    }
    if (affected == 0) {
        m_log.Error(m_task.Describe() + " is no longer in the database; the run ends");
        return false;
    }
    return true;
}
