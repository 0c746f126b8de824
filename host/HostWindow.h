#pragma once
#include "host/ModuleLibrary.h"

#include <QMainWindow>
#include <vector>

class QTabWidget;
class ScreenPage;

// The three screens of the module that the host can show.
struct HostScreen {
    const char* exportName; // the module's export
    const char* fileName;   // screenshot file name without extension
    QString caption;
};
const std::vector<HostScreen>& HostScreens();

// The host's main window: one tab per screen; a screen's window is created
// the first time its tab is shown and destroyed when the host window closes.
class HostWindow : public QMainWindow {
public:
    HostWindow(ModuleLibrary& module, const HostParameters& parameters, const QString& status);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OpenCurrent();

    QTabWidget* m_tabs;
    std::vector<ScreenPage*> m_pages;
};

// Renders every screen the module offers to DIR/<screen>.png; false when one
// could not be written.
bool RenderScreenshots(ModuleLibrary& module, const HostParameters& parameters,
                       const QString& folder);
