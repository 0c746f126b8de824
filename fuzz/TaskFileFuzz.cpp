// The worker's outside input: its task file and its one argument.
//
// A task file the reader accepts has one site per line (LF ends a line, the
// last one may lack it), each with a key of decimal digits and a GBK name
// without a line end; written back the way the module writes it ("key,name"
// CR LF) it reads as the same sites. A refused file gives no site and says why.
// An accepted argument names a task whose files stay in data/.
#include "fuzz/FuzzSupport.h"
#include "korvald/TaskFile.h"
#include "korvald/WorkerTask.h"
#include "platform/CodePage.h"

#include <QString>
#include <algorithm>

namespace {

std::size_t LineCount(std::string_view text) {
    const auto ends = std::size_t(std::count(text.begin(), text.end(), '\n'));
    return ends + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

void CheckTaskFile(std::string_view bytes) {
    std::vector<TaskSite> sites;
    std::string error;
    if (!ReadTaskFile(WriteFuzzFile("task.tsk", bytes), sites, error)) {
        FUZZ_CHECK(sites.empty() && !error.empty());
        return;
    }
    FUZZ_CHECK(sites.size() == LineCount(bytes));
    std::string rewritten;
    for (const TaskSite& site : sites) {
        FUZZ_CHECK(IsDecimalKey(site.key));
        FUZZ_CHECK(site.name.find('\n') == std::string::npos);
        FUZZ_CHECK(!FromGbk(site.name).contains(QChar(0xFFFD)));
        rewritten += site.key + "," + site.name + "\r\n";
    }
    std::vector<TaskSite> again;
    FUZZ_CHECK(ReadTaskFile(WriteFuzzFile("rewritten.tsk", rewritten), again, error));
    FUZZ_CHECK(again.size() == sites.size());
    for (std::size_t i = 0; i < sites.size(); ++i)
        FUZZ_CHECK(again[i].key == sites[i].key && again[i].name == sites[i].name);
}

void CheckArgument(std::string_view bytes) {
    WorkerTask task;
    std::string error;
    if (!ParseTaskArgument(std::string(bytes), task, error)) {
        FUZZ_CHECK(!error.empty());
        return;
    }
    FUZZ_CHECK(IsDecimalKey(task.key) && task.key[0] != '0');
    const std::string stem = task.FileStem();
    FUZZ_CHECK(stem == "data/nimbrel" + task.key || stem == "data/RegisterUser1");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = FuzzBytes(data, size);
    CheckTaskFile(bytes);
    CheckArgument(bytes);
    return 0;
}
