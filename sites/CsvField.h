#pragma once
// A text field of the CSV export: its bytes in double quotes, each double
// quote doubled, nothing else escaped (commas and line breaks stay inside the
// quotes). A GBK trail byte is never a double quote (0x22), so the bytes of a
// GBK text can be scanned one by one. No text (a NULL) gives "".
#include <string>

void AppendQuotedField(std::string& line, const char* text);
