#pragma once
// The task file that a launch hands to Korvald.exe: one line per site of a
// select of keyid and Name, in the order the database returns them: the key,
// ",", the name, CR LF (GBK; a NULL key or name writes nothing for its part).
// A line break inside a name would end its line early and start one of its
// own, which the worker would take for a site the user never chose: each CR
// and LF of a name is written as a blank.
//
// The file is put in place whole (CFileWriter): on a full disk, or in a
// folder that takes no new file and holds none to rewrite, the previous file
// stays as it was. A select that fails reads as no sites: an empty file.
#include <string>

class CAdoDatabase;

// The number of sites written, or -1 when the file could not be written,
// with the errno value that says why in error.
int WriteWorkerTaskFile(CAdoDatabase* database, const std::string& select, const std::string& path,
                        int& error);
