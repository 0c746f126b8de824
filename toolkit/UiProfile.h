#pragma once
// The user-interface profile "uiprofile.ini" in the host folder, where an
// installation may change the background colours of panels and grids. Every
// key holds a COLORREF written in decimal. The file is only ever read.
#include "platform/Types.h"

#include <string>

// The colour of [section] key when its text is not empty, read as atoi reads
// it (leading digits; 0, black, when there are none); otherwise fallback.
// The file is read on every call, so a change shows in windows made later.
COLORREF ProfileColor(const std::string& section, const std::string& key, COLORREF fallback);
