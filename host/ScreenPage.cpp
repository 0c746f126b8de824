#include "host/ScreenPage.h"

#include "platform/Wnd.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr int kScreenId = 100;
}

ScreenPage::ScreenPage(ScreenExport factory, const HostParameters& parameters, QWidget* parent)
    : QWidget(parent), m_factory(factory), m_parameters(parameters) {
    if (!m_factory) {
        m_placeholder = new QLabel(QStringLiteral("此模块版本未提供该功能。"), this);
        m_placeholder->setAlignment(Qt::AlignCenter);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_placeholder);
    }
}

ScreenPage::~ScreenPage() {
    Close();
}

bool ScreenPage::Open() {
    if (m_screen || !m_factory)
        return m_screen != nullptr;
    m_screen = m_factory(&m_parameters);
    if (!m_screen)
        return false;
    if (!m_screen->Create(this, CRect{0, 0, width(), height()}, kScreenId)) {
        delete m_screen;
        m_screen = nullptr;
        return false;
    }
    return true;
}

void ScreenPage::Close() {
    if (!m_screen)
        return;
    m_screen->DestroyWindow();
    delete m_screen;
    m_screen = nullptr;
}

void ScreenPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_screen)
        m_screen->MoveWindow(CRect{0, 0, width(), height()});
}
