#pragma once
// A borderless strip of buttons: a child window with a row layout of its own,
// painted in the panel colour of the user-interface profile. It handles no
// command or notification itself: those of its buttons and other children go
// on unchanged to its parent, so a screen hears its toolbar buttons by id.
#include "platform/Wnd.h"
#include "toolkit/RowLayout.h"

#include <string>

class QWidget;

class CLayoutPanel : public CWnd {
public:
    // Window styles a caller may pass to Create. Only visibility is taken
    // from them; a panel never has a border or a sunken edge.
    static constexpr unsigned kChild = 0x40000000;
    static constexpr unsigned kVisible = 0x10000000;

    // Takes its colour from [LayoutCtrl] BackColor of the profile, else the
    // 3D face colour; the profile is not read again later.
    CLayoutPanel();
    ~CLayoutPanel() override;

    using CWnd::Create;
    // False without a parent window: a panel is always a child window.
    bool Create(const CRect& rect, CWnd* parent, int id, unsigned style = kChild | kVisible);

    // Rows and buttons of the panel's own layout; buttons are image buttons
    // with transparent drawing, so the panel colour shows around picture and
    // caption. The panel's layout owns them.
    CRowLayout::Row* AddRow(int height, int flags);
    QWidget* AddButton(CRowLayout::Row* row, const std::string& caption, int id, int width,
                       int flags);

    COLORREF GetBackColor() const { return m_backColor; }
    CRowLayout& Layout() { return m_layout; }

protected:
    bool OnCreate() override;
    void OnSize(int cx, int cy) override;
    void OnDestroy() override;

private:
    COLORREF m_backColor;
    CRowLayout m_layout;
};
