#include "toolkit/UiProfile.h"

#include "platform/HostFolder.h"
#include "settings/IniFile.h"

COLORREF ProfileColor(const std::string& section, const std::string& key, COLORREF fallback) {
    CIniFile profile;
    profile.Load(HostPath("uiprofile.ini")); // a missing file reads as an empty one
    if (profile.GetString(section, key).empty())
        return fallback;
    return static_cast<COLORREF>(profile.GetInt(section, key));
}
