#pragma once
// The task file that the module writes before it starts the worker:
// data/nimbrel<K>.tsk or data/RegisterUser1.tsk, GBK, one line per site:
// the site's key in decimal, ",", the site's name, CR LF. The name is
// everything after the first comma: it may hold commas itself, and it is
// empty for a site without a name. A bare LF also ends a line, and the last
// line may lack its line end.
#include <string>
#include <vector>

struct TaskSite {
    std::string key; // decimal, as the file gives it
    std::string name;
};

// Reads and checks the whole file, so that a bad line ends a run before it
// has changed anything. false: error names the missing or unreadable file, or
// the first bad line by its number (a line without a comma, a key that is not
// a decimal number, a name that is not GBK text).
bool ReadTaskFile(const std::string& path, std::vector<TaskSite>& sites, std::string& error);
