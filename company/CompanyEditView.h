#pragma once
#include "platform/Wnd.h"
#include "toolkit/RowLayout.h"
#include "toolkit/ScreenWnd.h"
#include "widgets/HintPopup.h"

#include <string>

// The company profile editor: the company's own data, kept in
// data/company.ini, section ".". The name can be typed only until it is
// saved; the introduction's characters are counted as the user types.
class CCompanyEditView : public CScreenWnd {
public:
    CCompanyEditView();
    ~CCompanyEditView() override;

    const CHintPopup& Hints() const { return m_hints; }

protected:
    bool OnCreate() override;
    void OnDestroy() override;
    void OnSize(int cx, int cy) override;
    bool OnCommand(int id, int code) override;

private:
    void BuildForm();
    void LoadProfile();
    void SaveProfile();
    void UpdateCounter();

    CRowLayout m_layout;
    CHintPopup m_hints;
    std::string m_companyName; // as last loaded or saved
};
