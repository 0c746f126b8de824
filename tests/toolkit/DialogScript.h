#pragma once
// What the toolkit tests share: running a modal dialog through the scripted
// seam, reaching its controls, and rectangles in failure messages.
#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QPushButton>
#include <QRect>
#include <gtest/gtest.h>
#include <ostream>

// Runs the dialog: script gets the live dialog as its own class and may end
// it; otherwise it is cancelled. Message boxes are answered through seam.
template <typename Dialog, typename Script>
int RunDialog(ScriptedInteraction& seam, Dialog& dialog, Script script) {
    seam.ExpectDialog([&](CDialog& d) {
        script(static_cast<Dialog&>(d));
        if (!d.IsEnded())
            d.SendCommand(IDCANCEL);
    });
    return dialog.DoModal();
}

template <typename T = QWidget> T* Item(const CWnd& window, int id) {
    return qobject_cast<T*>(window.GetDlgItem(id));
}

inline void Click(const CWnd& window, int id) {
    Item<QPushButton>(window, id)->click();
}

inline void PrintTo(const QRect& r, std::ostream* out) {
    *out << "(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}
