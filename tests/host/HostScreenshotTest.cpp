// The host rendering its screens unattended, as the documentation's pictures
// and the installation tests use it.
#include "platform/CodePage.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// A database that cannot be opened makes the screens report it while they
// are created; with nobody to close those boxes the run must still end, each
// screen rendered and every message on standard error.
TEST(HostScreenshot, UnreachableDatabaseEndsWithEveryScreenAndItsMessages) {
    TempHostFolder host;
    QProcess run;
    run.start(QStringLiteral(NIMBREL_APP_DIR "/nimbrel-host"),
              {QStringLiteral("Provider=PostgreSQL;Host=/nonexistent;Database=none"),
               QStringLiteral("--host-folder"), FromPath(host.Path()),
               QStringLiteral("--screenshot"), FromPath(host.Path("shots"))});
    ASSERT_TRUE(run.waitForFinished(120000)) << "the host waits on a box nobody sees";
    EXPECT_EQ(run.exitCode(), 0);
    const QStringList shots = QDir(FromPath(host.Path("shots"))).entryList(QDir::Files);
    EXPECT_EQ(shots.join(u','), QStringLiteral("company.png,sites.png,tasks.png"));
    EXPECT_TRUE(run.readAllStandardError().contains("message: "));
}

} // namespace
