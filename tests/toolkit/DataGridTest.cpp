// The grid binding on a real grid window (offscreen) and real databases of
// both engines.
#include "toolkit/DataGrid.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "host/HostDatabase.h"
#include "platform/SysColor.h"
#include "settings/IniFile.h"
#include "tests/database/support/TestDatabase.h"
#include "widgets/GridCtrl.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace {

// A list screen's grid: a child window with a header row, shown.
struct GridWindow {
    QWidget host;
    CGridCtrl grid;

    GridWindow() {
        host.resize(600, 300);
        grid.Create(&host, CRect{0, 0, 600, 300}, 6010);
        grid.SetFixedRowCount(1);
        grid.SetEditable(false);
        grid.SetListMode(true);
        host.show();
    }
};

// The site list's declaration, less the category condition.
void DeclareSites(CDataGrid& binding) {
    binding.SetTable("SiteData");
    binding.AddField("KeyId", "编号");
    binding.AddField("' '", "");
    binding.AddField("Name", "网站名称");
    binding.AddField("Score", "评分");
    binding.AddField("UserName", "用户名");
}

std::vector<std::string> Column(const CGridCtrl& grid, int col) {
    std::vector<std::string> texts;
    for (int row = 0; row < grid.GetRowCount(); ++row)
        texts.push_back(grid.GetItemText(row, col));
    return texts;
}

} // namespace

// ---- Select text ----

TEST(DataGridSelect, ConditionsAndOrderKeepTheirOwnBlanks) {
    CDataGrid binding;
    binding.SetTable("T");
    binding.AddField("KeyId");
    binding.AddField("Name");
    binding.AddCondition(" a=1 ");
    binding.AddCondition(" b like 'x%' ");
    binding.SetOrder(" order by keyid desc ");
    EXPECT_EQ(binding.BuildSelect(),
              "select KeyId,Name from T where  a=1  and  b like 'x%'   order by keyid desc ");
    EXPECT_EQ(binding.GetSelectText(), binding.BuildSelect());
    EXPECT_EQ(binding.BuildWhere(), " where  a=1  and  b like 'x%' ");

    binding.ClearConditions();
    binding.SetOrder("");
    EXPECT_EQ(binding.BuildSelect(), "select KeyId,Name from T ");
    EXPECT_EQ(binding.BuildWhere(), "");
    binding.AddCondition("c=3");
    EXPECT_EQ(binding.BuildSelect(), "select KeyId,Name from T where c=3 ");
}

TEST(DataGridSelect, TrailingCommasOfTheFieldListAreTrimmed) {
    CDataGrid binding;
    binding.SetTable("T");
    binding.AddField("KeyId");
    binding.AddField("Name,,");
    EXPECT_EQ(binding.BuildSelect(), "select KeyId,Name from T ");
}

TEST(DataGridSelect, NoFieldsGiveNoSelectAndAFillThatLeavesTheGridAlone) {
    TempHostFolder folder;
    CDataGrid binding;
    binding.SetTable("SiteData");
    binding.AddCondition(" a=1 ");
    EXPECT_EQ(binding.BuildSelect(), "");
    EXPECT_EQ(binding.BuildWhere(), "");

    GridWindow window;
    window.grid.SetColumnCount(2);
    window.grid.InsertRow("kept");
    window.grid.SetDefaultMargin(GridCellKind::Normal, 5);
    binding.Attach(&window.grid);
    CAdoDatabase db; // the result comes before the database is used
    EXPECT_EQ(binding.Fill(&db), -2);
    EXPECT_EQ(window.grid.GetRowCount(), 2);
    EXPECT_EQ(window.grid.GetItemText(1, 0), "kept");
    EXPECT_EQ(window.grid.GetDefaultMargin(GridCellKind::Normal), 5);
}

TEST(DataGridSelect, FillWithoutDatabaseOrGridGivesMinusOne) {
    CDataGrid binding;
    DeclareSites(binding);
    CAdoDatabase db;
    EXPECT_EQ(binding.Fill(&db), -1) << "no grid attached";
    GridWindow window;
    binding.Attach(&window.grid);
    EXPECT_EQ(binding.Fill(nullptr), -1);
    EXPECT_EQ(binding.GetDatabase(), nullptr);
}

// ---- Columns and fields ----

TEST(DataGridColumns, CaptionsGivenEvenEmptyElseTheFieldText) {
    CDataGrid binding;
    EXPECT_EQ(binding.SetupColumns(), 0);
    GridWindow window;
    binding.Attach(&window.grid);
    binding.SetTable("SiteData");
    binding.AddField("KeyId", "编号");
    binding.AddField("' '", "");
    binding.AddField("Homepage");
    binding.AddField("Name", "一个相当长的网站名称标题");
    ASSERT_EQ(binding.SetupColumns(), 1);
    EXPECT_EQ(window.grid.GetFixedRowCount(), 1);
    EXPECT_EQ(Column(window.grid, 0), std::vector<std::string>{"编号"});
    EXPECT_EQ(window.grid.GetItemText(0, 1), "");
    EXPECT_EQ(window.grid.GetItemText(0, 2), "Homepage");
    EXPECT_EQ(window.grid.GetColumnCount(), 4);
    EXPECT_GT(window.grid.GetColumnWidth(3), window.grid.GetColumnWidth(0))
        << "widths are fitted to the captions";
}

TEST(DataGridColumns, FieldsAreFoundWithoutRegardToCaseButDoubleByteCharactersStayWhole) {
    CDataGrid binding;
    EXPECT_EQ(binding.FieldIndex("KeyId"), -1);
    binding.AddField("KeyId");
    binding.AddField("並"); // GBK 81 4B: its trail byte reads as 'K'
    binding.AddField("Name");
    EXPECT_EQ(binding.FieldIndex("keyid"), 0);
    EXPECT_EQ(binding.FieldIndex("NAME"), 2);
    EXPECT_EQ(binding.FieldIndex("並"), 1);
    EXPECT_EQ(binding.FieldIndex("乲"), -1) << "GBK 81 6B is another character";
    EXPECT_EQ(binding.FieldIndex("Nam"), -1);

    EXPECT_EQ(binding.SetFieldText(1, "name", "x"), -1) << "no grid";
    EXPECT_EQ(binding.GetFieldText(1, "name"), "");
    GridWindow window;
    binding.Attach(&window.grid);
    binding.SetupColumns();
    window.grid.InsertRow("7");
    EXPECT_EQ(binding.SetFieldText(1, "name", "新名称"), 1);
    EXPECT_EQ(window.grid.GetItemText(1, 2), "新名称");
    EXPECT_EQ(binding.GetFieldText(1, "NAME"), "新名称");
    EXPECT_EQ(binding.GetFieldText(1, "keyid"), "7");
    EXPECT_EQ(binding.SetFieldText(1, "TotalCount", "3"), -1);
    EXPECT_EQ(binding.GetFieldText(1, "TotalCount"), "");
}

// ---- Colours ----

TEST(DataGridColours, AttachBeforeTheWindowExistsChangesNothing) {
    TempHostFolder folder;
    folder.Write("uiprofile.ini", "[DataGrid]\r\nBackColor=255\r\n");
    CGridCtrl grid;
    const COLORREF back = grid.GetGridBkColor();
    const COLORREF fixed = grid.GetDefaultBackColor(GridCellKind::FixedRow);
    CDataGrid binding;
    binding.Attach(&grid);
    EXPECT_EQ(binding.GetGrid(), &grid);
    EXPECT_EQ(grid.GetGridBkColor(), back);
    EXPECT_EQ(grid.GetDefaultBackColor(GridCellKind::FixedRow), fixed);
}

TEST(DataGridColours, BuiltInColoursThenTheProfile) {
    TempHostFolder folder;
    {
        GridWindow window;
        const COLORREF normal = window.grid.GetDefaultBackColor(GridCellKind::Normal);
        CDataGrid binding;
        binding.Attach(&window.grid);
        EXPECT_EQ(window.grid.GetGridBkColor(), 0xF0E8C8u);
        for (GridCellKind kind :
             {GridCellKind::FixedRow, GridCellKind::FixedColumn, GridCellKind::Corner})
            EXPECT_EQ(window.grid.GetDefaultBackColor(kind), 0xE0C487u);
        EXPECT_EQ(window.grid.GetDefaultBackColor(GridCellKind::Normal), normal);
    }
    folder.Write("uiprofile.ini", "[DataGrid]\r\nBackColor=\r\nFixedColor=abc\r\n");
    GridWindow window;
    CDataGrid binding;
    binding.Attach(&window.grid);
    EXPECT_EQ(window.grid.GetGridBkColor(), 0xF0E8C8u) << "an empty key keeps the built-in colour";
    EXPECT_EQ(window.grid.GetDefaultBackColor(GridCellKind::Corner), 0u);
}

TEST(DataGridColours, BackColor255PaintsTheGridBackgroundRed) {
    TempHostFolder folder;
    folder.Write("uiprofile.ini", "[DataGrid]\r\nBackColor=255\r\nFixedColor=65280\r\n");
    GridWindow window;
    CDataGrid binding;
    binding.Attach(&window.grid);
    binding.AddField("KeyId", "编号");
    binding.SetupColumns();
    const QImage image = window.grid.Widget()->grab().toImage();
    EXPECT_EQ(FromQColor(image.pixelColor(590, 290)), RGB(255, 0, 0)) << "outside the cells";
    const CRect header = window.grid.GetCellRect(0, 0);
    EXPECT_EQ(FromQColor(image.pixelColor(header.left + 1, header.bottom - 3)), RGB(0, 255, 0))
        << "the header cell in the fixed colour";
}

// ---- Column widths ----

TEST(DataGridWidths, ItemsAreClampedAndColumnsWithoutOneKeepTheFittedWidth) {
    TempHostFolder folder;
    folder.Write("res/gridpos.ini", "[CSiteListView]\r\nColumnWidth=0,500,abc\r\n"
                                    "[Short]\r\nColumnWidth=150,,\r\n");
    GridWindow window;
    CDataGrid binding;
    binding.Attach(&window.grid);
    DeclareSites(binding);
    binding.SetupColumns();
    const int fitted[] = {window.grid.GetColumnWidth(3), window.grid.GetColumnWidth(4)};
    CDataGrid::LoadColumnWidths(&window.grid, "csitelistview");
    EXPECT_EQ(window.grid.GetColumnWidth(0), 80);
    EXPECT_EQ(window.grid.GetColumnWidth(1), 400);
    EXPECT_EQ(window.grid.GetColumnWidth(2), 80);
    EXPECT_EQ(window.grid.GetColumnWidth(3), fitted[0]);

    // An empty item between commas counts; the empty rest after the last does not.
    window.grid.SetColumnWidth(2, 33);
    CDataGrid::LoadColumnWidths(&window.grid, "Short");
    EXPECT_EQ(window.grid.GetColumnWidth(0), 150);
    EXPECT_EQ(window.grid.GetColumnWidth(1), 80);
    EXPECT_EQ(window.grid.GetColumnWidth(2), 33);
    EXPECT_EQ(window.grid.GetColumnWidth(4), fitted[1]);

    CDataGrid::LoadColumnWidths(&window.grid, "Missing");
    EXPECT_EQ(window.grid.GetColumnWidth(0), 150);
}

TEST(DataGridWidths, MoreItemsThanColumnsAndAMissingFile) {
    TempHostFolder folder;
    GridWindow window;
    window.grid.SetColumnCount(2);
    window.grid.SetColumnWidth(0, 55);
    CDataGrid::LoadColumnWidths(&window.grid, "CSiteListView");
    EXPECT_EQ(window.grid.GetColumnWidth(0), 55);
    folder.Write("res/gridpos.ini", "[CSiteListView]\r\nColumnWidth=10,20,30,40\r\n");
    CDataGrid::LoadColumnWidths(&window.grid, "CSiteListView");
    EXPECT_EQ(window.grid.GetColumnWidth(0), 10);
    EXPECT_EQ(window.grid.GetColumnWidth(1), 20);
    EXPECT_EQ(window.grid.GetColumnCount(), 2);
}

TEST(DataGridWidths, SavedWidthsComeBackAndOtherScreensKeepTheirs) {
    TempHostFolder folder;
    ASSERT_FALSE(folder.Exists("res"));
    GridWindow window;
    window.grid.SetColumnCount(3);
    window.grid.SetColumnWidth(0, 120);
    window.grid.SetColumnWidth(1, 7);
    window.grid.SetColumnWidth(2, 399);
    CDataGrid::SaveColumnWidths(&window.grid, "CPublishTaskListView");
    ASSERT_TRUE(folder.Exists("res/gridpos.ini")) << "the res folder is made";

    CGridCtrl other;
    CDataGrid::SaveColumnWidths(&other, "CSiteListView");
    window.grid.SetColumnWidth(1, 50);
    CDataGrid::SaveColumnWidths(&window.grid, "CPublishTaskListView");

    CIniFile file;
    ASSERT_TRUE(file.Load(folder.Path("res/gridpos.ini")));
    EXPECT_EQ(file.GetString("CPublishTaskListView", "ColumnWidth"), "120,50,399");
    EXPECT_TRUE(file.HasValue("CSiteListView", "ColumnWidth"));
    EXPECT_EQ(file.GetString("CSiteListView", "ColumnWidth"), "");

    GridWindow again;
    again.grid.SetColumnCount(3);
    CDataGrid::LoadColumnWidths(&again.grid, "CPublishTaskListView");
    EXPECT_EQ(again.grid.GetColumnWidth(0), 120);
    EXPECT_EQ(again.grid.GetColumnWidth(1), 50);
    EXPECT_EQ(again.grid.GetColumnWidth(2), 399);
}

// ---- Fill, on both engines ----

namespace {

class DataGridFill : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        ASSERT_EQ(m_test.Error(), "");
        ASSERT_TRUE(m_db.Open(m_test.ConnectionString())) << Utf8(m_db.GetLastError());
        std::string error;
        ASSERT_TRUE(CreateSchema(m_db, error)) << Utf8(error);
        m_binding.Attach(&m_window.grid);
        DeclareSites(m_binding);
        m_binding.SetupColumns();
    }

    // Sites 1 to count in one statement; every seventh has no user name.
    void AddSites(int count) {
        std::string sql = "insert into SiteData(KeyId,Name,Score,UserName) values ";
        for (int key = 1; key <= count; ++key) {
            const std::string n = std::to_string(key);
            sql += (key > 1 ? "," : "") + std::string("(") + n + ",'站点" + n + "'," + n + "," +
                   (key % 7 ? "'user" + n + "'" : std::string("NULL")) + ")";
        }
        ExecuteOrFail(m_db, sql);
    }

    CGridCtrl& Grid() { return m_window.grid; }

    TestDatabase m_test{GetParam()};
    CAdoDatabase m_db;
    GridWindow m_window;
    CDataGrid m_binding;
};

} // namespace

TEST_P(DataGridFill, PagesOfTwoHundredOutOf450Records) {
    AddSites(450);
    m_binding.SetOrder(" order by KeyId");
    const struct {
        int page, rows;
        const char *first, *last;
    } pages[] = {{0, 200, "1", "200"},
                 {1, 200, "201", "400"},
                 {2, 50, "401", "450"},
                 {3, 0, nullptr, nullptr}};
    for (const auto& page : pages) {
        SCOPED_TRACE(page.page);
        m_binding.SetPageIndex(page.page);
        ASSERT_EQ(m_binding.Fill(&m_db), 1) << Utf8(m_binding.GetLastError());
        ASSERT_EQ(Grid().GetRowCount(), 1 + page.rows) << "each fill replaces the data rows";
        EXPECT_EQ(Grid().GetItemText(0, 0), "编号") << "the header row stays";
        if (page.rows == 0)
            continue;
        EXPECT_EQ(Grid().GetItemText(1, 0), page.first);
        EXPECT_EQ(Grid().GetItemText(page.rows, 0), page.last);
        EXPECT_EQ(Grid().GetRowHeight(1), 20);
        EXPECT_EQ(Grid().GetRowHeight(page.rows), 20);
    }
    EXPECT_EQ(m_binding.GetDatabase(), &m_db);
    for (GridCellKind kind : {GridCellKind::Normal, GridCellKind::FixedRow,
                              GridCellKind::FixedColumn, GridCellKind::Corner})
        EXPECT_EQ(Grid().GetDefaultMargin(kind), 2);
}

TEST_P(DataGridFill, LargePagesKeepEveryRecordInOrder) {
    AddSites(1500);
    m_binding.SetOrder(" order by KeyId");
    m_binding.SetPageSize(1200);
    ASSERT_EQ(m_binding.Fill(&m_db), 1) << Utf8(m_binding.GetLastError());
    ASSERT_EQ(Grid().GetRowCount(), 1201);
    for (int row = 1; row <= 1200; ++row) {
        ASSERT_EQ(Grid().GetItemText(row, 0), std::to_string(row)) << "row " << row;
        ASSERT_EQ(Grid().GetItemText(row, 2), "站点" + std::to_string(row)) << "row " << row;
    }
    m_binding.SetPageIndex(1);
    ASSERT_EQ(m_binding.Fill(&m_db), 1);
    ASSERT_EQ(Grid().GetRowCount(), 301);
    EXPECT_EQ(Grid().GetItemText(1, 0), "1201");
    EXPECT_EQ(Grid().GetItemText(300, 3), "1500");
    EXPECT_EQ(Grid().GetRowHeight(300), 20);
}

TEST_P(DataGridFill, ValuesAsTextWithNullEmptyAndTheFilterApplied) {
    AddSites(14);
    m_binding.AddCondition(" Score>=6 ");
    m_binding.AddCondition(" Score<=8 ");
    m_binding.SetOrder(" order by keyid desc ");
    ASSERT_EQ(m_binding.Fill(&m_db), 1) << Utf8(m_binding.GetLastError());
    ASSERT_EQ(Grid().GetRowCount(), 4);
    EXPECT_EQ(Column(Grid(), 0), (std::vector<std::string>{"编号", "8", "7", "6"}));
    EXPECT_EQ(Grid().GetItemText(1, 1), " ") << "the literal column";
    EXPECT_EQ(Grid().GetItemText(1, 2), "站点8");
    EXPECT_EQ(Grid().GetItemText(1, 3), "8") << "a number as plain decimal text";
    EXPECT_EQ(Grid().GetItemText(1, 4), "user8");
    EXPECT_EQ(Grid().GetItemText(2, 4), "") << "NULL";
    EXPECT_EQ(m_binding.GetFieldText(2, "username"), "");
    EXPECT_EQ(m_binding.GetFieldText(3, "NAME"), "站点6");
}

TEST_P(DataGridFill, AFailingSelectKeepsTheRowsAndGivesTheDatabaseError) {
    AddSites(3);
    ASSERT_EQ(m_binding.Fill(&m_db), 1);
    ASSERT_EQ(Grid().GetRowCount(), 4);
    m_binding.AddCondition(" NoSuchColumn=1 ");

    CAdoRecordset direct;
    direct.SetConnection(m_db.GetConnection());
    ASSERT_EQ(direct.Open(m_binding.BuildSelect()), 0);
    const std::string expected = direct.GetLastError();
    direct.Close();

    EXPECT_EQ(m_binding.Fill(&m_db), -3);
    EXPECT_EQ(m_binding.GetLastError(), expected);
    EXPECT_NE(m_binding.GetLastError(), "");
    EXPECT_EQ(Grid().GetRowCount(), 4);
    EXPECT_EQ(Grid().GetItemText(3, 2), "站点3");

    m_binding.ClearConditions();
    m_binding.AddCondition(" Score>100 ");
    EXPECT_EQ(m_binding.Fill(&m_db), 1) << "no records is a success";
    EXPECT_EQ(Grid().GetRowCount(), 1);
}

TEST_P(DataGridFill, FilledRowsArePaintedAfterTheFill) {
    AddSites(5);
    m_binding.SetOrder(" order by KeyId");
    m_window.host.show();
    ProcessEvents();
    ASSERT_EQ(m_binding.Fill(&m_db), 1);
    ProcessEvents();
    const QImage image = Grid().Widget()->grab().toImage();
    const CRect row5 = Grid().GetCellRect(5, 2);
    ASSERT_GT(row5.Height(), 0);
    EXPECT_EQ(row5.Height(), 20);
    // The normal cell background, not the grid background, where row 5 lies.
    EXPECT_EQ(FromQColor(image.pixelColor(row5.left + 1, row5.top + 1)),
              Grid().GetDefaultBackColor(GridCellKind::Normal));
    EXPECT_EQ(FromQColor(image.pixelColor(row5.left + 1, row5.bottom + 5)),
              Grid().GetGridBkColor());
}

NIMBREL_ON_BOTH_ENGINES(DataGridFill);
