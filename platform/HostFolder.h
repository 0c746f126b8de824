#pragma once
#include <string>
#include <string_view>

// The folder of the running executable with a trailing "/", as path bytes
// (the file system's own, see FromPath), never converted to GBK: the folder
// may be named with characters that GBK cannot hold. Tests point it at a
// temporary folder with SetHostFolder; an empty text returns to the
// executable's folder.
std::string HostFolder();
void SetHostFolder(const std::string& folder);

// HostFolder() + relative, e.g. HostPath("data/company.ini"); relative is a
// GBK name of the system and becomes path bytes.
std::string HostPath(std::string_view relative);
