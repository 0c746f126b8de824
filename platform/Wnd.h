#pragma once
// The window model the system is written for: an object that exists before its
// window, creates it with Create (running OnCreate), destroys it with
// DestroyWindow (running OnDestroy), and receives commands and notifications
// from its child controls by id. The owner deletes the object after the window
// is gone; a window that vanished with its parent is simply no longer there.
//
// Destruction order, the rule every window class relies on:
// - OnDestroy runs once per window, whichever way the window goes: through
//   DestroyWindow (the owner's, a parent window object's) or with a parent
//   widget that Qt deletes. The object's own OnDestroy runs first, then that
//   of every child window object, top down; then the widgets are deleted.
// - OnDestroy runs on a whole object only if the window goes before the
//   object. ~CWnd destroys a window that is still there, but from the base
//   destructor it reaches nothing but CWnd::OnDestroy: the derived parts are
//   gone. So the object that owns a window makes sure it goes first: the
//   module hands out its screens as CDestroyWindowFirst<T> (and the host
//   destroys their windows before deleting them), and classes that others
//   hold as members (grid, tree, panel) destroy their window in their own
//   destructor, or are held as CDestroyWindowFirst<T>.
// - What must be saved when a window goes is saved by the object that owns
//   it, when its own window goes, never by a parent's OnDestroy on its behalf:
//   the grid binding saves the column widths when the grid's window ends
//   (CDataGrid::KeepColumnWidths), so a list screen has nothing to forget.
#include "platform/Types.h"

#include <string>

class QWidget;
class QObject;
class WndBridge;

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Creates the window as a visible child of parent (a top-level window when
    // there is none) at rect, then runs OnCreate. False when the object already
    // has a window or OnCreate refuses; the window is then gone again.
    // A child window asked for WS_BORDER or WS_EX_CLIENTEDGE (after
    // PreCreateWindow) gets that edge inside rect and around its client area,
    // as on Windows: GetWindowRect is rect, GetClientRect and OnSize the area
    // within the edges, where its controls live. Top-level windows take their
    // frame from the window system and ignore both.
    bool Create(CWnd* parent, const CRect& rect, int id, unsigned style = 0, unsigned exStyle = 0);
    bool Create(QWidget* parent, const CRect& rect, int id, unsigned style = 0,
                unsigned exStyle = 0);
    void DestroyWindow();

    QWidget* Widget() const;
    bool IsWindow() const { return Widget() != nullptr; }
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;
    CRect GetClientRect() const;
    CRect GetWindowRect() const; // in the parent's coordinates
    void MoveWindow(const CRect& rect);
    virtual void Invalidate();
    // Fills the window's background with the colour.
    void SetBackColor(COLORREF color);
    std::string GetWindowText() const;
    void SetWindowText(const std::string& text);

    // Child controls by id (direct children only).
    QWidget* GetDlgItem(int id) const;
    std::string GetDlgItemText(int id) const;
    bool SetDlgItemText(int id, const std::string& text);
    void EnableDlgItem(int id, bool enable);
    bool IsDlgItemEnabled(int id) const;
    void FocusDlgItem(int id);

    // Runs the command now; what this window does not handle goes on to its
    // parent (top-level windows keep theirs). True when somebody handled it.
    bool SendCommand(int id, int code = BN_CLICKED);
    // Runs the command after the current handler returns, in posting order.
    void PostCommand(int id, int code = BN_CLICKED);
    // Delivers a notification here; unhandled ones go on to the parent.
    bool SendNotify(const NotifyInfo& info);

    static CWnd* FromWidget(const QObject* widget);
    // The nearest window object at or above widget.
    static CWnd* OwnerOf(const QObject* widget);

protected:
    // Before the window exists: a class may change the styles it was asked for.
    virtual void PreCreateWindow(WindowStyle& requested);
    // Makes the window (its client area): a derived class returns its own
    // widget kind, which is what a window class is on Windows.
    virtual QWidget* CreateWidget(QWidget* parent);
    virtual bool OnCreate();
    virtual void OnDestroy();
    virtual void OnSize(int cx, int cy);
    virtual bool OnCommand(int id, int code);
    virtual bool OnNotify(const NotifyInfo& info);

private:
    friend class WndBridge;
    void Attach(QWidget* widget, QWidget* edge, int id);
    // The window as its parent sees it: the edge around the client area, or
    // the client area itself when it has none.
    QWidget* OuterWidget() const;
    void Detach();
    void RunDestroyHandlers();
    void OnWindowDeleted();

    WndBridge* m_bridge = nullptr;
};

// A window object of class T whose window goes in the destructor of this, the
// most derived class, while the whole T still exists: T's OnDestroy and its
// children's run even when the object is deleted with its window up.
template <class T> class CDestroyWindowFirst final : public T {
public:
    using T::T;
    ~CDestroyWindowFirst() override { this->DestroyWindow(); }
};
