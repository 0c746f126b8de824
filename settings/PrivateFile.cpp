#include "settings/PrivateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool MakePrivateFile(const std::string& path) {
    // O_NOFOLLOW: a link planted at the path is not followed to another file.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0)
        return false;
    struct stat status {};
    const bool changed = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                         ((status.st_mode & 077) == 0 || ::fchmod(fd, status.st_mode & 0700) == 0);
    ::close(fd);
    return changed;
}
