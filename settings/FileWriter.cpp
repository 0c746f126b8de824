#include "settings/FileWriter.h"

#include "platform/CodePage.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <unistd.h>

namespace {

// Up to the disk itself, so that a full disk shows now and not later.
bool Sync(QFileDevice& file) {
    return file.flush() && ::fsync(file.handle()) == 0;
}

} // namespace

bool CFileWriter::Replace(const std::string& path, std::string_view bytes) {
    m_error = 0;
    const QFileInfo target(FromPath(path));
    if (target.isDir())
        return Fail(EISDIR);
    QSaveFile file(target.filePath());
    file.setDirectWriteFallback(false); // in-place writing is ours, below
    errno = 0;
    if (!OpenTemporary(file)) {
        // Without a file to rewrite, the folder's refusal is the reason.
        const int refused = errno ? errno : EACCES;
        return RewriteInPlace(path, bytes) || Fail(target.exists() ? m_error : refused);
    }
    if (!WriteAll(file, bytes) || !Sync(file)) {
        const int error = errno;
        file.cancelWriting();
        return Fail(error);
    }
    return file.commit() || Fail(errno);
}

bool CFileWriter::Fail(int error) {
    m_error = error ? error : EIO;
    return false;
}

bool CFileWriter::OpenTemporary(QSaveFile& file) {
    // Unbuffered, so that every write reports what reached the file.
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

long long CFileWriter::WriteSome(QFileDevice& file, const char* data, long long size) {
    return file.write(data, size);
}

bool CFileWriter::WriteAll(QFileDevice& file, std::string_view bytes) {
    const char* data = bytes.data();
    long long left = (long long)bytes.size();
    while (left > 0) {
        const long long written = WriteSome(file, data, left);
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

// Writes over the old bytes before cutting the file to its new length, so
// that the old bytes can go back into the room they had when the new ones do
// not fit.
bool CFileWriter::RewriteInPlace(const std::string& path, std::string_view bytes) {
    QFile file(FromPath(path));
    if (!QFileInfo(file).isFile())
        return Fail(ENOENT);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return Fail(errno);
    const QByteArray old = file.readAll();
    if (old.size() != file.size() || !file.seek(0))
        return Fail(EIO); // not read whole: nothing written
    if (WriteAll(file, bytes) && file.resize((long long)bytes.size()) && Sync(file))
        return true;
    const int error = errno;
    if (file.seek(0) && WriteAll(file, std::string_view(old.constData(), size_t(old.size()))))
        file.resize(old.size());
    Sync(file);
    return Fail(error);
}
