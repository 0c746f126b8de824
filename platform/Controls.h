#pragma once
// Control ids and text access for plain controls (labels, edits, combo boxes,
// buttons), which are toolkit widgets owned by a row layout rather than CWnd
// objects. Texts are GBK.
#include <string>

class QWidget;

void SetControlId(QWidget* control, int id);
int ControlId(const QWidget* control); // 0 when the control has none

std::string GetControlText(const QWidget* control);
void SetControlText(QWidget* control, const std::string& text);

// Selects the first choice of a combo box that begins with prefix, letter case
// ignored; -1 (and no selection) when none does or the prefix is empty.
int SelectComboString(QWidget* combo, const std::string& prefix);

// Makes the control report to the window that owns it: clicks as BN_CLICKED,
// edit changes as EN_CHANGE, list choices as CBN_SELCHANGE, with its id.
void ConnectCommands(QWidget* control);
