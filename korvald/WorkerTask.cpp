#include "korvald/WorkerTask.h"

#include "platform/CodePage.h"

#include <cstddef>

namespace {

constexpr size_t kMaxKeyDigits = 18; // every such number fits a 64-bit key

std::string WithoutLeadingZeros(const std::string& digits) {
    const size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

} // namespace

bool IsDecimalKey(std::string_view text) {
    if (text.empty() || text.size() > kMaxKeyDigits)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::string WorkerTask::FileStem() const {
    return kind == TaskKind::Publish ? "data/nimbrel" + key : "data/RegisterUser" + key;
}

std::string WorkerTask::Describe() const {
    return kind == TaskKind::Publish ? "task " + key : std::string("the registration");
}

bool ParseTaskArgument(const std::string& argument, WorkerTask& task, std::string& error) {
    std::string name, key;
    bool hasName = false, hasKey = false;
    size_t start = 0;
    while (start <= argument.size()) {
        size_t end = argument.find('&', start);
        if (end == std::string::npos)
            end = argument.size();
        const std::string item = argument.substr(start, end - start);
        const size_t eq = item.find('=');
        const std::string field = item.substr(0, eq);
        if (eq != std::string::npos && GbkEqualNoCase(field, "task") && !hasName) {
            name = item.substr(eq + 1);
            hasName = true;
        } else if (eq != std::string::npos && GbkEqualNoCase(field, "keyid") && !hasKey) {
            key = item.substr(eq + 1);
            hasKey = true;
        } else {
            error = "unexpected \"" + item + "\" (expected task=... and Keyid=..., once each)";
            return false;
        }
        start = end + 1;
    }
    if (!hasName || !hasKey) {
        error = "the argument needs both task= and Keyid=";
        return false;
    }
    if (GbkEqualNoCase(name, "Nimbrel"))
        task.kind = TaskKind::Publish;
    else if (GbkEqualNoCase(name, "RegisterUser"))
        task.kind = TaskKind::Register;
    else {
        error = "unknown task \"" + name + "\": use Nimbrel or RegisterUser";
        return false;
    }
    if (!IsDecimalKey(key) || WithoutLeadingZeros(key) == "0") {
        error = "Keyid \"" + key + "\" is not a positive decimal number";
        return false;
    }
    task.key = WithoutLeadingZeros(key);
    if (task.kind == TaskKind::Register && task.key != "1") {
        error = "the registration record is always Keyid=1";
        return false;
    }
    return true;
}
