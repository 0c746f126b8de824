// The site list on a real window (offscreen), real databases of both engines
// and the scripted seam for boxes, dialogs, opened addresses and started
// programs.
#include "sites/SiteListView.h"

#include "platform/CodePage.h"
#include "platform/HostFolder.h"
#include "sites/SiteEditDialog.h"
#include "tests/sites/SiteListFixture.h"

#include <QAbstractScrollArea>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <algorithm>

using namespace SiteIds;

namespace {

class SiteListTest : public SiteScreenTest {
protected:
    std::string Chosen() {
        std::string keys;
        for (const Row& row : ReadRows(m_db, "select KeyId from SiteData where IsSelected=1 "
                                             "order by KeyId"))
            keys += *row[0] + " ";
        return keys;
    }
    QAbstractScrollArea* View() { return static_cast<QAbstractScrollArea*>(Grid().Widget()); }
    QPoint CellCenter(int row, int col) {
        const CRect r = Grid().GetCellRect(row, col);
        return View()->viewport()->mapFrom(View(),
                                           QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    void Click(int row, int col, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, modifiers, CellCenter(row, col));
        ProcessEvents();
    }
    std::string Registration() {
        std::vector<Row> rows = ReadRows(m_db, "select TotalCount,Progress from RegisterUser");
        return rows.size() == 1 ? *rows[0][0] + "/" + *rows[0][1] : "?";
    }
    std::vector<std::string> TaskLines() {
        std::vector<std::string> lines;
        const std::string text = Host().Read("data/RegisterUser1.tsk");
        for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            lines.push_back(text.substr(start, end - start));
        std::sort(lines.begin(), lines.end()); // the select has no order
        return lines;
    }
};

} // namespace

TEST_P(SiteListTest, OpensWithTheToolbarTheDirectoryNewestFirstAndItsChoices) {
    Host().Write("res/gridpos.ini", "[CSiteListView]\r\nColumnWidth=30,500\r\n");
    Open();
    const std::pair<int, const char*> buttons[] = {
        {kChoose, "选择"}, {kInvert, "反选"},           {kEdit, "编辑"},        {kQuery, "查询"},
        {kVisit, "访问"},  {kRegister, "注册网络黄页"}, {kRestart, "重新开始"}, {kExport, "导出"}};
    int x = 0;
    for (const auto& [id, caption] : buttons) {
        QWidget* button = Button(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_EQ(GetControlText(button), caption);
        EXPECT_EQ(button->x(), x) << caption << ": one row, no gaps, in this order";
        x += button->width();
    }
    EXPECT_EQ(x, 50 * 6 + 120 + 80);
    EXPECT_EQ(Button(kChoose)->mapTo(&m_host, QPoint()).y(), 2 + (2 + 2 + 2));
    EXPECT_EQ(Grid().Widget()->y(), 2 + 28 + 2);
    EXPECT_EQ(Grid().Widget()->height(), 500 - 32);

    EXPECT_FALSE(Grid().IsEditable());
    EXPECT_FALSE(Grid().GetTitleTips());
    EXPECT_EQ(Column(kKeyColumn), "5|3|2|1") << "only /信息网, highest key first";
    EXPECT_EQ(Text(0, kNameColumn), "站点名称");
    EXPECT_EQ(Text(0, kMarkerColumn) + Text(0, kIsSelectedColumn), "");
    EXPECT_EQ(Column(kMarkerColumn), " | | |√") << "chosen: 1; not chosen: 0 or NULL";
    EXPECT_EQ(Grid().GetColumnWidth(0), 30);
    EXPECT_EQ(Grid().GetColumnWidth(1), 400); // kept on closing: the module tests'
}

TEST_P(SiteListTest, ChooseAndInvertChangeMarkerAndTableInPairs) {
    Open();
    m_seam.ExpectBox(IDOK);
    Press(kChoose); // nothing selected
    ASSERT_EQ(m_seam.Boxes().size(), 1u);
    EXPECT_EQ(m_seam.Boxes()[0].text, "未选择站点");
    EXPECT_EQ(Chosen(), "1 4 ");

    // Rows 2 to 4 (keys 3, 2, 1), of which key 1 is chosen.
    Click(2, kNameColumn);
    Click(4, kNameColumn, Qt::ShiftModifier);
    Press(kInvert);
    EXPECT_EQ(Column(kMarkerColumn), " |√|√| ");
    EXPECT_EQ(Chosen(), "2 3 4 ");
    EXPECT_EQ(m_seam.WaitCursorShown(), 1);
    Press(kChoose);
    EXPECT_EQ(Column(kMarkerColumn), " |√|√|√");
    EXPECT_EQ(Chosen(), "1 2 3 4 ");
    EXPECT_EQ(Column(kIsSelectedColumn), "0||0|1") << "the last fill's values stay";
}

TEST_P(SiteListTest, ClickOnTheMarkerTogglesAndClicksElsewhereChangeNothing) {
    Open();
    Click(3, kMarkerColumn); // key 2
    EXPECT_EQ(Text(3, kMarkerColumn), "√");
    EXPECT_EQ(Value("IsSelected", 2), "1");
    Click(3, kMarkerColumn);
    EXPECT_EQ(Text(3, kMarkerColumn), " ");
    EXPECT_EQ(Value("IsSelected", 2), "0");
    Click(4, kNameColumn);
    Click(0, kMarkerColumn);
    EXPECT_EQ(Column(kMarkerColumn), " | | |√");
    EXPECT_EQ(Chosen(), "1 4 ");
}

TEST_P(SiteListTest, QueryRemovesQuotesKeepsWildcardsAndMarksAgain) {
    Open();
    Query("IT's"); // letters without regard to case on both engines
    EXPECT_EQ(Column(kNameColumn), "Fruits供求");
    Query("南_");
    EXPECT_EQ(Column(kKeyColumn), "3");
    Query("华东");
    EXPECT_EQ(Column(kMarkerColumn), "√");
    Query("");
    EXPECT_EQ(Column(kKeyColumn), "5|3|2|1");
    EXPECT_EQ(Column(kMarkerColumn), " | | |√");
    EXPECT_EQ(m_seam.WaitCursorShown(), 4);
    m_seam.ExpectDialog([](CDialog& d) { d.SendCommand(IDCANCEL); });
    Press(kQuery);
    EXPECT_EQ(Column(kKeyColumn), "5|3|2|1");
}

TEST_P(SiteListTest, VisitOpensOnlyWebAddressesAlsoFromTheContextMenu) {
    Open();
    Press(kVisit); // no focus cell
    for (int row = 1; row <= 3; ++row) {
        Click(row, kNameColumn);
        Press(kVisit);
    }
    EXPECT_EQ(m_seam.OpenedUrls(), std::vector<std::string>{})
        << "an empty home page, file: and javascript: are not opened";

    Click(4, kNameColumn);
    m_seam.ExpectMenuDismiss();
    m_seam.ExpectMenu(kVisit);
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(View()->viewport(), Qt::RightButton, {}, CellCenter(4, kNameColumn));
        ProcessEvents();
    }
    ASSERT_EQ(m_seam.Menus().size(), 2u);
    const std::vector<MenuItem>& items = m_seam.Menus()[0].items;
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text + items[1].text, "编辑访问");
    EXPECT_EQ(items[0].id * 10000 + items[1].id, kEdit * 10000 + kVisit);
    EXPECT_EQ(m_seam.OpenedUrls(), std::vector<std::string>{"http://huadong.example.com"});
}

TEST_P(SiteListTest, EditCopiesTheSavedAccountIntoItsRowWithoutARefill) {
    Open();
    Press(kEdit); // nothing selected: no dialog
    ExecuteOrFail(m_db, "update SiteData set RegisterStatus='new' where KeyId=1");
    m_seam.ExpectDialog([](CDialog& d) {
        EXPECT_EQ(GetControlText(d.GetDlgItem(8002)), "1");
        auto& form = static_cast<CHtmlForm&>(d);
        form.SetValue("UserName", "O'Brien");
        form.SetValue("Comment", "备注");
        d.SendCommand(IDOK);
    });
    Click(4, kNameColumn); // the first click of the double click selects the row
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, CellCenter(4, kNameColumn));
    ProcessEvents();
    EXPECT_EQ(Text(4, kUserNameColumn), "O'Brien");
    EXPECT_EQ(Text(4, kRegisterStatusColumn), "") << "no refill";
    EXPECT_EQ(Value("UserName", 1), "O'Brien");
    EXPECT_EQ(Value("Comment", 1), "备注");

    m_seam.ExpectDialog([](CDialog& d) {
        static_cast<CHtmlForm&>(d).SetValue("UserName", "x");
        d.SendCommand(IDCANCEL);
    });
    Press(kEdit);
    EXPECT_EQ(Text(4, kUserNameColumn), "O'Brien");
    EXPECT_EQ(Value("UserName", 1), "O'Brien");
}

// The worker's own part of a registration is the worker's tests' and the
// hostile-data tests'; here the screen's part ends at the start of the program.
TEST_P(SiteListTest, RegisterHandsTheChosenSitesThatNeedAnAccountToTheWorker) {
    // Chosen: keys 1 to 3 under /信息网 needing an account, 5 needing none,
    // 4 outside /信息网.
    ExecuteOrFail(m_db, "update SiteData set IsSelected=1");
    ExecuteOrFail(m_db, "update SiteData set Name='Fruits,供求' where KeyId=2");
    const std::string connection = "\r\n[Korvald]\r\nConnect=Provider=SQLite\r\n";
    Host().Write("database.ini", connection);
    Host().Write("data/.keep", "");
    Open();
    Press(kRegister);

    EXPECT_EQ(TaskLines(), (std::vector<std::string>{"1,华东网", "2,Fruits,供求", "3,南方网"}));
    EXPECT_EQ(Registration(), "3/0");
    ASSERT_EQ(m_seam.Launches().size(), 1u);
    EXPECT_EQ(m_seam.Launches()[0].path, Host().Path("Korvald.exe"));
    EXPECT_EQ(m_seam.Launches()[0].parameters, "task=RegisterUser&Keyid=1");
    EXPECT_EQ(m_seam.WaitCursorShown(), 1);
    EXPECT_EQ(Host().Read("database.ini"), connection) << "left as it was";
}

TEST_P(SiteListTest, RestartResetsTheProgressFirstAndNoChosenSiteStillStartsTheWorker) {
    Host().Write("data/RegisterUser1.tsk", "old contents\r\n");
    ExecuteOrFail(m_db, "update SiteData set IsSelected=0");
    ExecuteOrFail(m_db, "update RegisterUser set TotalCount=9,Progress=7 where KeyId=1");
    Open();
    Press(kRegister);
    EXPECT_EQ(Registration(), "0/7") << "注册网络黄页 leaves the progress";
    EXPECT_EQ(Host().Read("data/RegisterUser1.tsk"), "");
    EXPECT_TRUE(Host().Exists("data/RegisterUser1.tsk"));
    ExecuteOrFail(m_db, "update SiteData set IsSelected=1 where KeyId=1");
    ExecuteOrFail(m_db, "update RegisterUser set Progress=7 where KeyId=1");
    Press(kRestart);
    EXPECT_EQ(Registration(), "1/0");
    EXPECT_EQ(Host().Read("data/RegisterUser1.tsk"), "1,华东网\r\n");
    EXPECT_EQ(m_seam.Launches().size(), 2u);

    // Without the data folder the file cannot be made: the reset has happened,
    // nothing else does.
    QTemporaryDir empty;
    SetHostFolder(ToPath(empty.path()));
    const std::string taskFile = HostPath("data/RegisterUser1.tsk");
    ExecuteOrFail(m_db, "update RegisterUser set Progress=7 where KeyId=1");
    m_seam.ExpectBox(IDOK);
    Press(kRestart);
    SetHostFolder(Host().Path());
    ASSERT_EQ(m_seam.Boxes().size(), 1u);
    EXPECT_TRUE(Contains(m_seam.Boxes()[0].text, taskFile)) << Utf8(m_seam.Boxes()[0].text);
    EXPECT_EQ(Registration(), "1/0");
    EXPECT_EQ(m_seam.Launches().size(), 2u);
    EXPECT_FALSE(QDir(empty.path()).exists(QStringLiteral("data")));
}

NIMBREL_ON_BOTH_ENGINES(SiteListTest);
