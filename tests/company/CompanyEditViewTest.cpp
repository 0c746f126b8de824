#include "company/CompanyEditView.h"

#include "platform/Controls.h"
#include "tests/support/TestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

constexpr int kName = 6001, kXingzhi = 6009, kMoshi = 6010, kCounter = 6020, kAbstract = 6022;
constexpr int kSave = 8001;

class CompanyEditViewTest : public ::testing::Test {
protected:
    void Open() { ASSERT_TRUE(m_view.Create(&m_host, CRect{0, 0, 800, 600}, 1)); }
    void Type(int id, const std::string& text) { m_view.SetDlgItemText(id, text); }
    void Save() { static_cast<QPushButton*>(m_view.GetDlgItem(kSave))->click(); }
    std::string Profile() const { return m_folder.Read("data/company.ini"); }

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
    EXPECT_TRUE(m_view.IsDlgItemEnabled(kName));
    Type(kName, "北京贸易");
    Type(6002, "acct");
    Type(6013, "010");
    static_cast<QComboBox*>(m_view.GetDlgItem(kMoshi))->setCurrentIndex(3);
    Type(kAbstract, Repeat("好", 20));
    Save();
    EXPECT_EQ(Profile(), "\r\n[.]\r\nName=北京贸易\r\nCompany=北京贸易\r\nUserName=acct\r\n"
                         "UserPass=\r\nContact=\r\nAddress=\r\nPostCode=\r\nHomepage=\r\nEmail=\r\n"
                         "Area=010\r\nPhone=\r\nFax=\r\nMobile=\r\nProvince=\r\nCity=\r\nTrade=\r\n"
                         "Business=\r\nXingzhi=\r\nMoshi=贸易商\r\nYuangong=\r\nZijin=\r\n"
                         "Abstract=" +
                             Repeat("好", 20) + "\r\n");
    EXPECT_FALSE(m_view.Hints().IsMessageVisible());
    // The name can no longer be changed, at once.
    EXPECT_FALSE(m_view.IsDlgItemEnabled(kName));
}

TEST_F(CompanyEditViewTest, ShortNameIsRefusedAtTheNameFieldAndNothingIsWritten) {
    const std::string before = "\r\n[.]\r\nContact=张三\r\n";
    m_folder.Write("data/company.ini", before);
    Open();
    Type(kName, "abc");
    Type(6004, "李四");
    Save();
    EXPECT_EQ(Profile(), before);
    EXPECT_EQ(m_view.Hints().LastMessage(), "请真实的单位名称!");
    QWidget* name = m_view.GetDlgItem(kName);
    QPoint topCentre = name->mapToGlobal(QPoint(name->width() / 2, 0));
    EXPECT_EQ(m_view.Hints().LastAnchor().x, topCentre.x());
    EXPECT_EQ(m_view.Hints().LastAnchor().y, topCentre.y());
    EXPECT_TRUE(m_view.IsDlgItemEnabled(kName));
}

TEST_F(CompanyEditViewTest, IntroductionOutsideTwentyToFiveHundredIsWarnedButSaved) {
    m_folder.Write("data/.keep", "");
    Open();
    Type(kName, "上海公司");
    Type(kAbstract, "十个字的简介内容啊");
    EXPECT_EQ(m_view.GetDlgItemText(kCounter), "9");
    Type(kAbstract, "十个字的简介内容啊!");
    Save();
    EXPECT_EQ(m_view.Hints().LastMessage(), "注意字数不得少于20,不得超过500");
    EXPECT_NE(Profile().find("Abstract=十个字的简介内容啊!\r\n"), std::string::npos);
}

TEST_F(CompanyEditViewTest, CounterCountsCharactersNotBytes) {
    Open();
    Type(kAbstract, Repeat("企", 500));
    EXPECT_EQ(m_view.GetDlgItemText(kCounter), "500");
}

TEST_F(CompanyEditViewTest, LoadKeepsUnknownKeysAndMatchesChoices) {
    m_folder.Write(
        "data/company.ini",
        "\r\n[.]\r\nName=广州贸易\r\nMoshi=贸易商\r\nXingzhi=外星企业\r\nFavourite=蓝色\r\n"
        "Abstract=第一行\\r\\n第二行\r\n\r\n[Other]\r\nKey=Value\r\n");
    Open();
    EXPECT_EQ(m_view.GetDlgItemText(kName), "广州贸易");
    EXPECT_FALSE(m_view.IsDlgItemEnabled(kName));
    EXPECT_EQ(m_view.GetDlgItemText(kMoshi), "贸易商");
    EXPECT_EQ(static_cast<QComboBox*>(m_view.GetDlgItem(kXingzhi))->currentIndex(), -1);
    EXPECT_EQ(m_view.GetDlgItemText(kAbstract), "第一行\r\n第二行");
    EXPECT_EQ(m_view.GetDlgItemText(kCounter), "8");
    Save();
    const std::string saved = Profile();
    EXPECT_NE(saved.find("Favourite=蓝色\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\n[Other]\r\nKey=Value\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Xingzhi=\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Abstract=第一行\\r\\n第二行\r\n"), std::string::npos);
}

TEST_F(CompanyEditViewTest, UnwritableDataFolderLosesNothingAndTheScreenGoesOn) {
    m_folder.Write("data", "not a folder");
    Open();
    Type(kName, "深圳公司");
    Type(kAbstract, Repeat("字", 30));
    Save();
    EXPECT_EQ(m_folder.Read("data"), "not a folder");
    EXPECT_FALSE(m_view.IsDlgItemEnabled(kName));
    Type(kAbstract, "x");
    EXPECT_EQ(m_view.GetDlgItemText(kCounter), "1");
}

TEST_F(CompanyEditViewTest, HostileProfileLoadsWithoutHarm) {
    std::string hostile = "\r\n[.]\r\nName=测试公司\r\nFax=\xFF\xFE\x81\r\n";
    hostile += std::string("City=a\0b\r\n", 10);
    hostile += "no equals sign\r[broken\n";
    hostile.append(1 << 20, 'x');
    hostile += "\nBusiness=ok\n";
    m_folder.Write("data/company.ini", hostile);
    Open();
    EXPECT_EQ(m_view.GetDlgItemText(6021), "ok");
    Save();
    EXPECT_NE(Profile().find("Business=ok\r\n"), std::string::npos);
}
