#pragma once
// Task text files: the title, body and remark of a task kept outside the
// database, so that prepared information can be used again. The file is an
// INI document with one section "." and the keys Title, Text and Comment, as
// CIniFile writes it (line breaks escaped on one line, GBK):
//
//     \r\n[.]\r\nTitle=...\r\nText=line 1\r\nline 2\r\nComment=...\r\n
//
// with the body's line break written as the four characters \r\n. Reading
// matches section and key names without regard to case; other sections and
// keys are ignored. Only these three texts travel: product facts, category
// and bookkeeping stay in the database.
#include <string>

struct TaskText {
    std::string title;
    std::string text;
    std::string comment;
};

// The file dialogs' filter; their default extension is ".txt".
extern const char kTaskTextFilter[];
extern const char kTaskTextExtension[];

// Replaces the file; false when it cannot be written.
bool WriteTaskTextFile(const std::string& path, const TaskText& task);
// False when the file gives no title (missing, unreadable, no "." section,
// no or an empty Title) or holds a text that is not GBK (a form would show
// and save its stray bytes as "?"); task is then unchanged. A missing Text
// or Comment reads as empty.
bool ReadTaskTextFile(const std::string& path, TaskText& task);
