#include "korvald/WorkerLog.h"

#include "korvald/TaskFile.h"
#include "platform/CodePage.h"

#include <QFile>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::string LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

} // namespace

std::string ErrnoText() {
    return ToGbk(QString::fromLocal8Bit(std::strerror(errno)));
}

void PrintError(const std::string& text) {
    const QByteArray local = FromGbk("Korvald.exe: " + text).toLocal8Bit();
    std::fprintf(stderr, "%s\n", local.constData());
}

CWorkerLog::~CWorkerLog() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CWorkerLog::Open(const std::string& path, std::string& error) {
    m_fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0)
        error = "cannot open the log " + path + ": " + ErrnoText();
    return m_fd >= 0;
}

void CWorkerLog::Site(const TaskSite& site, bool success, const std::string& reason) {
    Append(site.key + "\t" + site.name + "\t" + (success ? "success" : "failure") + "\t" + reason);
}

void CWorkerLog::Error(const std::string& text) {
    if (m_fd < 0)
        return PrintError(text);
    Append("error\t" + text);
}

void CWorkerLog::Append(const std::string& fields) {
    const std::string line = LocalTime() + "\t" + fields + "\r\n";
    if (m_fd >= 0 && ::write(m_fd, line.data(), line.size()) == ssize_t(line.size()))
        return;
    PrintError("cannot write to the log: " + fields);
}
