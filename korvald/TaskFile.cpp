#include "korvald/TaskFile.h"

#include "korvald/WorkerTask.h"
#include "platform/CodePage.h"

#include <QFile>
#include <QString>

namespace {

// GBK text decodes without a replacement character: GBK has no character of
// its own for it, so one in the result marks bytes that are not GBK.
bool IsGbk(std::string_view text) {
    return !FromGbk(text).contains(QChar(0xFFFD));
}

// Empty when the line is good; otherwise what is wrong with it.
std::string CheckLine(std::string_view line, TaskSite& site) {
    const size_t comma = line.find(',');
    if (comma == std::string_view::npos)
        return "has no comma between key and name";
    const std::string_view key = line.substr(0, comma);
    if (!IsDecimalKey(key))
        return "has a key that is not a decimal number";
    const std::string_view name = line.substr(comma + 1);
    if (!IsGbk(name))
        return "has a name that is not GBK text";
    site.key.assign(key);
    site.name.assign(name);
    return {};
}

} // namespace

bool ReadTaskFile(const std::string& path, std::vector<TaskSite>& sites, std::string& error) {
    sites.clear();
    QFile file(FromPath(path));
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = "cannot read the task file " + path + ": " + ToGbk(file.errorString());
        return false;
    }
    const std::string_view text(bytes.constData(), size_t(bytes.size()));
    size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        TaskSite site;
        const std::string problem = CheckLine(line, site);
        if (!problem.empty()) {
            error = "line " + std::to_string(number) + " of the task file " + path + " " + problem;
            sites.clear();
            return false;
        }
        sites.push_back(std::move(site));
        start = end + 1;
    }
    return true;
}
