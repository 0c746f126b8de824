#include "tasks/TaskTextFile.h"

#include "platform/CodePage.h"
#include "settings/IniFile.h"

#include <utility>

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
    TaskText read{file.GetString(kSection, "Title"), file.GetString(kSection, "Text"),
                  file.GetString(kSection, "Comment")};
    if (read.title.empty())
        return false;
    for (const std::string* text : {&read.title, &read.text, &read.comment})
        if (!IsGbkText(*text))
            return false;
    task = std::move(read);
    return true;
}
