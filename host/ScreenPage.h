#pragma once
#include "module/ModuleApi.h"

#include <QWidget>

class QLabel;

// One place of the host window that shows a screen of the module. The screen
// object comes from an export; its window is created as a child of the page,
// fills the page, and is destroyed (and the object deleted) on Close.
class ScreenPage : public QWidget {
public:
    ScreenPage(ScreenExport factory, const HostParameters& parameters, QWidget* parent = nullptr);
    ~ScreenPage() override;

    bool IsAvailable() const { return m_factory != nullptr; }
    bool Open();
    void Close();
    CWnd* Screen() const { return m_screen; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    ScreenExport m_factory;
    HostParameters m_parameters;
    CWnd* m_screen = nullptr;
    QLabel* m_placeholder = nullptr;
};
