#pragma once
// What the task editor's and the task list's tests share.
#include "platform/Controls.h"
#include "tests/database/support/TestDatabase.h"
#include "tests/support/ScriptedInteraction.h"

#include <QPushButton>
#include <QWidget>
#include <initializer_list>

using Rows = std::vector<Row>;

// A row of texts as ReadRows gives it; nullptr stands for NULL.
inline Row Texts(std::initializer_list<const char*> values) {
    Row row;
    for (const char* value : values)
        row.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    return row;
}

// The text of the last message box shown, empty before the first.
inline std::string LastBox(const ScriptedInteraction& seam) {
    return seam.Boxes().empty() ? std::string() : seam.Boxes().back().text;
}
