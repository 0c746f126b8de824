#include "tasks/TaskRecord.h"

#include "database/SqlStatement.h"

#include <ctime>

std::string CurrentTaskTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

void SetNewTaskFields(CSqlInsert& insert, const std::string& classPath, int classKey) {
    const std::string now = CurrentTaskTime();
    insert.SetTableName("Nimbrel");
    insert.SetText("ClassPath", classPath);
    insert.SetNumber("TaskClass", classKey);
    insert.SetNumber("TaskStatus", 0);
    insert.SetText("CreateTime", now);
    insert.SetText("LastTime", now);
    for (const char* count : {"TotalCount", "Progress", "SuccessCount", "ErrorCount"})
        insert.SetNumber(count, 0);
}
