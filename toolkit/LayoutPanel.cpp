#include "toolkit/LayoutPanel.h"

#include "platform/SysColor.h"
#include "toolkit/UiProfile.h"
#include "widgets/ButtonPicture.h"

#include <QWidget>

CLayoutPanel::CLayoutPanel()
    : m_backColor(ProfileColor("LayoutCtrl", "BackColor", GetSysColor(COLOR_3DFACE))) {}

// The window goes while the layout still exists, so the buttons leave
// through OnDestroy like on any other destruction.
CLayoutPanel::~CLayoutPanel() {
    DestroyWindow();
}

bool CLayoutPanel::Create(const CRect& rect, CWnd* parent, int id, unsigned style) {
    if (!parent || !parent->IsWindow())
        return false;
    if (!CWnd::Create(parent, rect, id))
        return false;
    if ((style & kVisible) == 0)
        Widget()->hide();
    return true;
}

bool CLayoutPanel::OnCreate() {
    SetBackColor(m_backColor);
    return true;
}

CRowLayout::Row* CLayoutPanel::AddRow(int height, int flags) {
    m_layout.SetParent(this);
    return m_layout.AddRow(height, flags);
}

QWidget* CLayoutPanel::AddButton(CRowLayout::Row* row, const std::string& caption, int id,
                                 int width, int flags) {
    QWidget* button = m_layout.AddButton(row, caption, id, width, flags);
    if (button)
        SetButtonTransparentDrawing(button, true);
    return button;
}

void CLayoutPanel::OnSize(int cx, int cy) {
    if (IsWindow())
        m_layout.Arrange(cx, cy);
}

void CLayoutPanel::OnDestroy() {
    m_layout.Clear();
}
