#pragma once
// Everything that blocks on the user or leaves the program goes through one
// replaceable seam: message boxes, file dialogs, popup menus, the wait cursor,
// opening a web address, starting a program and running a modal dialog. The
// desktop implementation uses Qt; tests install a scripted one.
#include "platform/Types.h"

#include <string>
#include <utility>
#include <vector>

class CWnd;
class CDialog;
class QWidget;

struct FileDialogRequest {
    bool save = false;
    std::string defaultExtension; // ".txt"
    std::string fileName;         // initial name, may be empty
    std::string filter;           // "text (*.txt)|*.txt|all (*.*)|*.*||"
};

// One entry of a popup menu: a command with its id (1 or more), its GBK text
// and optionally a picture of the host folder's "images/" (white shows as
// transparent, as on the buttons). An entry with id 0 is a separator.
struct MenuItem {
    MenuItem() = default;
    MenuItem(int id, std::string text, std::string picture = {})
        : id(id), text(std::move(text)), picture(std::move(picture)) {}
    static MenuItem Separator() { return {}; }

    int id = 0;
    std::string text;
    std::string picture; // "item.gif", or empty for none
};

// A popup menu and where its top-left corner goes: below the anchor control,
// at its left edge, when there is one; else at screenPoint.
//
//     MenuRequest menu;
//     menu.items = {{6001, "添加分类"}, {6003, "修改分类名称"}, {6004, "删除分类"}};
//     menu.anchor = panel.GetDlgItem(6002);      // or menu.screenPoint = info.screenPoint
//     PostCommand(ShowPopupMenu(this, menu));    // 0: dismissed, which nothing handles
struct MenuRequest {
    std::vector<MenuItem> items;
    CPoint screenPoint;
    QWidget* anchor = nullptr;
};

class CInteraction {
public:
    virtual ~CInteraction() = default;
    // Returns IDOK, IDCANCEL, IDYES or IDNO.
    virtual int MessageBox(CWnd* owner, const std::string& text, unsigned type) = 0;
    // True with the chosen path (path bytes, see FromPath), false when the
    // user cancelled.
    virtual bool ChooseFile(CWnd* owner, const FileDialogRequest& request, std::string& path) = 0;
    // Shows the menu until the user chooses or dismisses it; gives the chosen
    // entry's id, 0 when dismissed. Left and right button both choose.
    virtual int PopupMenu(CWnd* owner, const MenuRequest& menu) = 0;
    virtual void SetWaitCursor(bool on) = 0;
    // address is already checked and complete (http or https).
    virtual bool OpenUrl(const std::string& address) = 0;
    // path is already checked: an absolute path below the host folder.
    virtual bool StartProgram(const std::string& path, const std::string& parameters) = 0;
    virtual int RunModal(CDialog& dialog) = 0;
};

CInteraction& Interaction();
// Installs a seam (not owned); null returns to the desktop implementation.
void SetInteraction(CInteraction* interaction);

// The caption-less message box of the system ("the application's caption").
int AfxMessageBox(const std::string& text, unsigned type = MB_OK, CWnd* owner = nullptr);

// Shows a popup menu through the seam: the chosen entry's id, 0 when dismissed.
int ShowPopupMenu(CWnd* owner, const MenuRequest& menu);

// Opens a web address: http and https as given, a bare host name as http;
// anything else is not opened and gives false.
bool OpenWebAddress(const std::string& address);
// The complete address OpenWebAddress would open, or empty when it refuses.
std::string NormalizeWebAddress(const std::string& address);

// Starts a program of the host folder, given by its absolute path, with the
// parameter text as one argument, detached, without a shell. Any other path
// (a bare name, a relative path, one outside the folder) gives false.
bool StartProgram(const std::string& path, const std::string& parameters);

// "desc (*.a)|*.a|desc2|*.b||" -> Qt's "desc (*.a);;desc2 (*.b)".
std::string QtFileFilter(const std::string& windowsFilter);

// Shows the wait cursor for the life of the object.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
