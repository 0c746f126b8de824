#include "toolkit/CategoryNameDialog.h"

#include "platform/Interaction.h"

namespace {

constexpr int kFixed = CRowLayout::kFixed;
constexpr int kStretch = CRowLayout::kStretch;

} // namespace

CCategoryNameDialog::CCategoryNameDialog() : CLayoutDialog("输入分类名称", kWidth, kHeight) {}
CCategoryNameDialog::~CCategoryNameDialog() = default;

void CCategoryNameDialog::BuildRows(CRowLayout& layout) {
    CRowLayout::Row* nameRow = layout.AddRow(24, kFixed);
    layout.AddLabel(nameRow, "分类名称:", 0, 80, kFixed);
    layout.AddEdit(nameRow, kNameEditId, 100, kStretch);

    layout.AddRow(60, kFixed);

    // The three empty cells share the free width, so the buttons stay in
    // the middle with equal space around them.
    CRowLayout::Row* buttonRow = layout.AddRow(24, kFixed);
    layout.AddCell(buttonRow, nullptr, 60, kStretch);
    layout.AddButton(buttonRow, "确定", IDOK, 80, kFixed);
    layout.AddCell(buttonRow, nullptr, 60, kStretch);
    layout.AddButton(buttonRow, "取消", IDCANCEL, 80, kFixed);
    layout.AddCell(buttonRow, nullptr, 60, kStretch);
}

bool CCategoryNameDialog::OnInitDialog() {
    CLayoutDialog::OnInitDialog();
    SetDlgItemText(kNameEditId, m_name);
    // The edit box is the first control that takes the focus.
    FocusDlgItem(kNameEditId);
    return true;
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
