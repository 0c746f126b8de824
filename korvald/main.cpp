// Korvald.exe: the stand-in for the publishing and registration program that
// the module starts from the host folder. See kHelp for what it does.
#include "korvald/WorkerRun.h"
#include "korvald/WorkerTask.h"
#include "platform/CodePage.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

const char kVersion[] =
    "Korvald.exe " NIMBREL_VERSION " (stand-in worker of Nimbrel; contacts no site)\n";

const char kHelp[] =
    R"(Usage: Korvald.exe [--pause MS] TASK

A stand-in for the publishing and registration program: it walks through the
sites of a task file and records an outcome for each, without contacting any
site. Nothing leaves this machine. A site succeeds when its row exists in
SiteData (for registration: and has a home page), and fails otherwise.

TASK is the one argument the module starts it with:
  task=Nimbrel&Keyid=K        publishing of task K
  task=RegisterUser&Keyid=1   registration of accounts

Options:
  --pause MS   wait MS milliseconds between two sites (default 100), so that
               the progress can be watched in the lists
  --help       show this text
  --version    show the version

Files, below the folder of this program:
  database.ini       the connection string, key Connect of section [Korvald]
                     (registration: the embedded database data/nimbrel.db
                     when the file or the key is missing)
  data/nimbrel<K>.tsk, data/RegisterUser1.tsk
                     the sites: one line each, key "," name, GBK, CR LF
  data/nimbrel<K>.log, data/RegisterUser1.log
                     appended: one line per site (time, key, name, success or
                     failure, reason) and one for a problem that ends a run
  data/nimbrel<K>.lock, data/RegisterUser1.lock
                     one run per task at a time

What it writes to the database:
  publishing    Progress, SuccessCount, ErrorCount of task K, counted from 0
                as it goes; FDStatus 0 while it works, then 1 when no site
                failed or 2 when some failed
  registration  Progress of RegisterUser record 1, counted from 0; for each
                site found its RegisterStatus, and NeedRegister 0 on success

The whole task file is read and checked before anything is written: a line
without a comma, a key that is not a decimal number or a name that is not
GBK text ends the run with nothing changed, as do a missing database.ini, a
database that cannot be opened and a task that is not in the database.

Exit status:
  0  every site has its outcome
  1  the run could not start or broke off; the last line of the log says why
     (standard error when the log cannot be opened)
  2  bad arguments
  3  another run of the same task is still working
)";

struct Options {
    std::string task;
    int pauseMs = 100;
};

constexpr int kMaxPauseMs = 3600 * 1000;

bool ParsePause(const QString& text, int& pauseMs) {
    bool ok = false;
    pauseMs = text.toInt(&ok);
    return ok && pauseMs >= 0 && pauseMs <= kMaxPauseMs;
}

// -1 to go on with a task; otherwise the exit status.
int ParseArguments(const QStringList& arguments, Options& options) {
    bool hasTask = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        std::string problem;
        if (argument == u"--help" || argument == u"-h") {
            std::fputs(kHelp, stdout);
            return kExitDone;
        } else if (argument == u"--version") {
            std::fputs(kVersion, stdout);
            return kExitDone;
        } else if (argument == u"--pause") {
            if (i + 1 == arguments.size() || !ParsePause(arguments[++i], options.pauseMs))
                problem = "--pause needs a number of milliseconds from 0 to 3600000";
        } else if (argument.startsWith(u'-')) {
            problem = "unknown option " + ToGbk(argument);
        } else if (hasTask) {
            problem = "one task only";
        } else {
            options.task = ToGbk(argument);
            hasTask = true;
        }
        if (!problem.empty()) {
            PrintError(problem + " (see Korvald.exe --help)");
            return kExitUsage;
        }
    }
    if (!hasTask) {
        PrintError("no task given (see Korvald.exe --help)");
        return kExitUsage;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    // The SQL drivers are plugins, which Qt loads for an application object.
    QCoreApplication app(argc, argv);
    Options options;
    const int status = ParseArguments(QCoreApplication::arguments(), options);
    if (status >= 0)
        return status;
    WorkerTask task;
    std::string error;
    if (!ParseTaskArgument(options.task, task, error)) {
        PrintError(error);
        return kExitUsage;
    }
    return CWorkerRun(task, options.pauseMs).Run();
}
