#include "tasks/TaskTextFile.h"

#include "settings/IniFile.h"

namespace {
constexpr const char* kSection = ".";
}

const char kTaskTextFilter[] = "发布信息数据文件 (*.txt)|*.txt|所有文件 (*.*)|*.*||";
const char kTaskTextExtension[] = ".txt";

bool WriteTaskTextFile(const std::string& path, const TaskText& task) {
    CIniFile file;
    file.SetString(kSection, "Title", task.title);
    file.SetString(kSection, "Text", task.text);
    file.SetString(kSection, "Comment", task.comment);
    return file.Save(path);
}

bool ReadTaskTextFile(const std::string& path, TaskText& task) {
    CIniFile file;
    if (file.Load(path) != EIniLoad::Loaded)
        return false;
    std::string title = file.GetString(kSection, "Title");
    if (title.empty())
        return false;
    task.title = std::move(title);
    task.text = file.GetString(kSection, "Text");
    task.comment = file.GetString(kSection, "Comment");
    return true;
}
