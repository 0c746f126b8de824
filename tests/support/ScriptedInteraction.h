#pragma once
// A scripted stand-in for everything that would block on the user. A test
// queues the answers it expects; a message box, file dialog, popup menu or
// dialog that was not expected, or an answer left unused, fails the test.
// What was shown is recorded.
#include "platform/Interaction.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class ScriptedInteraction : public CInteraction {
public:
    struct Box {
        std::string text;
        unsigned type;
    };
    struct Launch {
        std::string path;
        std::string parameters;
    };

    ScriptedInteraction();           // installs itself
    ~ScriptedInteraction() override; // uninstalls, fails on unused answers

    void ExpectBox(int answer) { m_boxAnswers.push_back(answer); }
    void ExpectFile(std::string path) { m_files.push_back(std::move(path)); }
    void ExpectFileCancel() { m_files.push_back(std::string()); }
    // The next popup menu chooses the entry with this id, which must be one
    // of its commands; or it is dismissed (0).
    void ExpectMenu(int id) { m_menuAnswers.push_back(id); }
    void ExpectMenuDismiss() { m_menuAnswers.push_back(0); }
    // The script gets the live, initialised dialog and must end it, e.g. by
    // sending it IDOK or IDCANCEL.
    void ExpectDialog(std::function<void(CDialog&)> script) {
        m_dialogs.push_back(std::move(script));
    }
    // Start programs for real (launch tests) besides recording them.
    void SetRealLaunch(bool real) { m_realLaunch = real; }

    const std::vector<Box>& Boxes() const { return m_boxes; }
    const std::vector<FileDialogRequest>& FileRequests() const { return m_fileRequests; }
    const std::vector<MenuRequest>& Menus() const { return m_menus; }
    const std::vector<std::string>& OpenedUrls() const { return m_urls; }
    const std::vector<Launch>& Launches() const { return m_launches; }
    int WaitCursorShown() const { return m_waitShown; }
    int WaitCursorDepth() const { return m_waitDepth; }

    int MessageBox(CWnd* owner, const std::string& text, unsigned type) override;
    bool ChooseFile(CWnd* owner, const FileDialogRequest& request, std::string& path) override;
    int PopupMenu(CWnd* owner, const MenuRequest& menu) override;
    void SetWaitCursor(bool on) override;
    bool OpenUrl(const std::string& address) override;
    bool StartProgram(const std::string& path, const std::string& parameters) override;
    int RunModal(CDialog& dialog) override;

private:
    std::deque<int> m_boxAnswers;
    std::deque<std::string> m_files;
    std::deque<int> m_menuAnswers;
    std::deque<std::function<void(CDialog&)>> m_dialogs;
    std::vector<Box> m_boxes;
    std::vector<FileDialogRequest> m_fileRequests;
    std::vector<MenuRequest> m_menus;
    std::vector<std::string> m_urls;
    std::vector<Launch> m_launches;
    int m_waitShown = 0;
    int m_waitDepth = 0;
    bool m_realLaunch = false;
};
