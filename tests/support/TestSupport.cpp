#include "tests/support/TestSupport.h"

#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "platform/HostFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <ctime>
#include <gtest/gtest.h>

namespace {

std::string ReadFile(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

bool WriteFile(const QString& name, const std::string& bytes) {
    QDir().mkpath(QFileInfo(name).absolutePath());
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

} // namespace

TempHostFolder::TempHostFolder() {
    SetHostFolder(Path());
}

TempHostFolder::TempHostFolder(const QString& name)
    : m_dir(QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral("-XXXXXX")) {
    SetHostFolder(Path());
}

TempHostFolder::~TempHostFolder() {
    SetHostFolder(std::string());
}

std::string TempHostFolder::Path(const std::string& relative) const {
    return ToPath(m_dir.path()) + "/" + GbkToPath(relative);
}

// The folder's own files are reached through Qt's name of the folder, not
// through the path bytes the system under test is given, so that a test sees
// where the system really put its files.
bool TempHostFolder::Write(const std::string& relative, const std::string& bytes) const {
    return WriteFile(m_dir.filePath(FromGbk(relative)), bytes);
}

std::string TempHostFolder::Read(const std::string& relative) const {
    return ReadFile(m_dir.filePath(FromGbk(relative)));
}

bool TempHostFolder::Exists(const std::string& relative) const {
    return QFileInfo::exists(m_dir.filePath(FromGbk(relative)));
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value)
    : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
    qputenv(name, value);
    tzset(); // a changed TZ counts at once
}

ScopedEnvironment::~ScopedEnvironment() {
    if (m_wasSet)
        qputenv(m_name, m_old);
    else
        qunsetenv(m_name);
    tzset();
}

std::string Utf8(const std::string& gbk) {
    return FromGbk(gbk).toStdString();
}

std::string ReadFileBytes(const std::string& path) {
    return ReadFile(FromPath(path));
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    return WriteFile(FromPath(path), bytes);
}

void ProcessEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

QPushButton* FindButton(QWidget* window, int id) {
    for (QPushButton* button : window->findChildren<QPushButton*>())
        if (ControlId(button) == id)
            return button;
    return nullptr;
}

void PressButton(QWidget* window, int id) {
    if (QPushButton* button = FindButton(window, id))
        button->click();
    else
        ADD_FAILURE() << "no button " << id;
}
