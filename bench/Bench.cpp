#include "bench/Bench.h"

#include "platform/CodePage.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

void InstallShippedFiles(const QString& hostFolder) {
    const QDir shipped(QStringLiteral(NIMBREL_APP_DIR));
    const QDir host(hostFolder);
    const QString files[] = {QStringLiteral("uiprofile.ini"), QStringLiteral("images/item.gif"),
                             QStringLiteral("images/folder.gif"), QStringLiteral("res/gridpos.ini"),
                             QStringLiteral("res/SiteEditDlg.htm")};
    for (const QString& file : files) {
        QFile::remove(host.filePath(file));
        if (!host.mkpath(QFileInfo(file).path()) ||
            !QFile::copy(shipped.filePath(file), host.filePath(file)))
            Fail("the shipped file " + file.toStdString() + " could not be copied");
    }
}

void RemoveColumnWidths(const QString& hostFolder) {
    QFile::remove(QDir(hostFolder).filePath(QStringLiteral("res/gridpos.ini")));
}

double ProcessMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}
