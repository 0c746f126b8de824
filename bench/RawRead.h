#pragma once
// The raw reference of the list benchmarks: a select stepped with the SQLite
// C API, every column's text copied into strings, on a connection opened as
// Qt's driver opens the screens' one (without the library's per-connection
// mutex, which costs every call of the C API).
#include <string>
#include <vector>

// The texts of the first rows rows, row by row; empty with the reason in
// error when the select fails or gives fewer rows. The file's connection is
// opened on the first call and kept.
std::vector<std::string> ReadRawTexts(const std::string& file, const std::string& selectUtf8,
                                      int rows, std::string& error);
