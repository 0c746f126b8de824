#include "host/HostWindow.h"

#include "host/ScreenPage.h"
#include "host/UnattendedInteraction.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QStatusBar>
#include <QTabWidget>
#include <cstdio>

const std::vector<HostScreen>& HostScreens() {
    static const std::vector<HostScreen> screens = {
        {"editCompany", "company", QStringLiteral("公司资料")},
        {"listSiteData", "sites", QStringLiteral("网站目录")},
        {"listPublishTask", "tasks", QStringLiteral("发布任务")},
    };
    return screens;
}

HostWindow::HostWindow(ModuleLibrary& module, const HostParameters& parameters,
                       const QString& status)
    : m_tabs(new QTabWidget(this)) {
    setWindowTitle(QStringLiteral("Nimbrel"));
    setCentralWidget(m_tabs);
    for (const HostScreen& screen : HostScreens()) {
        auto* page = new ScreenPage(module.Resolve(screen.exportName), parameters);
        m_pages.push_back(page);
        m_tabs->addTab(page, screen.caption);
    }
    statusBar()->showMessage(status);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] { OpenCurrent(); });
    resize(1000, 720);
    OpenCurrent();
}

void HostWindow::OpenCurrent() {
    int index = m_tabs->currentIndex();
    if (index >= 0 && index < int(m_pages.size()))
        m_pages[size_t(index)]->Open();
}

void HostWindow::closeEvent(QCloseEvent* event) {
    // Screens save their state while their windows are destroyed, which must
    // happen before the module goes away.
    for (ScreenPage* page : m_pages)
        page->Close();
    event->accept();
}

bool RenderScreenshots(ModuleLibrary& module, const HostParameters& parameters,
                       const QString& folder) {
    QDir().mkpath(folder);
    UnattendedInteraction unattended;
    bool allWritten = true;
    for (const HostScreen& screen : HostScreens()) {
        ScreenExport factory = module.Resolve(screen.exportName);
        if (!factory)
            continue;
        ScreenPage page(factory, parameters);
        page.resize(1000, 680);
        page.show();
        if (!page.Open()) {
            allWritten = false;
            continue;
        }
        QApplication::processEvents();
        QString file =
            QDir(folder).filePath(QString::fromLatin1(screen.fileName) + QStringLiteral(".png"));
        if (page.grab().save(file))
            std::printf("%s\n", qPrintable(file));
        else
            allWritten = false;
        page.Close();
    }
    return allWritten;
}
