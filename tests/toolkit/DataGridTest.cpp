// The grid binding on a real grid window (offscreen) and real databases of
// both engines.
#include "toolkit/DataGrid.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "platform/SysColor.h"
#include "settings/IniFile.h"
#include "tests/database/support/TestDatabase.h"
#include "widgets/GridCtrl.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <memory>

namespace {

// A list screen's grid: a child window with a header row, shown.
struct GridWindow {
    QWidget host;
    CGridCtrl grid;

    GridWindow() {
        host.resize(600, 300);
        grid.Create(&host, CRect{0, 0, 600, 300}, 6010);
        grid.SetFixedRowCount(1);
        host.show();
    }
};

// The site list's declaration, less the category condition.
void DeclareSites(CDataGrid& binding) {
    binding.SetTable("SiteData");
    binding.AddField("KeyId", "编号");
    binding.AddField("' '", "");
    binding.AddField("Name");
    binding.AddField("Score", "评分");
    binding.AddField("UserName", "用户名");
}

int Width(const GridWindow& window, int col) {
    return window.grid.GetColumnWidth(col);
}

} // namespace

TEST(DataGridSelect, ConditionsAndOrderKeepTheirOwnBlanks) {
    CDataGrid binding;
    binding.SetTable("T");
    binding.AddField("KeyId");
    binding.AddField("Name,"); // trailing commas of the list go
    binding.AddCondition(" a=1 ");
    binding.AddCondition(" b like 'x%' ");
    binding.SetOrder(" order by keyid desc ");
    EXPECT_EQ(binding.BuildSelect(),
              "select KeyId,Name from T where  a=1  and  b like 'x%'   order by keyid desc ");
    EXPECT_EQ(binding.BuildWhere(), " where  a=1  and  b like 'x%' ");

    binding.ClearConditions();
    binding.SetOrder("");
    EXPECT_EQ(binding.BuildSelect(), "select KeyId,Name from T ");
    EXPECT_EQ(binding.BuildWhere(), "");
}

TEST(DataGridSelect, FillWithoutFieldsDatabaseOrGridLeavesTheGridAlone) {
    TempHostFolder folder;
    CDataGrid binding;
    binding.SetTable("SiteData");
    binding.AddCondition(" a=1 ");
    EXPECT_EQ(binding.BuildSelect(), "");
    EXPECT_EQ(binding.BuildWhere(), "");

    CAdoDatabase db; // never opened: the results come before it is used
    EXPECT_EQ(binding.Fill(&db), -1) << "no grid";
    GridWindow window;
    window.grid.SetColumnCount(2);
    window.grid.InsertRow("kept");
    window.grid.SetDefaultMargin(GridCellKind::Normal, 5);
    binding.Attach(&window.grid);
    EXPECT_EQ(binding.Fill(nullptr), -1);
    EXPECT_EQ(binding.Fill(&db), -2);
    EXPECT_EQ(window.grid.GetRowCount(), 2);
    EXPECT_EQ(window.grid.GetItemText(1, 0), "kept");
    EXPECT_EQ(window.grid.GetDefaultMargin(GridCellKind::Normal), 5);
}

TEST(DataGridColumns, CaptionsAndFieldsFoundWithoutRegardToCase) {
    CDataGrid binding;
    EXPECT_EQ(binding.SetupColumns(), 0);
    EXPECT_EQ(binding.SetFieldText(1, "name", "x"), -1) << "no grid";
    GridWindow window;
    binding.Attach(&window.grid);
    DeclareSites(binding);
    binding.AddField("並", "一个相当长的标题文字"); // GBK 81 4B: the trail byte reads as 'K'
    ASSERT_EQ(binding.SetupColumns(), 1);
    ASSERT_EQ(window.grid.GetColumnCount(), 6);
    EXPECT_EQ(window.grid.GetItemText(0, 0), "编号");
    EXPECT_EQ(window.grid.GetItemText(0, 1), "") << "an empty caption is a caption";
    EXPECT_EQ(window.grid.GetItemText(0, 2), "Name") << "no caption: the field itself";
    EXPECT_GT(Width(window, 5), Width(window, 0)) << "widths fitted to the captions";

    EXPECT_EQ(binding.FieldIndex("keyid"), 0);
    EXPECT_EQ(binding.FieldIndex("並"), 5);
    EXPECT_EQ(binding.FieldIndex("乲"), -1) << "GBK 81 6B is another character";
    window.grid.InsertRow("7");
    EXPECT_EQ(binding.SetFieldText(1, "NAME", "新名称"), 1);
    EXPECT_EQ(window.grid.GetItemText(1, 2), "新名称");
    EXPECT_EQ(binding.GetFieldText(1, "name"), "新名称");
    EXPECT_EQ(binding.SetFieldText(1, "TotalCount", "3"), -1);
    EXPECT_EQ(binding.GetFieldText(1, "TotalCount"), "");
}

TEST(DataGridColours, BuiltInThenProfileColoursOnlyOnceTheWindowExists) {
    TempHostFolder folder;
    folder.Write("uiprofile.ini", "[DataGrid]\r\nBackColor=255\r\nFixedColor=\r\n");
    CGridCtrl unshown;
    const COLORREF back = unshown.GetGridBkColor();
    CDataGrid early;
    early.Attach(&unshown);
    EXPECT_EQ(early.GetGrid(), &unshown);
    EXPECT_EQ(unshown.GetGridBkColor(), back);

    GridWindow window;
    CDataGrid binding;
    binding.Attach(&window.grid);
    binding.AddField("KeyId", "编号");
    binding.SetupColumns();
    EXPECT_EQ(window.grid.GetDefaultBackColor(GridCellKind::Corner), 0xE0C487u)
        << "an empty key keeps the built-in colour";
    const QImage image = window.grid.Widget()->grab().toImage();
    EXPECT_EQ(FromQColor(image.pixelColor(590, 290)), RGB(255, 0, 0)) << "outside the cells";

    folder.Write("uiprofile.ini", "[DataGrid]\r\nFixedColor=abc\r\n");
    binding.Attach(&window.grid);
    EXPECT_EQ(window.grid.GetGridBkColor(), 0xF0E8C8u);
    EXPECT_EQ(window.grid.GetDefaultBackColor(GridCellKind::FixedRow), 0u);
}

TEST(DataGridWidths, ItemsClampedAndColumnsWithoutOneKeepTheFittedWidth) {
    TempHostFolder folder;
    folder.Write("res/gridpos.ini", "[CSiteListView]\r\nColumnWidth=0,500,abc\r\n"
                                    "[Short]\r\nColumnWidth=150,,\r\n");
    GridWindow window;
    CDataGrid binding;
    binding.Attach(&window.grid);
    DeclareSites(binding);
    binding.SetupColumns();
    const int fitted = Width(window, 3);
    CDataGrid::LoadColumnWidths(&window.grid, "csitelistview");
    EXPECT_EQ(Width(window, 0), 80);
    EXPECT_EQ(Width(window, 1), 400);
    EXPECT_EQ(Width(window, 2), 80);
    EXPECT_EQ(Width(window, 3), fitted);

    // An empty item between commas counts; the empty rest after the last does not.
    window.grid.SetColumnWidth(2, 33);
    CDataGrid::LoadColumnWidths(&window.grid, "Short");
    EXPECT_EQ(Width(window, 0), 150);
    EXPECT_EQ(Width(window, 1), 80);
    EXPECT_EQ(Width(window, 2), 33);
}

TEST(DataGridWidths, SavedWidthsComeBackAndOtherScreensKeepTheirs) {
    TempHostFolder folder;
    GridWindow window;
    window.grid.SetColumnCount(3);
    window.grid.SetColumnWidth(0, 120);
    window.grid.SetColumnWidth(1, 7);
    window.grid.SetColumnWidth(2, 399);
    CDataGrid::SaveColumnWidths(&window.grid, "CPublishTaskListView");
    ASSERT_TRUE(folder.Exists("res/gridpos.ini")) << "the res folder is made";
    CGridCtrl none;
    CDataGrid::SaveColumnWidths(&none, "CSiteListView");
    window.grid.SetColumnWidth(1, 50);
    CDataGrid::SaveColumnWidths(&window.grid, "CPublishTaskListView");

    CIniFile file;
    ASSERT_EQ(file.Load(folder.Path("res/gridpos.ini")), EIniLoad::Loaded);
    EXPECT_EQ(file.GetString("CPublishTaskListView", "ColumnWidth"), "120,50,399");
    EXPECT_TRUE(file.HasValue("CSiteListView", "ColumnWidth"));
    EXPECT_EQ(file.GetString("CSiteListView", "ColumnWidth"), "");

    GridWindow again;
    again.grid.SetColumnCount(3);
    CDataGrid::LoadColumnWidths(&again.grid, "CPublishTaskListView");
    EXPECT_EQ(Width(again, 0), 120);
    EXPECT_EQ(Width(again, 1), 50);
    EXPECT_EQ(Width(again, 2), 399);
}

namespace {

// A list screen as list screens are written: grid and binding as members, the
// widths kept by the binding; the screen saves nothing in OnDestroy and does
// not destroy its window in its destructor.
class ListScreen : public CWnd {
public:
    CGridCtrl grid;
    CDataGrid binding;

protected:
    bool OnCreate() override {
        grid.Create(this, CRect{0, 0, 300, 200}, 6010);
        binding.Attach(&grid);
        DeclareSites(binding);
        binding.SetupColumns();
        CDataGrid::KeepColumnWidths(&grid, "CSiteListView");
        return true;
    }
};

} // namespace

TEST(DataGridWidths, KeptWidthsAreSavedWhicheverWayTheScreenGoes) {
    TempHostFolder folder;
    folder.Write("res/gridpos.ini", "[CSiteListView]\r\nColumnWidth=11\r\n");
    enum Way { kWindowDestroyed, kDeletedWithWindowUp, kHostDeleted };
    int loaded = 11;
    for (Way way : {kWindowDestroyed, kDeletedWithWindowUp, kHostDeleted}) {
        auto host = std::make_unique<QWidget>();
        auto screen = std::make_unique<ListScreen>();
        ASSERT_TRUE(screen->Create(host.get(), CRect{0, 0, 300, 200}, 1));
        EXPECT_EQ(screen->grid.GetColumnWidth(0), loaded) << way;
        loaded = 100 + way;
        screen->grid.SetColumnWidth(0, loaded);
        if (way == kWindowDestroyed)
            screen->DestroyWindow();
        else if (way == kHostDeleted)
            host.reset();
        screen.reset();
        CIniFile file;
        ASSERT_EQ(file.Load(folder.Path("res/gridpos.ini")), EIniLoad::Loaded);
        const std::string saved = file.GetString("CSiteListView", "ColumnWidth");
        EXPECT_EQ(saved.substr(0, saved.find(',')), std::to_string(loaded)) << way;
    }
}

namespace {

class DataGridFill : public SchemaDatabaseTest {
protected:
    void SetUp() override {
        SchemaDatabaseTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        m_binding.Attach(&m_window.grid);
        DeclareSites(m_binding);
        m_binding.SetupColumns();
        m_binding.SetOrder(" order by KeyId");
    }

    // Sites 1 to count in one statement; every seventh has no user name.
    void AddSites(int count) {
        std::string sql = "insert into SiteData(KeyId,Name,Score,UserName) values ";
        for (int key = 1; key <= count; ++key) {
            const std::string n = std::to_string(key);
            sql += (key > 1 ? ",(" : "(") + n + ",'站点" + n + "'," + n + "," +
                   (key % 7 ? "'user" + n + "'" : std::string("NULL")) + ")";
        }
        ExecuteOrFail(m_db, sql);
    }

    // Fills one page; the keys of its first and last rows, or "none".
    std::string FillPage(int index) {
        m_binding.SetPageIndex(index);
        if (m_binding.Fill(&m_db) != 1)
            return "error " + m_binding.GetLastError();
        const int last = Grid().GetRowCount() - 1;
        if (last < 1)
            return "none";
        EXPECT_EQ(Grid().GetRowHeight(last), 20);
        return Grid().GetItemText(1, 0) + "-" + Grid().GetItemText(last, 0);
    }

    CGridCtrl& Grid() { return m_window.grid; }

    GridWindow m_window;
    CDataGrid m_binding;
};

} // namespace

TEST_P(DataGridFill, PagesOfTwoHundredOutOf450Records) {
    AddSites(450);
    EXPECT_EQ(FillPage(0), "1-200");
    EXPECT_EQ(Grid().GetRowCount(), 201);
    EXPECT_EQ(FillPage(1), "201-400");
    EXPECT_EQ(FillPage(2), "401-450");
    EXPECT_EQ(Grid().GetRowCount(), 51) << "each fill replaces the data rows";
    EXPECT_EQ(Grid().GetItemText(0, 0), "编号");
    EXPECT_EQ(FillPage(3), "none");
    EXPECT_EQ(Grid().GetDefaultMargin(GridCellKind::Corner), 2);
}

TEST_P(DataGridFill, LargePagesKeepEveryRecordInOrder) {
    AddSites(1500);
    m_binding.SetPageSize(1200);
    ASSERT_EQ(FillPage(0), "1-1200");
    for (int row = 1; row <= 1200; ++row)
        ASSERT_EQ(Grid().GetItemText(row, 2), "站点" + std::to_string(row)) << "row " << row;
    EXPECT_EQ(FillPage(1), "1201-1500");
}

TEST_P(DataGridFill, ValuesAsTextWithNullEmpty) {
    AddSites(14);
    m_binding.AddCondition(" Score>=6 ");
    m_binding.AddCondition(" Score<=7 ");
    ASSERT_EQ(FillPage(0), "6-7");
    EXPECT_EQ(Grid().GetItemText(1, 1), " ") << "the literal column";
    EXPECT_EQ(Grid().GetItemText(1, 2), "站点6");
    EXPECT_EQ(Grid().GetItemText(1, 3), "6") << "a number as plain decimal text";
    EXPECT_EQ(Grid().GetItemText(1, 4), "user6");
    EXPECT_EQ(Grid().GetItemText(2, 4), "") << "NULL";
}

TEST_P(DataGridFill, AFailingSelectKeepsTheRowsAndGivesTheDatabaseError) {
    AddSites(3);
    ASSERT_EQ(FillPage(0), "1-3");
    m_binding.AddCondition(" NoSuchColumn=1 ");
    CAdoRecordset direct;
    direct.SetConnection(m_db.GetConnection());
    ASSERT_EQ(direct.Open(m_binding.BuildSelect()), 0);

    EXPECT_EQ(m_binding.Fill(&m_db), -3);
    EXPECT_EQ(m_binding.GetLastError(), direct.GetLastError());
    EXPECT_NE(m_binding.GetLastError(), "");
    EXPECT_EQ(Grid().GetRowCount(), 4);
    EXPECT_EQ(Grid().GetItemText(3, 2), "站点3");

    m_binding.ClearConditions();
    m_binding.AddCondition(" Score>100 ");
    EXPECT_EQ(FillPage(0), "none") << "no records is a success";
}

// A select that fails at its 600th record gives -3 with the database's error
// and keeps the rows it added, a whole batch of the grid's and the rest. The
// server sorts every record before it hands over the first, so there a
// sorted select fails when it opens, and the grid keeps the rows it had.
TEST_P(DataGridFill, AFillThatFailsPartWayKeepsTheRowsItAdded) {
    AddSites(700);
    ASSERT_EQ(FillPage(0), "1-200");
    const bool sqlite = GetParam() == Engine::SQLite;
    m_binding.AddField(sqlite ? "case when KeyId=600 then abs(-9223372036854775807-1) else 0 end"
                              : "1/(600-KeyId)");
    m_binding.SetPageSize(1000);
    m_binding.SetOrder("");
    EXPECT_EQ(m_binding.Fill(&m_db), -3);
    EXPECT_TRUE(
        Contains(m_binding.GetLastError(), sqlite ? "integer overflow" : "division by zero"))
        << m_binding.GetLastError();
    ASSERT_EQ(Grid().GetRowCount(), 600);
    EXPECT_EQ(Grid().GetItemText(599, 2), "站点599");

    m_binding.SetOrder(" order by KeyId desc");
    EXPECT_EQ(m_binding.Fill(&m_db), -3);
    EXPECT_EQ(Grid().GetRowCount(), sqlite ? 1 + 100 : 600);
    EXPECT_EQ(Grid().GetItemText(Grid().GetRowCount() - 1, 0), sqlite ? "601" : "599");
}

NIMBREL_ON_BOTH_ENGINES(DataGridFill);
