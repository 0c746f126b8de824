// nimbrel-host: opens the database, loads the module from the host folder and
// shows its screens.
//   nimbrel-host [CONNECTION] [--host-folder DIR] [--screenshot DIR]
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
#include <cstdio>
#include <cstring>

namespace {

bool WantsScreenshot(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--screenshot") == 0)
            return true;
    return false;
}

// What the status bar says about the database, without the password.
QString DescribeConnection(const std::string& connection, bool open) {
    const QString text = FromGbk(MaskConnectionPassword(connection));
    return (open ? QStringLiteral("数据库: ") : QStringLiteral("数据库未打开: ")) + text;
}

} // namespace

int main(int argc, char** argv) {
    if (WantsScreenshot(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Nimbrel"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Nimbrel host"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("connection"),
                                 QStringLiteral("Database connection string"));
    QCommandLineOption hostFolder(QStringLiteral("host-folder"),
                                  QStringLiteral("Use DIR as the host folder."),
                                  QStringLiteral("DIR"));
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("Render every screen to DIR/<screen>.png."),
                                  QStringLiteral("DIR"));
    parser.addOption(hostFolder);
    parser.addOption(screenshot);
    parser.process(app);

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
    if (!module.Load(FromPath(HostFolder())) && !module.Load(QApplication::applicationDirPath())) {
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
        HostWindow window(module, parameters, DescribeConnection(connection, open));
        window.show();
        if (!open)
            QMessageBox::warning(&window, QApplication::applicationDisplayName(),
                                 QStringLiteral("数据库无法打开:\n") + FromGbk(error));
        result = QApplication::exec();
    }
    module.Unload();
    return result;
}
