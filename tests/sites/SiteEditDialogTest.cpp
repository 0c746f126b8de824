// The site editor on the installation's form file, real databases of both
// engines, run through the scripted seam.
#include "sites/SiteEditDialog.h"

#include "platform/Controls.h"
#include "tests/sites/SiteFixture.h"

#include <QPushButton>

namespace {

class SiteEditTest : public SiteTest {
protected:
    // Runs the editor for key (empty: a new site); script gets the live dialog.
    template <typename Script> int Run(const std::string& key, Script script) {
        m_dialog.SetDatabase(&m_db);
        if (!key.empty())
            m_dialog.Document().SetString(".", "Keyid", key);
        m_seam.ExpectDialog([script](CDialog& d) { script(static_cast<CSiteEditDialog&>(d)); });
        return m_dialog.DoModal();
    }
    std::string Parameter(const std::string& key) {
        return m_dialog.Document().GetString(".", key);
    }

    CSiteEditDialog m_dialog;
};

QWidget* Field(CSiteEditDialog& d, const char* name) {
    return d.GetDlgItem(d.FindControlId(name));
}

} // namespace

TEST_P(SiteEditTest, LoadsTheSiteAndSavesOnlyItsAccountAsTyped) {
    const int result = Run("2", [](CSiteEditDialog& d) {
        const std::pair<const char*, const char*> shown[] = {
            {"Keyid", "2"}, {"Name", "Fruits供求"}, {"Homepage", "file:///etc/passwd"}};
        for (const auto& [name, value] : shown) {
            EXPECT_EQ(GetControlText(Field(d, name)), value);
            EXPECT_FALSE(Field(d, name)->isEnabled()) << name;
        }
        EXPECT_EQ(GetControlText(Field(d, "UserName")), "") << "NULL";
        EXPECT_TRUE(Field(d, "UserName")->isEnabled());
        SetControlText(Field(d, "UserName"), "it's \"me\"");
        SetControlText(Field(d, "UserPass"), "密码");
        SetControlText(Field(d, "Comment"), "第一行\r\n第二行");
        static_cast<QPushButton*>(d.GetDlgItem(IDOK))->click(); // the form's own button
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Value("UserName", 2), "it's \"me\"");
    EXPECT_EQ(Value("UserPass", 2), "密码");
    EXPECT_EQ(Value("Comment", 2), "第一行\r\n第二行");
    EXPECT_EQ(Value("Name", 2), "Fruits供求");
    EXPECT_EQ(Value("UserName", 1) + Value("UserPass", 1) + Value("Comment", 1), "oldpwNULL");
    EXPECT_EQ(Parameter("UserName"), "it's \"me\"");
    EXPECT_EQ(Parameter("Comment"), "第一行\r\n第二行");
}

// A save that fails keeps the dialog open: the database fault tests' case.
TEST_P(SiteEditTest, NewSiteIsInsertedAndItsKeyShown) {
    const int result = Run("", [](CSiteEditDialog& d) {
        EXPECT_EQ(GetControlText(Field(d, "Keyid")), "");
        SetControlText(Field(d, "UserName"), "new");
        SetControlText(Field(d, "UserPass"), "pass");
        SetControlText(Field(d, "Comment"), "remark");
        d.SendCommand(IDOK);
        EXPECT_EQ(GetControlText(Field(d, "Keyid")), "6");
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Parameter("KeyId"), "6");
    EXPECT_EQ(Value("UserName", 6) + Value("UserPass", 6) + Value("Comment", 6), "newpassremark");
}

TEST_P(SiteEditTest, KeyBeyond32BitsSavesItsOwnSiteAndNoOther) {
    if (GetParam() == Engine::PostgreSQL)
        return; // the server's keys stop at 2147483647; SQLite's go on to 64 bits
    ExecuteOrFail(m_db, "insert into SiteData (KeyId,Name,UserName,ClassPath) values "
                        "(2147483647,'max','keep','/信息网/'),(4294967297,'big','b','/信息网/')");
    Run("4294967297", [](CSiteEditDialog& d) {
        EXPECT_EQ(GetControlText(Field(d, "Name")), "big");
        SetControlText(Field(d, "UserName"), "new");
        d.SendCommand(IDOK);
    });
    EXPECT_EQ(Value("UserName", 4294967297) + "," + Value("UserName", 2147483647), "new,keep");
}

TEST_P(SiteEditTest, UnreadableKeyIsReportedWithTheSelect) {
    m_seam.ExpectBox(IDOK);
    Run("abc", [](CSiteEditDialog& d) {
        EXPECT_EQ(GetControlText(Field(d, "Name")), "");
        d.SendCommand(IDCANCEL);
    });
    ASSERT_EQ(m_seam.Boxes().size(), 1u);
    const std::string text = m_seam.Boxes()[0].text;
    const std::string tail = "\r\nselect * from SiteData where keyid=abc";
    EXPECT_GT(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), tail.size())), tail);
}

TEST_P(SiteEditTest, ButtonCaptionedWithJisuanDoesNothing) {
    Host().Write("res/SiteEditDlg.htm", "<input name=UserName><input type=submit value=计算总价>"
                                        "<input type=reset value=取消>");
    const int result = Run("1", [this](CSiteEditDialog& d) {
        SetControlText(Field(d, "UserName"), "changed");
        static_cast<QPushButton*>(d.GetDlgItem(IDOK))->click();
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(Value("UserName", 1), "old");
        static_cast<QPushButton*>(d.GetDlgItem(IDCANCEL))->click();
    });
    EXPECT_EQ(result, IDCANCEL);
}

NIMBREL_ON_BOTH_ENGINES(SiteEditTest);
