// nimbrel-host: opens the database, loads the module from the folder of this
// program and shows its screens.
//   nimbrel-host [CONNECTION] [--host-folder DIR] [--screenshot DIR]
//   nimbrel-host --help | --version
#include "database/AdoDatabase.h"
#include "database/ConnectionString.h"
#include "host/HostDatabase.h"
#include "host/HostWindow.h"
#include "platform/CodePage.h"
#include "platform/HostFolder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMessageBox>
#include <QStringList>
#include <cstdio>

namespace {

const char kDescription[] =
    "Opens the database, loads the module libNimbrel.so from the folder of this\n"
    "program and shows its three screens. Without a connection string the host\n"
    "uses the embedded database data/nimbrel.db of the host folder, creating and\n"
    "seeding it on first start.\n"
    "\n"
    "Exit status: 0 when the host ran (or the screenshots were written), 1 when\n"
    "the arguments are wrong, the module cannot be loaded or a screenshot fails.";

} // namespace

int main(int argc, char** argv) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("connection"),
        QStringLiteral("ADO-style connection string, e.g. \"Provider=PostgreSQL;Host=...;"
                       "Database=nimbrel;User ID=...\""),
        QStringLiteral("[connection]"));
    const QCommandLineOption hostFolder(QStringLiteral("host-folder"),
                                        QStringLiteral("Use DIR as the host folder."),
                                        QStringLiteral("DIR"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Render every screen to DIR/<screen>.png."),
                                        QStringLiteral("DIR"));
    parser.addOption(hostFolder);
    parser.addOption(screenshot);

    // Wrong arguments, help, version and screenshots need no display: those
    // runs use the offscreen platform unless the caller chose one.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const bool withoutDisplay = !parser.parse(arguments) || parser.isSet(help) ||
                                parser.isSet(QStringLiteral("help-all")) || parser.isSet(version) ||
                                parser.isSet(screenshot);
    if (withoutDisplay && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nimbrel-host"));
    QApplication::setApplicationVersion(QStringLiteral(NIMBREL_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("Nimbrel"));
    parser.process(app); // ends the program after help, version or wrong arguments

    if (parser.isSet(hostFolder))
        SetHostFolder(ToPath(QDir(parser.value(hostFolder)).absolutePath()));
    QDir().mkpath(FromPath(HostPath("data")));

    std::string connection = parser.positionalArguments().isEmpty()
                                 ? std::string(kEmbeddedConnectionString)
                                 : ToGbk(parser.positionalArguments().first());
    CAdoDatabase database;
    std::string error;
    bool open = OpenHostDatabase(database, connection, error);

    ModuleLibrary module;
    // The module comes with the program, also when the host folder is another.
    if (!module.Load(QApplication::applicationDirPath())) {
        std::fprintf(stderr, "cannot load the module: %s\n", qPrintable(module.ErrorText()));
        return 1;
    }
    HostParameters parameters{"/nimbrel/host?user=local&view=desktop", &database};

    int result = 0;
    if (parser.isSet(screenshot)) {
        if (!open)
            std::fprintf(stderr, "database not open: %s\n", qPrintable(FromGbk(error)));
        result = RenderScreenshots(module, parameters, parser.value(screenshot)) ? 0 : 1;
    } else {
        HostWindow window(module, parameters, FromGbk(DescribeConnection(connection, open)));
        window.show();
        if (!open)
            QMessageBox::warning(&window, QApplication::applicationDisplayName(),
                                 QStringLiteral("数据库无法打开:\n") + FromGbk(error));
        result = QApplication::exec();
    }
    module.Unload();
    return result;
}
