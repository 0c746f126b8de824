#pragma once
#include <string>
#include <string_view>

// The folder of the running executable as GBK text with a trailing "/".
// Tests point it at a temporary folder with SetHostFolder; an empty text
// returns to the executable's folder.
std::string HostFolder();
void SetHostFolder(const std::string& folder);

// HostFolder() + relative, e.g. HostPath("data/company.ini").
std::string HostPath(std::string_view relative);
