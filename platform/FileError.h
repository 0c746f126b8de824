#pragma once
// The message the user sees when a file the system writes for another
// program cannot be created: the file as its path reads, and the reason.
//
//     无法创建文件 /home/u/.local/share/nimbrel/data/nimbrel5.tsk
//     拒绝访问。
#include <string>

// path is path bytes, as HostPath gives them; error an errno value. GBK.
std::string FileCreateErrorMessage(const std::string& path, int error);
