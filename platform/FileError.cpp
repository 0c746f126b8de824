#include "platform/FileError.h"

#include "platform/CodePage.h"

#include <QString>

#include <cerrno>
#include <cstring>

namespace {

// The reasons a user can do something about, in words; others as the
// system's own text.
std::string Reason(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return "找不到文件夹。";
    case EACCES:
    case EPERM:
        return "拒绝访问。";
    case EROFS:
        return "磁盘只读。";
    case ENOSPC:
    case EDQUOT:
        return "磁盘已满。";
    case EISDIR:
        return "同名的文件夹已存在。";
    default:
        return std::strerror(error);
    }
}

} // namespace

std::string FileCreateErrorMessage(const std::string& path, int error) {
    return "无法创建文件 " + ToGbk(FromPath(path)) + "\r\n" + Reason(error);
}
