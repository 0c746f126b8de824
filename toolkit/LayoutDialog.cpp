#include "toolkit/LayoutDialog.h"

#include <QWidget>

CLayoutDialog::CLayoutDialog(std::string caption, int width, int height)
    : m_layout(this), m_caption(std::move(caption)), m_width(width), m_height(height) {}

CLayoutDialog::~CLayoutDialog() = default;

void CLayoutDialog::SetOpeningSize(int width, int height) {
    m_width = width;
    m_height = height;
}

bool CLayoutDialog::OnInitDialog() {
    CCodeDialog::OnInitDialog();
    SetWindowText(m_caption);
    m_layout.Clear(); // rows of an earlier opening, whose windows went with it
    BuildRows(m_layout);
    if (m_width > 0 && m_height > 0)
        SetWindowSize(m_width, m_height);
    CenterWindow();
    Widget()->show();
    const CRect client = GetClientRect();
    m_layout.Arrange(client.Width(), client.Height());
    return true;
}

void CLayoutDialog::OnSize(int cx, int cy) {
    m_layout.Arrange(cx, cy);
    Invalidate();
}
