#pragma once
// A modal dialog that asks for a few values: a column of captioned fields
// built from the sections of its document (one section per field, in order:
// ControlType LABEL, EDIT, TEXTAREA or COMBOBOX, Caption, Value, RowCount,
// ValueList), with "确定" and "取消" centred below. After OK every field's
// Value holds the text the user left in it.
//
//     CInputDialog dlg;
//     dlg.InitModal(this);
//     dlg.SetTitle("站点查询");
//     dlg.AddEditField("Name", "站点名称");
//     if (dlg.DoModal() == IDOK)
//         text = dlg.GetValue("Name");
#include "settings/IniFile.h"
#include "toolkit/LayoutDialog.h"

#include <string>

class CInputDialog : public CLayoutDialog {
public:
    static constexpr int kFirstControlId = 6001;
    static constexpr int kWidth = 500;
    static constexpr char kParameters[] = ".";

    CInputDialog();
    ~CInputDialog() override;

    // The caption: Title in section ".".
    void SetTitle(const std::string& title);
    // A captioned single-line field in section field.
    void AddEditField(const std::string& field, const std::string& caption);
    // The field's Value (after OK the text the user entered); empty when absent.
    std::string GetValue(const std::string& field);

    CIniFile& Document() { return m_document; }

protected:
    void BuildRows(CRowLayout& layout) override;
    // Copies every field's text into its Value and ends with IDOK.
    void OnOK() override;

private:
    // The rows of one field; the height they add, or -1 for a section of no
    // known type, which stays invisible and gets no id.
    int AddField(CRowLayout& layout, const std::string& section, int id);

    CIniFile m_document;
};
