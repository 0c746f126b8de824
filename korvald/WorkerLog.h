#pragma once
// The log of a task, data/nimbrel<K>.log or data/RegisterUser1.log: GBK text,
// one line per site and one for the problem that ends a run, each line
// starting with the local time "%Y-%m-%d %H:%M:%S", fields separated by tabs,
// ended by CR LF:
//   2024-05-01 10:00:00<TAB>12<TAB>site name<TAB>success<TAB>reason
//   2024-05-01 10:00:01<TAB>error<TAB>what ended the run
// Lines are appended, each with one write, so that a second run refused
// while the first is still logging never splits a line of the first.
#include <string>

struct TaskSite;

class CWorkerLog {
public:
    CWorkerLog() = default;
    ~CWorkerLog();
    CWorkerLog(const CWorkerLog&) = delete;
    CWorkerLog& operator=(const CWorkerLog&) = delete;

    // Opens the file for appending, creating it when missing. false: error says why.
    bool Open(const std::string& path, std::string& error);

    void Site(const TaskSite& site, bool success, const std::string& reason);
    // The line that ends a run; on standard error when no log is open or the
    // line cannot be written.
    void Error(const std::string& text);

private:
    void Append(const std::string& fields);

    int m_fd = -1;
};

// Writes a GBK text and a line end to standard error in the terminal's encoding.
void PrintError(const std::string& text);
// The system's description of errno as GBK text.
std::string ErrnoText();
