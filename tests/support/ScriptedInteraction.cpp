#include "tests/support/ScriptedInteraction.h"

#include "platform/CodePage.h"
#include "platform/Dialog.h"
#include "platform/HostFolder.h"

#include <QProcess>
#include <QString>
#include <algorithm>
#include <gtest/gtest.h>

ScriptedInteraction::ScriptedInteraction() {
    SetInteraction(this);
}

ScriptedInteraction::~ScriptedInteraction() {
    SetInteraction(nullptr);
    EXPECT_TRUE(m_boxAnswers.empty()) << m_boxAnswers.size() << " message box answer(s) unused";
    EXPECT_TRUE(m_files.empty()) << m_files.size() << " file dialog answer(s) unused";
    EXPECT_TRUE(m_menuAnswers.empty()) << m_menuAnswers.size() << " popup menu answer(s) unused";
    EXPECT_TRUE(m_dialogs.empty()) << m_dialogs.size() << " dialog script(s) unused";
    EXPECT_EQ(m_waitDepth, 0) << "wait cursor left on";
}

int ScriptedInteraction::MessageBox(CWnd*, const std::string& text, unsigned type) {
    m_boxes.push_back({text, type});
    if (m_boxAnswers.empty()) {
        ADD_FAILURE() << "unexpected message box: " << FromGbk(text).toStdString();
        return type == MB_YESNO ? IDNO : (type == MB_OKCANCEL ? IDCANCEL : IDOK);
    }
    int answer = m_boxAnswers.front();
    m_boxAnswers.pop_front();
    return answer;
}

bool ScriptedInteraction::ChooseFile(CWnd*, const FileDialogRequest& request, std::string& path) {
    m_fileRequests.push_back(request);
    if (m_files.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return false;
    }
    path = m_files.front();
    m_files.pop_front();
    return !path.empty();
}

namespace {
std::string Entries(const MenuRequest& menu) {
    std::string entries;
    for (const MenuItem& item : menu.items)
        entries += " " + std::to_string(item.id) + " " + FromGbk(item.text).toStdString() + ";";
    return entries;
}
} // namespace

int ScriptedInteraction::PopupMenu(CWnd*, const MenuRequest& menu) {
    m_menus.push_back(menu);
    if (m_menuAnswers.empty()) {
        ADD_FAILURE() << "unexpected popup menu:" << Entries(menu);
        return 0;
    }
    const int id = m_menuAnswers.front();
    m_menuAnswers.pop_front();
    const bool offered = std::any_of(menu.items.begin(), menu.items.end(),
                                     [id](const MenuItem& item) { return item.id == id; });
    if (id != 0 && !offered) {
        ADD_FAILURE() << "scripted menu choice " << id
                      << " is not among the entries:" << Entries(menu);
        return 0;
    }
    return id;
}

void ScriptedInteraction::SetWaitCursor(bool on) {
    if (on) {
        ++m_waitShown;
        ++m_waitDepth;
    } else {
        --m_waitDepth;
    }
}

bool ScriptedInteraction::OpenUrl(const std::string& address) {
    m_urls.push_back(address);
    return true;
}

bool ScriptedInteraction::StartProgram(const std::string& path, const std::string& parameters) {
    m_launches.push_back({path, parameters});
    if (!m_realLaunch)
        return true;
    return QProcess::startDetached(FromPath(path), {FromGbk(parameters)}, FromPath(HostFolder()));
}

int ScriptedInteraction::RunModal(CDialog& dialog) {
    if (!dialog.CreateModalWindow()) {
        ADD_FAILURE() << "dialog window could not be created";
        return -1;
    }
    if (!dialog.IsEnded()) {
        if (m_dialogs.empty()) {
            ADD_FAILURE() << "unexpected dialog";
            dialog.EndDialog(IDCANCEL);
        } else {
            auto script = std::move(m_dialogs.front());
            m_dialogs.pop_front();
            script(dialog);
            if (!dialog.IsEnded()) {
                ADD_FAILURE() << "dialog script left the dialog open";
                dialog.EndDialog(IDCANCEL);
            }
        }
    }
    int result = dialog.Result();
    dialog.DestroyWindow();
    return result;
}
