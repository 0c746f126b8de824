#include "toolkit/CategoryNameDialog.h"

#include "platform/Interaction.h"

#include <QWidget>

namespace {

constexpr int kFixed = CRowLayout::kFixed;
constexpr int kStretch = CRowLayout::kStretch;

} // namespace

CCategoryNameDialog::CCategoryNameDialog() = default;
CCategoryNameDialog::~CCategoryNameDialog() = default;

bool CCategoryNameDialog::OnInitDialog() {
    CCodeDialog::OnInitDialog();
    SetWindowText("输入分类名称");
    SetWindowSize(kWidth, kHeight);
    BuildRows();
    Invalidate();
    CenterWindow();
    Widget()->show();
    const CRect client = GetClientRect();
    m_layout.Arrange(client.Width(), client.Height());
    SetDlgItemText(kNameEditId, m_name);
    // The edit box is the first control that takes the focus.
    FocusDlgItem(kNameEditId);
    return true;
}

void CCategoryNameDialog::BuildRows() {
    m_layout.Clear(); // rows of an earlier run, whose windows went with it
    m_layout.SetParent(this);

    CRowLayout::Row* nameRow = m_layout.AddRow(24, kFixed);
    m_layout.AddLabel(nameRow, "分类名称:", 0, 80, kFixed);
    m_layout.AddEdit(nameRow, kNameEditId, 100, kStretch);

    m_layout.AddRow(60, kFixed);

    // The three empty cells share the free width, so the buttons stay in
    // the middle with equal space around them.
    CRowLayout::Row* buttonRow = m_layout.AddRow(24, kFixed);
    m_layout.AddCell(buttonRow, nullptr, 60, kStretch);
    m_layout.AddButton(buttonRow, "确定", IDOK, 80, kFixed);
    m_layout.AddCell(buttonRow, nullptr, 60, kStretch);
    m_layout.AddButton(buttonRow, "取消", IDCANCEL, 80, kFixed);
    m_layout.AddCell(buttonRow, nullptr, 60, kStretch);
}

void CCategoryNameDialog::OnOK() {
    // Taken exactly as typed: a name of blanks is a name.
    m_name = GetDlgItemText(kNameEditId);
    if (m_name.empty()) {
        AfxMessageBox("名称不能为空", MB_OK, this);
        return;
    }
    EndDialog(IDOK);
}

void CCategoryNameDialog::OnSize(int cx, int cy) {
    m_layout.Arrange(cx, cy);
}
