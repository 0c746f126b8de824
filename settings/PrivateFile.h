#pragma once
// Files that hold a secret, such as database.ini with the connection string
// and its password, are readable by their owner only.
//
//     MakePrivateFile(path);   // before the secret goes in
//     ini.Save(path);          // CIniFile::Save keeps the file's mode
//
// A missing file is created empty with mode 0600; an existing file keeps its
// owner's permissions and loses those of its group and of others. False when
// the file can be neither created nor changed (the folder is missing or not
// writable, the file belongs to somebody else), or is not a regular file.
#include <string>

bool MakePrivateFile(const std::string& path);
