#include "tests/support/TestSupport.h"

#include "platform/CodePage.h"
#include "platform/HostFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

TempHostFolder::TempHostFolder() {
    SetHostFolder(ToGbk(m_dir.path()) + "/");
}

TempHostFolder::~TempHostFolder() {
    SetHostFolder(std::string());
}

std::string TempHostFolder::Path(const std::string& relative) const {
    return ToGbk(m_dir.path()) + "/" + relative;
}

bool TempHostFolder::Write(const std::string& relative, const std::string& bytes) const {
    return WriteFileBytes(Path(relative), bytes);
}

std::string TempHostFolder::Read(const std::string& relative) const {
    return ReadFileBytes(Path(relative));
}

bool TempHostFolder::Exists(const std::string& relative) const {
    return QFileInfo::exists(FromGbk(Path(relative)));
}

std::string Utf8(const std::string& gbk) {
    return FromGbk(gbk).toStdString();
}

std::string ReadFileBytes(const std::string& path) {
    QFile file(FromGbk(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    QString name = FromGbk(path);
    QDir().mkpath(QFileInfo(name).absolutePath());
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

void ProcessEvents() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}
