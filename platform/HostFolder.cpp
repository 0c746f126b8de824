#include "platform/HostFolder.h"

#include "platform/CodePage.h"

#include <climits>
#include <unistd.h>

namespace {

std::string& Override() {
    static std::string folder;
    return folder;
}

std::string ExecutableFolder() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "./";
    std::string path(buffer, size_t(n));
    path.erase(path.rfind('/') + 1);
    return path;
}

} // namespace

std::string HostFolder() {
    if (!Override().empty())
        return Override();
    static const std::string folder = ExecutableFolder();
    return folder;
}

void SetHostFolder(const std::string& folder) {
    Override() = folder;
    if (!folder.empty() && folder.back() != '/')
        Override() += '/';
}

std::string HostPath(std::string_view relative) {
    std::string path = HostFolder();
    path += GbkToPath(relative);
    return path;
}
