#pragma once
// The records of a dialog built at run time: one section per control (with
// its ControlId), and the parameters in section ".".
class CIniFile;
class CWnd;

// Copies the current text of every control whose record has a ControlId of
// 1 or more into the record's Value; a record whose id no window carries gets
// the empty text.
void StoreControlTexts(CIniFile& document, const CWnd& dialog);
