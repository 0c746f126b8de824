#include "bench/Bench.h"

#include "platform/CodePage.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

std::string ToUtf8(const std::string& gbk) {
    return FromGbk(gbk).toUtf8().toStdString();
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, ToUtf8(what).c_str());
    std::exit(1);
}

void UseOffscreenPlatformByDefault() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void UseShippedColumnWidths(const QString& hostFolder, bool shipped) {
    const QDir host(hostFolder);
    const QString kept = host.filePath(QStringLiteral("res/gridpos.ini"));
    QFile::remove(kept);
    if (shipped && !(host.mkpath(QStringLiteral("res")) &&
                     QFile::copy(QStringLiteral(NIMBREL_SHIPPED_WIDTHS), kept)))
        Fail("the shipped column widths could not be copied");
}

double ProcessMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}
