#pragma once
// What the task editor's and the task list's tests share.
#include "platform/Controls.h"
#include "tests/database/support/TestDatabase.h"
#include "tests/support/ScriptedInteraction.h"

#include <QPushButton>
#include <QWidget>

using Rows = std::vector<Row>;

// The text of the last message box shown, empty before the first.
inline std::string LastBox(const ScriptedInteraction& seam) {
    return seam.Boxes().empty() ? std::string() : seam.Boxes().back().text;
}
