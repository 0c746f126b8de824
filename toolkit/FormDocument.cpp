#include "toolkit/FormDocument.h"

#include "platform/Wnd.h"
#include "settings/IniFile.h"

#include <string>
#include <vector>

void StoreControlTexts(CIniFile& document, const CWnd& dialog) {
    std::vector<std::string> sections;
    document.GetSectionNames(sections);
    for (const std::string& section : sections) {
        if (section == ".")
            continue;
        const int id = document.GetInt(section, "ControlId");
        if (id >= 1)
            document.SetString(section, "Value", dialog.GetDlgItemText(id));
    }
}
