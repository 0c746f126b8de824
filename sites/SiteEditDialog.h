#pragma once
// The account held on one site of SiteData: user name, password and remark,
// in the form of res/SiteEditDlg.htm. The site's key, name and home page are
// shown but cannot be changed.
//
// The caller names the site by its key in parameter "Keyid" of the form
// document (section "."); without a key the dialog makes a new site. OK
// saves (insert and then update for a new site) and, only when the database
// took the values, ends the dialog; a failed save shows the database's error
// and leaves the dialog open. After OK section "." holds KeyId, UserName,
// UserPass and Comment as written.
//
//     CSiteEditDialog dlg;
//     dlg.InitModal(this);
//     dlg.SetDatabase(database);
//     dlg.Document().SetString(".", "Keyid", key);
//     if (dlg.DoModal() == IDOK) ...
//
// A form button whose caption holds "计算" does nothing at all.
#include "toolkit/HtmlForm.h"

class CAdoDatabase;

class CSiteEditDialog : public CHtmlForm {
public:
    static constexpr char kFormFile[] = "SiteEditDlg.htm";

    void SetDatabase(CAdoDatabase* database) { m_database = database; }

protected:
    bool OnCommand(int id, int code) override;
    // True (the first control takes the focus) only when the site was loaded.
    bool OnInitDialog() override;
    void OnOK() override;

private:
    bool LoadSite(const std::string& key);
    void SaveByUpdate(long long key);
    void SaveByInsert();
    void ShowDatabaseError();

    CAdoDatabase* m_database = nullptr;
};
