#pragma once
// What the task screens write into every new row of the task table Nimbrel,
// whether the editor stores a new task or the list copies one.
#include <string>

class CSqlInsert;

// The local time as the task table stores it: "%Y-%m-%d %H:%M:%S".
std::string CurrentTaskTime();

// Table, category (ClassPath and TaskClass) and bookkeeping of a new task:
// TaskStatus 0, CreateTime and LastTime now, TotalCount, Progress,
// SuccessCount and ErrorCount 0. The caller adds the texts and may set a
// field again (a copy keeps its source's TotalCount).
void SetNewTaskFields(CSqlInsert& insert, const std::string& classPath, int classKey);
