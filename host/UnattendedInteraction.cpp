#include "host/UnattendedInteraction.h"

#include "platform/CodePage.h"

#include <QString>
#include <cstdio>

UnattendedInteraction::UnattendedInteraction() : m_desktop(Interaction()) {
    SetInteraction(this);
}

UnattendedInteraction::~UnattendedInteraction() {
    SetInteraction(nullptr);
}

int UnattendedInteraction::MessageBox(CWnd*, const std::string& text, unsigned type) {
    std::fprintf(stderr, "message: %s\n", qPrintable(FromGbk(text)));
    switch (type) {
    case MB_YESNO:
        return IDNO;
    case MB_OKCANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

bool UnattendedInteraction::ChooseFile(CWnd*, const FileDialogRequest&, std::string&) {
    return false;
}

int UnattendedInteraction::PopupMenu(CWnd*, const MenuRequest&) {
    return 0;
}
