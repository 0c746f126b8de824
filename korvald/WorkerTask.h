#pragma once
// The task that one run of the worker works on, named by the program's one
// argument as the module starts it:
//   task=Nimbrel&Keyid=K        publishing of task K (table Nimbrel)
//   task=RegisterUser&Keyid=1   account registration (table RegisterUser, record 1)
// Names compare without regard to case, K is a positive decimal number, and
// nothing else may follow.
#include <string>
#include <string_view>

enum class TaskKind { Publish, Register };

struct WorkerTask {
    TaskKind kind = TaskKind::Publish;
    std::string key; // decimal, without leading zeros

    // The task's files below the host folder are this stem followed by
    // ".tsk" (the sites), ".log" (the outcomes) and ".lock" (one run at a time):
    // "data/nimbrel5" or "data/RegisterUser1".
    std::string FileStem() const;
    // "task 5" or "the registration", for messages.
    std::string Describe() const;
};

// false: error says what is wrong with the argument.
bool ParseTaskArgument(const std::string& argument, WorkerTask& task, std::string& error);

// A key as the task argument and the task file give it: 1 to 18 decimal
// digits (so that it fits the database's 64-bit keys).
bool IsDecimalKey(std::string_view text);
