#pragma once
// A modal dialog in the window model: DoModal creates the window, runs
// OnInitDialog, lets the user work until EndDialog, destroys the window and
// gives the result. Controls with id 1 and 2 end it through OnOK and
// OnCancel; Esc and the close box cancel, Enter confirms. The modal run goes
// through the interaction seam, so tests drive a live dialog without a loop.
#include "platform/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(CWnd* parent = nullptr);

    int DoModal();
    void EndDialog(int result);
    // Centres the window over its owner (over the screen without one).
    void CenterWindow();

    CWnd* ParentWindow() const { return m_parent; }
    void SetParentWindow(CWnd* parent) { m_parent = parent; }

    // The steps of DoModal, for the interaction seam.
    bool CreateModalWindow(); // window made and initialised
    int RunModalLoop();       // waits for EndDialog
    bool IsEnded() const { return m_ended; }
    int Result() const { return m_result; }

protected:
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    bool OnCommand(int id, int code) override;
    QWidget* CreateWidget(QWidget* parent) override;

private:
    CWnd* m_parent;
    bool m_ended = false;
    int m_result = -1;
};
