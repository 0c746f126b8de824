#pragma once
// One run of the worker on one task. Before it writes anything it takes the
// task's lock, reads the connection string, reads and checks the whole task
// file, opens the database and finds the task's row; any of these failing
// ends the run with one log line and nothing changed. Then it records an
// outcome for each site of the task file, contacting no site:
//   publishing    success when the site's row exists in SiteData;
//                 Progress, SuccessCount and ErrorCount of the task row count
//                 from 0 as the sites are done, FDStatus is 0 while the run
//                 works and at the end 1 (no site failed) or 2 (some failed)
//   registration  success when the site's row exists and has a home page;
//                 Progress of RegisterUser record 1 counts from 0, each site
//                 found gets its RegisterStatus text, and NeedRegister 0 on success
#include "database/AdoDatabase.h"
#include "korvald/WorkerLog.h"
#include "korvald/WorkerTask.h"

#include <vector>

struct TaskSite;

// The exit statuses of the program.
enum ExitStatus { kExitDone = 0, kExitFailed = 1, kExitUsage = 2, kExitBusy = 3 };

class CWorkerRun {
public:
    // pauseMs: the wait between two sites, so that a user sees the progress.
    CWorkerRun(const WorkerTask& task, int pauseMs) : m_task(task), m_pauseMs(pauseMs) {}

    // kExitDone when every site has its outcome (whether it succeeded or
    // not), kExitBusy when another run of the task holds the lock, kExitFailed
    // when the run could not start or a database error broke it off.
    int Run();

private:
    struct Counts {
        long succeeded = 0;
        long failed = 0;
    };

    bool OpenDatabase(const std::string& connect, std::string& error);
    bool Work(const std::vector<TaskSite>& sites);
    // Decides the site's outcome and, for registration, records it on the site.
    bool Judge(const TaskSite& site, bool& success, std::string& reason);
    bool MarkRegistration(const TaskSite& site, bool success);
    // Writes the counts to the task's row; fdStatus only for publishing.
    bool WriteProgress(const Counts& counts, int fdStatus);

    WorkerTask m_task;
    int m_pauseMs;
    CWorkerLog m_log;
    CAdoDatabase m_db;
};
