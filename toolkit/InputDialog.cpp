#include "toolkit/InputDialog.h"

#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "toolkit/FormDocument.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kRowHeight = 24;
constexpr int kCaptionWidth = 80;
constexpr int kFieldWidth = 100;
constexpr int kButtonWidth = 80;
constexpr int kButtonGap = 100;
constexpr int kSpacerHeight = 20;
// Room for the spacer, the buttons and the frame below the fields.
constexpr int kExtraHeight = 100;
// More text rows than any screen shows are not asked for.
constexpr int kMaxTextRows = 1000;

constexpr int kFixed = CRowLayout::kFixed;
constexpr int kStretch = CRowLayout::kStretch;

// The lines of a choice list: each LF ends one, CR bytes are dropped; a
// last line without LF counts too.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// A spacer, then the two buttons in the middle of their row: the empty cells
// at both ends share the free width.
void AddButtonRows(CRowLayout& layout) {
    layout.AddRow(kSpacerHeight, kFixed);
    CRowLayout::Row* row = layout.AddRow(kRowHeight, kFixed);
    layout.AddCell(row, nullptr, 0, kStretch);
    layout.AddButton(row, "确定", IDOK, kButtonWidth, kFixed);
    layout.AddCell(row, nullptr, kButtonGap, kFixed);
    layout.AddButton(row, "取消", IDCANCEL, kButtonWidth, kFixed);
    layout.AddCell(row, nullptr, 0, kStretch);
}

} // namespace

CInputDialog::CInputDialog() = default;
CInputDialog::~CInputDialog() = default;

void CInputDialog::SetTitle(const std::string& title) {
    m_document.SetString(kParameters, "Title", title);
}

void CInputDialog::AddEditField(const std::string& field, const std::string& caption) {
    m_document.SetString(field, "Caption", caption);
    m_document.SetString(field, "ControlType", "EDIT");
}

std::string CInputDialog::GetValue(const std::string& field) {
    return m_document.GetString(field, "Value");
}

void CInputDialog::OnOK() {
    StoreControlTexts(m_document, *this);
    EndDialog(IDOK);
}

void CInputDialog::BuildRows(CRowLayout& layout) {
    SetWindowText(m_document.GetString(kParameters, "Title"));
    std::vector<std::string> sections;
    m_document.GetSectionNames(sections);
    int id = kFirstControlId;
    int height = 0;
    for (const std::string& section : sections) {
        if (section == kParameters)
            continue;
        const int added = AddField(layout, section, id);
        if (added < 0)
            continue;
        m_document.SetInt(section, "ControlId", id);
        ++id;
        height += added;
    }
    AddButtonRows(layout);
    SetOpeningSize(kWidth, height + kExtraHeight);
}

int CInputDialog::AddField(CRowLayout& layout, const std::string& section, int id) {
    const std::string type = m_document.GetString(section, "ControlType");
    const std::string caption = m_document.GetString(section, "Caption");
    const std::string value = m_document.GetString(section, "Value");

    if (GbkEqualNoCase(type, "LABEL")) {
        layout.AddLabel(layout.AddRow(kRowHeight, kFixed), caption, id, kFieldWidth, kStretch);
        return kRowHeight;
    }
    if (GbkEqualNoCase(type, "EDIT")) {
        CRowLayout::Row* row = layout.AddRow(kRowHeight, kFixed);
        layout.AddLabel(row, caption, 0, kCaptionWidth, kFixed);
        SetControlText(layout.AddEdit(row, id, kFieldWidth, kStretch), value);
        return kRowHeight;
    }
    if (GbkEqualNoCase(type, "TEXTAREA")) {
        layout.AddLabel(layout.AddRow(kRowHeight, kFixed), caption, 0, kCaptionWidth, kFixed);
        const int rows = std::clamp(m_document.GetInt(section, "RowCount"), 0, kMaxTextRows);
        CRowLayout::Row* row = layout.AddRow(kRowHeight * rows, kFixed);
        SetControlText(layout.AddMultiLineEdit(row, id, kFieldWidth, kStretch), value);
        return kRowHeight * rows + kRowHeight;
    }
    if (GbkEqualNoCase(type, "COMBOBOX")) {
        CRowLayout::Row* row = layout.AddRow(kRowHeight, kFixed);
        layout.AddLabel(row, caption, 0, kCaptionWidth, kFixed);
        const std::vector<std::string> choices = Lines(m_document.GetString(section, "ValueList"));
        SetControlText(layout.AddComboChoices(row, choices, true, id, kFieldWidth, kStretch),
                       value);
        return kRowHeight;
    }
    return -1;
}
