#pragma once
// Asks for the name of a task category: one captioned edit box and OK and
// Cancel centred below it. The caller sets the name before the dialog runs
// (empty to add a category, the current name to rename one) and reads it
// after OK. An empty name is refused with a message and the dialog stays
// open; any other text, blanks and quotes included, is taken as typed.
//
//     CCategoryNameDialog dlg;
//     dlg.InitModal(this);
//     dlg.SetName(current);
//     if (dlg.DoModal() == IDOK)
//         rename to dlg.GetName();
#include "toolkit/LayoutDialog.h"

#include <string>

class CCategoryNameDialog : public CLayoutDialog {
public:
    static constexpr int kNameEditId = 6001;
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 200;

    CCategoryNameDialog();
    ~CCategoryNameDialog() override;

    void SetName(const std::string& name) { m_name = name; }
    const std::string& GetName() const { return m_name; }

protected:
    void BuildRows(CRowLayout& layout) override;
    bool OnInitDialog() override;
    void OnOK() override;

private:
    std::string m_name;
};
