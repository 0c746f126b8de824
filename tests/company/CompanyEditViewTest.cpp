#include "company/CompanyEditView.h"

#include "company/CompanyIds.h"
#include "platform/CodePage.h"
#include "settings/IniFile.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

using namespace company;

namespace {

class CompanyEditViewTest : public ::testing::Test {
protected:
    void Open() {
        ASSERT_TRUE(m_view.Create(&m_host, CRect{0, 0, 800, 600}, 1));
        m_host.show();
    }
    void Type(int id, const std::string& text) { m_view.SetDlgItemText(id, text); }
    void PressKey() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
        QApplication::sendEvent(&m_host, &press);
    }
    void Save() { static_cast<QPushButton*>(m_view.GetDlgItem(kSaveButton))->click(); }
    std::string Profile() const { return m_folder.Read("data/company.ini"); }
    // A pop-up message shows at the middle of its control's top edge.
    void ExpectMessageAt(int id, const std::string& text) const {
        EXPECT_TRUE(m_view.Hints().IsMessageVisible());
        EXPECT_EQ(m_view.Hints().LastMessage(), text);
        QWidget* control = m_view.GetDlgItem(id);
        const QPoint topCentre = control->mapToGlobal(QPoint(control->width() / 2, 0));
        EXPECT_EQ(m_view.Hints().LastAnchor().x, topCentre.x());
        EXPECT_EQ(m_view.Hints().LastAnchor().y, topCentre.y());
    }

    // A host folder whose name GBK cannot spell: the screen must still use it.
    TempHostFolder m_folder{QStringLiteral("Straße")};
    QWidget m_host;
    CCompanyEditView m_view;
};

std::string Repeat(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

} // namespace

TEST_F(CompanyEditViewTest, FreshSaveWritesEveryKeyInOrder) {
    m_folder.Write("data/.keep", "");
    Open();
    EXPECT_TRUE(m_view.IsDlgItemEnabled(kNameEdit));
    Type(kNameEdit, "北京"); // two Chinese characters are four bytes: enough
    Type(kUserNameEdit, "张三");
    Type(kAreaEdit, "010");
    static_cast<QComboBox*>(m_view.GetDlgItem(kMoshiList))->setCurrentIndex(3);
    Type(kAbstractEdit, Repeat("好", 20));
    Save();
    EXPECT_EQ(Profile(), "\r\n[.]\r\nName=北京\r\nCompany=北京\r\nUserName=张三\r\n"
                         "UserPass=\r\nContact=\r\nAddress=\r\nPostCode=\r\nHomepage=\r\nEmail=\r\n"
                         "Area=010\r\nPhone=\r\nFax=\r\nMobile=\r\nProvince=\r\nCity=\r\nTrade=\r\n"
                         "Business=\r\nXingzhi=\r\nMoshi=贸易商\r\nYuangong=\r\nZijin=\r\n"
                         "Abstract=" +
                             Repeat("好", 20) + "\r\n");
    EXPECT_FALSE(m_view.Hints().IsMessageVisible());
    // The name can no longer be changed, at once.
    EXPECT_FALSE(m_view.IsDlgItemEnabled(kNameEdit));
}

TEST_F(CompanyEditViewTest, ShortNameIsRefusedAtTheNameFieldAndNothingIsWritten) {
    const std::string before = "\r\n[.]\r\nContact=张三\r\n";
    m_folder.Write("data/company.ini", before);
    Open();
    Type(kNameEdit, "abc");
    Type(kContactEdit, "李四");
    Save();
    EXPECT_EQ(Profile(), before);
    ExpectMessageAt(kNameEdit, "请真实的单位名称!");
    EXPECT_EQ(m_host.focusWidget(), m_view.GetDlgItem(kNameEdit));
    EXPECT_TRUE(m_view.IsDlgItemEnabled(kNameEdit));
}

TEST_F(CompanyEditViewTest, IntroductionOutsideTwentyToFiveHundredIsWarnedButSaved) {
    m_folder.Write("data/.keep", "");
    Open();
    Type(kNameEdit, "上海公司");
    // Characters, not bytes: 500 Chinese characters are 1,000 bytes.
    for (int count : {20, 500, 501, 19}) {
        PressKey(); // dismisses the message of the round before
        m_view.FocusDlgItem(kContactEdit);
        const std::string introduction = Repeat("企", count);
        Type(kAbstractEdit, introduction);
        EXPECT_EQ(m_view.GetDlgItemText(kCounterLabel), std::to_string(count));
        Save();
        if (count < 20 || count > 500) {
            ExpectMessageAt(kAbstractEdit, "注意字数不得少于20,不得超过500");
            EXPECT_EQ(m_host.focusWidget(), m_view.GetDlgItem(kAbstractEdit)) << count;
        } else {
            EXPECT_FALSE(m_view.Hints().IsMessageVisible()) << count;
            EXPECT_EQ(m_host.focusWidget(), m_view.GetDlgItem(kContactEdit)) << count;
        }
        EXPECT_NE(Profile().find("Abstract=" + introduction + "\r\n"), std::string::npos) << count;
    }
}

TEST_F(CompanyEditViewTest, LoadKeepsUnknownKeysAndMatchesChoices) {
    // Longer than an edit box holds by default, and characters of the code
    // page's user-defined area: the edits hold them, the save keeps them.
    const std::string longTrade = Repeat("行业", 20000);
    const std::string longUser = std::string(33000, 'u');
    const std::string userDefined = "\xAA\xA1\xFE\xFE张";
    const std::string keptLines =
        "Trade=" + longTrade + "\r\nUserName=" + longUser + "\r\nContact=" + userDefined + "\r\n";
    m_folder.Write(
        "data/company.ini",
        "\r\n[.]\r\nName=广州贸易\r\nMoshi=贸易商\r\nXingzhi=外星企业\r\nFavourite=蓝色\r\n" +
            keptLines + "Abstract=第一行\\r\\n第二行\r\n\r\n[Other]\r\nKey=Value\r\n");
    Open();
    EXPECT_EQ(m_view.GetDlgItemText(kNameEdit), "广州贸易");
    EXPECT_FALSE(m_view.IsDlgItemEnabled(kNameEdit));
    EXPECT_EQ(m_view.GetDlgItemText(kMoshiList), "贸易商");
    EXPECT_EQ(static_cast<QComboBox*>(m_view.GetDlgItem(kXingzhiList))->currentIndex(), -1);
    EXPECT_EQ(m_view.GetDlgItemText(kAbstractEdit), "第一行\r\n第二行");
    EXPECT_EQ(m_view.GetDlgItemText(kCounterLabel), "8");
    EXPECT_TRUE(m_view.GetDlgItemText(kTradeEdit) == longTrade);
    EXPECT_EQ(m_view.GetDlgItemText(kContactEdit), userDefined);
    Save();
    const std::string saved = Profile();
    EXPECT_NE(saved.find("Favourite=蓝色\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\n[Other]\r\nKey=Value\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Xingzhi=\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Abstract=第一行\\r\\n第二行\r\n"), std::string::npos);
    for (const char* line : {"UserName=", "Contact=", "Trade="}) {
        const size_t at = saved.find(line);
        ASSERT_NE(at, std::string::npos);
        const std::string savedLine = saved.substr(at, saved.find("\r\n", at) + 2 - at);
        EXPECT_NE(keptLines.find(savedLine), std::string::npos) << line << " cut or changed";
    }
}

TEST_F(CompanyEditViewTest, ProfileThatCannotBeReadWholeIsNeverWrittenOver) {
    // Too large to be read: what could be read of it must not replace it.
    const std::string start = "\r\n[.]\r\nName=广州贸易\r\nContact=张三\r\n";
    ASSERT_TRUE(m_folder.Write("data/company.ini", start));
    QFile file(FromPath(m_folder.Path("data/company.ini")));
    ASSERT_TRUE(file.resize(CIniFile::kMaxFileBytes + 1));
    Open();
    EXPECT_EQ(m_view.GetDlgItemText(kContactEdit), "");
    Type(kNameEdit, "深圳公司");
    Type(kAbstractEdit, Repeat("字", 30));
    Save();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), CIniFile::kMaxFileBytes + 1);
    EXPECT_EQ(file.read(qint64(start.size())).toStdString(), start);
    // Nothing is shown, as for a file that cannot be written (the disk fault
    // tests' case), and the screen goes on.
    EXPECT_FALSE(m_view.Hints().IsMessageVisible());
    EXPECT_FALSE(m_view.IsDlgItemEnabled(kNameEdit));
    Type(kAbstractEdit, "x");
    EXPECT_EQ(m_view.GetDlgItemText(kCounterLabel), "1");
}

TEST_F(CompanyEditViewTest, HostileProfileLoadsWithoutHarm) {
    std::string hostile = "\r\n[.]\r\nName=测试公司\r\nFax=\xFF\xFE\x81\r\n";
    hostile += std::string("City=a\0b\r\n", 10);
    hostile += "no equals sign\r[broken\n";
    hostile.append(1 << 20, 'x');
    hostile += "\nBusiness=ok\n";
    m_folder.Write("data/company.ini", hostile);
    Open();
    EXPECT_EQ(m_view.GetDlgItemText(kBusinessEdit), "ok");
    Save();
    EXPECT_NE(Profile().find("Business=ok\r\n"), std::string::npos);
}
