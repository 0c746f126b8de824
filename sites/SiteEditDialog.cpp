#include "sites/SiteEditDialog.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "database/KeyedInsert.h"
#include "database/SqlStatement.h"
#include "platform/Interaction.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

constexpr const char* kTable = "SiteData";
constexpr const char* kParameters = CHtmlForm::kParameters;
// Shown, never changed here.
constexpr const char* kFixedFields[] = {"Keyid", "Name", "Homepage"};
// The record's columns in the order they are loaded into the fields of the
// same names.
constexpr const char* kLoadedFields[] = {"Keyid",    "Name",     "Homepage",
                                         "UserName", "UserPass", "Comment"};
constexpr const char* kInsertedFields[] = {"UserName", "UserPass"};
constexpr const char* kUpdatedFields[] = {"UserName", "UserPass", "Comment"};
constexpr const char* kNoDatabase = "Connection Not open!\r\n";

// Whether text holds part, both GBK, matched at character starts only: the
// trail byte of one character and the lead byte of the next are never taken
// for a character of their own.
bool ContainsGbk(std::string_view text, std::string_view part) {
    for (size_t i = 0; i + part.size() <= text.size();) {
        if (text.compare(i, part.size(), part) == 0)
            return true;
        const auto lead = static_cast<unsigned char>(text[i]);
        i += lead >= 0x81 && lead <= 0xFE ? 2 : 1;
    }
    return false;
}

} // namespace

bool CSiteEditDialog::OnCommand(int id, int code) {
    // A command with a notification code names no control (as a command word
    // carrying that code in its high half would not), so its text is empty.
    const std::string caption = code == BN_CLICKED ? GetDlgItemText(id) : std::string();
    if (ContainsGbk(caption, "计算"))
        return true;
    return CHtmlForm::OnCommand(id, code);
}

bool CSiteEditDialog::OnInitDialog() {
    SetFile(kFormFile);
    CHtmlForm::OnInitDialog();
    for (const char* field : kFixedFields) {
        const int id = FindControlId(field);
        if (id > 0 && GetDlgItem(id))
            EnableDlgItem(id, false);
    }
    const std::string key = Document().GetString(kParameters, "KeyId");
    return !key.empty() && LoadSite(key);
}

bool CSiteEditDialog::LoadSite(const std::string& key) {
    const std::string sql = std::string("select * from ") + kTable + " where keyid=" + key;
    CAdoRecordset site;
    site.SetConnection(m_database ? m_database->GetConnection() : nullptr);
    if (!site.Open(sql)) {
        AfxMessageBox(site.GetLastError() + "\r\n" + sql, MB_OK, this);
        return false;
    }
    if (site.IsEOF())
        return false;
    for (const char* field : kLoadedFields)
        SetValue(field, site.GetText(field));
    return true;
}

void CSiteEditDialog::OnOK() {
    const std::string key = Document().GetString(kParameters, "KeyId");
    if (key.empty())
        SaveByInsert();
    else
        SaveByUpdate(std::strtoll(key.c_str(), nullptr, 10)); // 0 when not a number
}

// SQLite's keys reach beyond 32 bits: a key cut to an int would save this
// account into another site.
void CSiteEditDialog::SaveByUpdate(long long key) {
    char condition[40];
    std::snprintf(condition, sizeof condition, " Keyid=%lld ", key);
    CSqlUpdate update;
    update.SetTableName(kTable);
    update.AddWhere(condition);
    for (const char* field : kUpdatedFields) {
        const std::string value = GetValue(field);
        update.SetText(field, value);
        Document().SetString(kParameters, field, value);
    }
    if (m_database && m_database->Execute(update.BuildSql()))
        CHtmlForm::OnOK();
    else
        ShowDatabaseError(); // the dialog stays open
}

void CSiteEditDialog::SaveByInsert() {
    CSqlInsert insert;
    insert.SetTableName(kTable);
    for (const char* field : kInsertedFields) {
        const std::string value = GetValue(field);
        insert.SetText(field, value);
        Document().SetString(kParameters, field, value);
    }
    // The database gives the key: the new site's is the highest, learned
    // with no other desktop inserting in between.
    const int key = m_database ? InsertAndGetKey(m_database, insert) : -1;
    if (key < 0) {
        ShowDatabaseError();
        return;
    }
    Document().SetInt(kParameters, "KeyId", key);
    SetValue("Keyid", std::to_string(key));
    SaveByUpdate(key);
}

void CSiteEditDialog::ShowDatabaseError() {
    AfxMessageBox(m_database ? m_database->GetLastError() : kNoDatabase, MB_OK, this);
}
