#pragma once
// The interaction of a host run that nobody watches (--screenshot): a screen
// that asks something while it is being rendered must not wait for ever on a
// box that no one can see. Message boxes are written to standard error and
// answered as a user who declines would answer them (OK, No, Cancel); file
// dialogs and menus are dismissed. Everything else is left to the desktop
// seam. Installed for the life of the object.
#include "platform/Interaction.h"

class UnattendedInteraction final : public CInteraction {
public:
    UnattendedInteraction();
    ~UnattendedInteraction() override;
    UnattendedInteraction(const UnattendedInteraction&) = delete;
    UnattendedInteraction& operator=(const UnattendedInteraction&) = delete;

    int MessageBox(CWnd* owner, const std::string& text, unsigned type) override;
    bool ChooseFile(CWnd* owner, const FileDialogRequest& request, std::string& path) override;
    int PopupMenu(CWnd* owner, const MenuRequest& menu) override;
    void SetWaitCursor(bool on) override { m_desktop.SetWaitCursor(on); }
    bool OpenUrl(const std::string& address) override { return m_desktop.OpenUrl(address); }
    bool StartProgram(const std::string& path, const std::string& parameters) override {
        return m_desktop.StartProgram(path, parameters);
    }
    int RunModal(CDialog& dialog) override { return m_desktop.RunModal(dialog); }

private:
    CInteraction& m_desktop;
};
