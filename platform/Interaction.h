#pragma once
// Everything that blocks on the user or leaves the program goes through one
// replaceable seam: message boxes, file dialogs, the wait cursor, opening a
// web address, starting a program and running a modal dialog. The desktop
// implementation uses Qt; tests install a scripted one.
#include "platform/Types.h"

#include <string>

class CWnd;
class CDialog;

struct FileDialogRequest {
    bool save = false;
    std::string defaultExtension; // ".txt"
    std::string fileName;         // initial name, may be empty
    std::string filter;           // "text (*.txt)|*.txt|all (*.*)|*.*||"
};

class CInteraction {
public:
    virtual ~CInteraction() = default;
    // Returns IDOK, IDCANCEL, IDYES or IDNO.
    virtual int MessageBox(CWnd* owner, const std::string& text, unsigned type) = 0;
    // True with the chosen path (GBK), false when the user cancelled.
    virtual bool ChooseFile(CWnd* owner, const FileDialogRequest& request, std::string& path) = 0;
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
