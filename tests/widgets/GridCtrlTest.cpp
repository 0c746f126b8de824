#include "widgets/GridCtrl.h"
#include "widgets/GridModel.h"

#include "platform/CodePage.h"
#include "tests/support/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The screen that owns the grid: records the notifications it gets.
class NotifyRecorder : public CWnd {
public:
    std::vector<NotifyInfo> notes;
    bool OnNotify(const NotifyInfo& info) override {
        notes.push_back(info);
        return true;
    }
};

constexpr int kGridId = 6010;

class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_host.resize(600, 400);
        ASSERT_TRUE(m_screen.Create(&m_host, CRect{0, 0, 600, 400}, 1));
        ASSERT_TRUE(m_grid.Create(&m_screen, CRect{0, 0, 600, 400}, kGridId));
        m_host.show();
        ProcessEvents();
    }

    // Header row plus one data row per entry; column 0 holds the key.
    void Fill(const std::vector<std::vector<std::string>>& rows, int cols) {
        m_grid.SetFixedRowCount(1);
        m_grid.SetColumnCount(cols);
        for (int col = 0; col < cols; ++col)
            m_grid.SetItemText(0, col, "H" + std::to_string(col));
        for (const auto& cells : rows) {
            const int row = m_grid.InsertRow(cells[0]);
            for (size_t col = 1; col < cells.size(); ++col)
                m_grid.SetItemText(row, int(col), cells[col]);
        }
        ProcessEvents();
    }

    void FillKeys(int count, int cols = 3) {
        std::vector<std::vector<std::string>> rows;
        for (int i = 1; i <= count; ++i)
            rows.push_back({std::to_string(i), "a" + std::to_string(i)});
        Fill(rows, cols);
    }

    QAbstractScrollArea* View() { return static_cast<QAbstractScrollArea*>(m_grid.Widget()); }
    QWidget* Viewport() { return View()->viewport(); }

    QPoint CellCenter(int row, int col) {
        const CRect r = m_grid.GetCellRect(row, col);
        return Viewport()->mapFrom(View(), QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }

    void Click(int row, int col, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(Viewport(), Qt::LeftButton, modifiers, CellCenter(row, col));
    }

    bool RowSelected(int row) {
        for (int col = 0; col < m_grid.GetColumnCount(); ++col)
            if (!(m_grid.GetItemState(row, col) & kGridCellSelected))
                return false;
        return true;
    }

    QWidget m_host;
    NotifyRecorder m_screen;
    CGridCtrl m_grid;
};

std::vector<std::string> Column(const CGridCtrl& grid, int col) {
    std::vector<std::string> texts;
    for (int row = grid.GetFixedRowCount(); row < grid.GetRowCount(); ++row)
        texts.push_back(grid.GetItemText(row, col));
    return texts;
}

} // namespace

TEST_F(GridTest, SelectionBySetOrStateAndWithoutOneCountsAndMinusOnes) {
    FillKeys(5);
    EXPECT_TRUE(m_grid.SetItemState(3, 1, kGridCellSelected | kGridCellReadOnly));
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{3, 1, 3, 1}));
    EXPECT_TRUE(m_grid.SetItemState(3, 1, kGridCellReadOnly));
    EXPECT_EQ(m_grid.GetItemState(3, 1), kGridCellReadOnly);
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{6, 3, -1, -1}));
    // A range that does not fit the grid selects nothing.
    EXPECT_FALSE(m_grid.SetSelectedRange(2, 0, 9, 2));
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{6, 3, -1, -1}));
    // A range over the header is cut to the data rows.
    EXPECT_TRUE(m_grid.SetSelectedRange(0, 0, 2, 2));
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{1, 0, 2, 2}));
    EXPECT_FALSE(m_grid.GetItemState(0, 1) & kGridCellSelected);

    // Without cells the range selects nothing but is where Shift extends from.
    m_grid.SetListMode(true);
    EXPECT_TRUE(m_grid.SetSelectedRange(2, 0, 2, 2, true, false));
    EXPECT_EQ(m_grid.GetSelectedCellRange().maxRow, -1);
    Click(4, 1, Qt::ShiftModifier);
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{2, 0, 4, 2}));
}

TEST_F(GridTest, InvalidIndexesFailAndChangeNothing) {
    FillKeys(2);
    const int rows = m_grid.GetRowCount(), cols = m_grid.GetColumnCount();
    for (auto [row, col] :
         std::vector<std::pair<int, int>>{{-1, 0}, {0, -1}, {rows, 0}, {0, cols}}) {
        EXPECT_FALSE(m_grid.SetItemText(row, col, "x"));
        EXPECT_EQ(m_grid.GetItemText(row, col), "");
        EXPECT_FALSE(m_grid.SetItemData(row, col, 5));
        EXPECT_EQ(m_grid.GetItemData(row, col), 0);
        EXPECT_FALSE(m_grid.SetItemImage(row, col, 1));
        EXPECT_EQ(m_grid.GetItemState(row, col), 0u);
    }
    EXPECT_FALSE(m_grid.SetColumnWidth(cols, 50));
    EXPECT_FALSE(m_grid.SetColumnWidth(0, -5));
    EXPECT_EQ(m_grid.GetColumnWidth(0), CGridModel::kDefaultColumnWidth);
    EXPECT_EQ(m_grid.GetColumnWidth(-1), -1);
    EXPECT_FALSE(m_grid.SetRowHeight(rows, 20));
    EXPECT_FALSE(m_grid.SetRowHeight(1, -1));
    EXPECT_EQ(m_grid.GetRowHeight(rows), -1);
    EXPECT_EQ(m_grid.GetRowCount(), rows);
    EXPECT_EQ(Column(m_grid, 0), (std::vector<std::string>{"1", "2"}));
}

TEST_F(GridTest, InsertRowShiftsRowsAndRefusesIndexesOutsideTheDataRows) {
    FillKeys(3);
    m_grid.SetItemData(3, 0, 33);
    m_grid.SetFocusCell(3, 1);
    m_grid.SetSelectedRange(2, 0, 2, 2);

    EXPECT_EQ(m_grid.InsertRow("new", 1), 1);
    EXPECT_EQ(Column(m_grid, 0), (std::vector<std::string>{"new", "1", "2", "3"}));
    EXPECT_EQ(m_grid.GetItemText(2, 1), "a1");
    EXPECT_EQ(m_grid.GetItemData(4, 0), 33);
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{5, 3, -1, -1})); // selection cleared
    EXPECT_EQ(m_grid.GetFocusCell(), (CCellPos{4, 1}));                   // stays on its record

    EXPECT_EQ(m_grid.InsertRow("x", 0), -1); // inside the fixed row
    EXPECT_EQ(m_grid.InsertRow("x", 5), -1); // not below the row count
    EXPECT_EQ(m_grid.InsertRow("x", 9), -1);
    EXPECT_EQ(m_grid.GetRowCount(), 5);
    EXPECT_EQ(m_grid.InsertRow("last", -1), 5);
    EXPECT_EQ(m_grid.GetItemText(5, 0), "last");

    CGridCtrl bare;
    EXPECT_EQ(bare.InsertRow("k"), 0);
    EXPECT_EQ(bare.GetColumnCount(), 1);
    EXPECT_EQ(bare.GetItemText(0, 0), "k");
}

TEST_F(GridTest, RowsAppendedInABatchHoldTheirTextsAndHeight) {
    FillKeys(1, 3);
    const std::string longText(200, 'L');
    // Rows of four cells on a grid of three columns: the fourth is dropped.
    const std::vector<std::string_view> texts = {"2",      "", "中文", "dropped", "3",
                                                 longText, "", "",     "4"};
    EXPECT_EQ(m_grid.AppendRows(texts, 4, 20), 2);
    ASSERT_EQ(m_grid.GetRowCount(), 5);
    EXPECT_EQ(Column(m_grid, 0), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(Column(m_grid, 1), (std::vector<std::string>{"a1", "", longText, ""}));
    EXPECT_EQ(Column(m_grid, 2), (std::vector<std::string>{"", "中文", "", ""}));
    EXPECT_EQ(m_grid.GetRowHeight(2), 20);
    EXPECT_EQ(m_grid.GetRowHeight(4), 20);

    // Appended rows behave like any other: texts can change afterwards.
    m_grid.SetItemText(3, 2, "later");
    EXPECT_EQ(m_grid.GetItemText(3, 1), longText);
    EXPECT_EQ(m_grid.GetItemText(3, 2), "later");
    EXPECT_EQ(m_grid.AppendRows({}, 3), 5);
    EXPECT_EQ(m_grid.AppendRows(texts, 0), -1);
    EXPECT_EQ(m_grid.AppendRows(texts, 3, -2), -1);
    EXPECT_EQ(m_grid.GetRowCount(), 5);

    // Rows appended together share their storage: sorting, removing rows and
    // cutting columns off leave every other row's texts as they were, and a
    // refill after clearing starts afresh.
    m_grid.AppendRows({"0", "z", "", "9", "y", "w"}, 3);
    m_grid.SortTextItems(0, true);
    EXPECT_EQ(Column(m_grid, 0), (std::vector<std::string>{"0", "1", "2", "3", "4", "9"}));
    EXPECT_EQ(Column(m_grid, 2), (std::vector<std::string>{"", "", "中文", "later", "", "w"}));
    EXPECT_TRUE(m_grid.DeleteRow(1));
    m_grid.SetColumnCount(2);
    EXPECT_EQ(Column(m_grid, 1), (std::vector<std::string>{"a1", "", longText, "", "y"}));
    m_grid.DeleteNonFixedRows();
    m_grid.AppendRows({"5", "v"}, 2);
    EXPECT_EQ(Column(m_grid, 1), (std::vector<std::string>{"v"}));
    EXPECT_EQ(m_grid.GetItemText(0, 1), "H1");
}

TEST_F(GridTest, DeletingRowsKeepsTheHeader) {
    Fill({}, 3);
    m_grid.DeleteNonFixedRows();
    EXPECT_EQ(m_grid.GetRowCount(), 1);
    EXPECT_EQ(m_grid.GetItemText(0, 2), "H2");

    FillKeys(4);
    m_grid.SetSelectedRange(3, 0, 4, 2);
    EXPECT_TRUE(m_grid.DeleteRow(2));
    EXPECT_EQ(Column(m_grid, 0), (std::vector<std::string>{"1", "3", "4"}));
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{2, 0, 3, 2})); // moved up with its rows
    EXPECT_FALSE(m_grid.DeleteRow(4));
    m_grid.DeleteNonFixedRows();
    EXPECT_EQ(m_grid.GetRowCount(), 1);
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{1, 3, -1, -1}));

    CGridCtrl grid;
    grid.SetFixedRowCount(1); // adds the header row to an empty grid
    EXPECT_EQ(grid.GetRowCount(), 1);
}

TEST_F(GridTest, TextsOfAnyLengthSurviveOverwritingInAnyOrder) {
    m_grid.SetRowCount(2);
    m_grid.SetColumnCount(5);
    const std::string longText(300, 'x');
    const std::string chinese = "中文字段";
    m_grid.SetItemText(1, 3, longText);
    m_grid.SetItemText(1, 0, chinese);
    m_grid.SetItemText(1, 4, std::string(127, 'y'));
    m_grid.SetItemText(1, 3, "short");
    m_grid.SetItemText(1, 1, std::string(128, 'z'));
    EXPECT_EQ(m_grid.GetItemText(1, 0), chinese);
    EXPECT_EQ(m_grid.GetItemText(1, 1), std::string(128, 'z'));
    EXPECT_EQ(m_grid.GetItemText(1, 2), "");
    EXPECT_EQ(m_grid.GetItemText(1, 3), "short");
    EXPECT_EQ(m_grid.GetItemText(1, 4), std::string(127, 'y'));
    m_grid.SetItemText(1, 1, "");
    EXPECT_EQ(m_grid.GetItemText(1, 1), "");
    EXPECT_EQ(m_grid.GetItemText(1, 3), "short");
    EXPECT_EQ(m_grid.Model()->data(m_grid.Model()->index(1, 0)).toString(), FromGbk(chinese));

    // Columns cut off and added again come back empty.
    m_grid.SetColumnCount(2);
    m_grid.SetColumnCount(5);
    EXPECT_EQ(m_grid.GetItemText(1, 0), chinese);
    EXPECT_EQ(m_grid.GetItemText(1, 3), "");
    EXPECT_EQ(m_grid.GetItemText(1, 4), "");
}

// What a click tells the screen is the notification test's.
TEST_F(GridTest, ClickSelectsOneCellOrInListModeTheWholeRow) {
    FillKeys(5);
    Click(2, 1);
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{2, 1, 2, 1}));
    EXPECT_FALSE(m_grid.GetItemState(2, 0) & kGridCellSelected);
    EXPECT_TRUE(m_grid.GetItemState(2, 1) & kGridCellFocused);

    m_grid.SetListMode(true);
    Click(3, 1);
    EXPECT_TRUE(RowSelected(3));
    EXPECT_FALSE(RowSelected(2));
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{3, 0, 3, 2}));
    EXPECT_EQ(m_grid.GetFocusCell(), (CCellPos{3, 1}));

    // Shift extends from the clicked row, Ctrl takes one row out again.
    Click(5, 0, Qt::ShiftModifier);
    Click(4, 2, Qt::ControlModifier);
    EXPECT_TRUE(RowSelected(3));
    EXPECT_FALSE(RowSelected(4));
    EXPECT_TRUE(RowSelected(5));
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{3, 0, 5, 2}));
    EXPECT_EQ(m_grid.GetSelectionText(), "3\ta3\t\n5\ta5\t");

    m_grid.SetListMode(true); // clears selection and focus
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{6, 3, -1, -1}));
    EXPECT_FALSE(m_grid.GetFocusCell().IsValid());
}

TEST_F(GridTest, NotificationsCarryTheCellUnderTheMouse) {
    FillKeys(3);
    m_grid.SetEditable(false);
    const QPoint cell = CellCenter(2, 1);
    // A double click as the window system delivers it: press, release,
    // press, double click, release. The last release is not a new click.
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, cell);
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseClick(Viewport(), Qt::RightButton, {}, CellCenter(3, 2));
    QTest::mouseClick(Viewport(), Qt::RightButton, {},
                      QPoint(500, 350)); // below and right of all cells
    Click(0, 1);                         // the header is a cell too

    ASSERT_EQ(m_screen.notes.size(), 5u);
    auto expect = [&](size_t i, int code, int row, int col) {
        EXPECT_EQ(m_screen.notes[i].code, code) << i;
        EXPECT_EQ(m_screen.notes[i].row, row) << i;
        EXPECT_EQ(m_screen.notes[i].column, col) << i;
        EXPECT_EQ(m_screen.notes[i].id, kGridId) << i;
    };
    expect(0, NM_CLICK, 2, 1);
    expect(1, NM_DBLCLK, 2, 1);
    expect(2, NM_RCLICK, 3, 2);
    expect(3, NM_RCLICK, -1, -1);
    expect(4, NM_CLICK, 0, 1);
    const QPoint global = Viewport()->mapToGlobal(CellCenter(3, 2));
    EXPECT_EQ(m_screen.notes[2].screenPoint.x, global.x());
    EXPECT_EQ(m_screen.notes[2].screenPoint.y, global.y());
    // The right click selected the row it hit.
    EXPECT_EQ(m_grid.GetFocusCell(), (CCellPos{3, 2}));
}

TEST_F(GridTest, ClicksInAScrolledGridReportTheScrolledRows) {
    FillKeys(300);
    m_grid.SetListMode(true);
    View()->verticalScrollBar()->setValue(View()->verticalScrollBar()->maximum());
    ProcessEvents();
    const int last = m_grid.GetRowCount() - 1;
    const CRect lastRect = m_grid.GetCellRect(last, 1);
    EXPECT_LE(lastRect.bottom, Viewport()->height());
    EXPECT_EQ(m_grid.GetCellFromPt(CPoint{lastRect.left + 2, lastRect.top + 2}),
              (CCellPos{last, 1}));
    Click(last, 1);
    ASSERT_FALSE(m_screen.notes.empty());
    EXPECT_EQ(m_screen.notes.back().row, last);
    EXPECT_TRUE(RowSelected(last));
    // The header stays in place: a click at the top still hits row 0.
    EXPECT_EQ(m_grid.GetCellFromPt(CPoint{5, 2}).row, 0);
}

TEST_F(GridTest, RowsOfDifferentHeightsAreHitWhereTheyAreDrawn) {
    FillKeys(6);
    m_grid.SetRowHeight(2, 50);
    m_grid.SetRowHeight(4, 7);
    ProcessEvents();
    int y = m_grid.GetCellRect(1, 0).top;
    for (int row = 1; row < m_grid.GetRowCount(); ++row) {
        const CRect rect = m_grid.GetCellRect(row, 0);
        EXPECT_EQ(rect.top, y) << row;
        EXPECT_EQ(rect.Height(), m_grid.GetRowHeight(row)) << row;
        EXPECT_EQ(m_grid.GetCellFromPt(CPoint{3, rect.bottom - 1}).row, row);
        y = rect.bottom;
    }
    EXPECT_EQ(m_grid.GetRowHeight(2), 50);
}

TEST_F(GridTest, HeaderClickSortsRowsByTextBothWays) {
    Fill({{"1", "pear"}, {"2", "apple"}, {"3", "fig"}, {"4", "apple"}}, 2);
    m_grid.SetItemData(1, 0, 11);
    m_grid.SetListMode(true);
    Click(1, 0); // the "pear" row
    Click(0, 1);
    EXPECT_EQ(Column(m_grid, 1), (std::vector<std::string>{"apple", "apple", "fig", "pear"}));
    EXPECT_EQ(Column(m_grid, 0), (std::vector<std::string>{"2", "4", "3", "1"})); // stable
    EXPECT_EQ(m_grid.GetItemData(4, 0), 11); // data moved along
    EXPECT_EQ(m_grid.GetFocusCell().row, 4); // focus and selection went with the row
    EXPECT_TRUE(RowSelected(4));
    EXPECT_FALSE(RowSelected(1));
    EXPECT_EQ(m_grid.GetSortColumn(), 1);

    Click(0, 1);
    EXPECT_EQ(Column(m_grid, 1), (std::vector<std::string>{"pear", "fig", "apple", "apple"}));
    EXPECT_EQ(m_grid.GetItemText(0, 1), "H1");
    EXPECT_FALSE(m_grid.GetSortAscending());

    // Double-byte text sorts by its bytes, after the single-byte text.
    m_grid.SetItemText(1, 1, "中");
    EXPECT_TRUE(m_grid.SortTextItems(1, true));
    EXPECT_EQ(m_grid.GetItemText(4, 1), "中");
}

TEST_F(GridTest, CtrlCCopiesTheSelectedCellsAsTabSeparatedText) {
    Fill({{"1", "甲", "x"}, {"2", "乙", "y"}, {"3", "丙", "z"}}, 3);
    Click(1, 1);
    Click(2, 2, Qt::ShiftModifier);
    QTest::keyClick(View(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), FromGbk("甲\tx\n乙\ty"));

    QTest::keyClick(View(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{1, 0, 3, 2}));
}

TEST_F(GridTest, KeyboardMovesFocusAndSelection) {
    FillKeys(100);
    m_grid.SetListMode(true);
    QTest::keyClick(View(), Qt::Key_Down); // no focus yet: lands on the first row
    EXPECT_EQ(m_grid.GetFocusCell().row, 1);
    QTest::keyClick(View(), Qt::Key_Down);
    QTest::keyClick(View(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{2, 0, 3, 2}));
    QTest::keyClick(View(), Qt::Key_PageDown);
    const int afterPage = m_grid.GetFocusCell().row;
    EXPECT_GT(afterPage, 10);
    QTest::keyClick(View(), Qt::Key_End);
    EXPECT_EQ(m_grid.GetFocusCell().row, 100);
    EXPECT_TRUE(RowSelected(100));
    EXPECT_GT(View()->verticalScrollBar()->value(), 0); // scrolled to the focus
    QTest::keyClick(View(), Qt::Key_Home);
    EXPECT_EQ(m_grid.GetFocusCell().row, 1);
    EXPECT_EQ(View()->verticalScrollBar()->value(), 0);
}

TEST_F(GridTest, MouseWheelScrollsTheRows) {
    FillKeys(200);
    const QPoint pos = CellCenter(2, 0);
    QWheelEvent wheel(pos, Viewport()->mapToGlobal(pos), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Viewport(), &wheel);
    EXPECT_GT(View()->verticalScrollBar()->value(), 0);
    EXPECT_GT(m_grid.GetCellFromPt(CPoint{pos.x(), pos.y()}).row, 2);
}

TEST_F(GridTest, DraggingAHeaderEdgeResizesTheColumnWithoutClickOrSort) {
    FillKeys(3);
    const CRect header = m_grid.GetCellRect(0, 0);
    const QPoint edge = Viewport()->mapFrom(View(), QPoint(header.right - 1, header.top + 3));
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, edge);
    QTest::mouseMove(Viewport(), edge + QPoint(30, 0));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, edge + QPoint(30, 0));
    EXPECT_EQ(m_grid.GetColumnWidth(0), header.Width() + 30);
    EXPECT_TRUE(m_screen.notes.empty());
    EXPECT_EQ(m_grid.GetSortColumn(), -1);
}

TEST_F(GridTest, AutoSizeFitsColumnsToHeaderAndDataTexts) {
    FillKeys(3);
    const std::string longText = "一段相当长的文字, wider than eighty pixels";
    m_grid.SetItemText(2, 1, longText);
    m_grid.SetItemText(0, 2, "a long header caption text");
    m_grid.AutoSize();
    const QFontMetrics metrics(View()->font());
    EXPECT_GE(m_grid.GetColumnWidth(1), metrics.horizontalAdvance(FromGbk(longText)));
    EXPECT_GE(m_grid.GetColumnWidth(2),
              metrics.horizontalAdvance(QStringLiteral("a long header caption text")));
    EXPECT_LT(m_grid.GetColumnWidth(0), CGridModel::kDefaultColumnWidth); // short keys shrink
    // Fitted cells show their whole text: no tip for them.
    const QPoint fitted = CellCenter(2, 1);
    QHelpEvent help(QEvent::ToolTip, fitted, Viewport()->mapToGlobal(fitted));
    QApplication::sendEvent(Viewport(), &help);
    EXPECT_FALSE(QToolTip::isVisible());

    m_grid.AutoSize(kAutoSizeHeader); // the header alone
    EXPECT_LT(m_grid.GetColumnWidth(1), metrics.horizontalAdvance(FromGbk(longText)));

    // A column with nothing in it keeps a usable width.
    m_grid.SetColumnCount(4);
    m_grid.AutoSize();
    EXPECT_EQ(m_grid.GetColumnWidth(3), CGridModel::kDefaultColumnWidth);
}

TEST_F(GridTest, FontAndMarginsReachAllRowsOfDefaultHeight) {
    FillKeys(3);
    m_grid.SetRowHeight(3, 20);
    const int before = m_grid.GetRowHeight(1);
    const int margin = m_grid.GetDefaultMargin(GridCellKind::Normal);
    EXPECT_TRUE(m_grid.SetDefaultMargin(GridCellKind::Normal, 10));
    EXPECT_EQ(m_grid.GetRowHeight(1), before + 2 * (10 - margin));
    EXPECT_FALSE(m_grid.SetDefaultMargin(GridCellKind::Normal, -1));
    QFont font = View()->font();
    font.setPixelSize(60);
    m_grid.Widget()->setFont(font);
    EXPECT_GT(m_grid.GetRowHeight(1), before + 2 * (10 - margin));
    EXPECT_GT(m_grid.GetRowHeight(0), before);
    EXPECT_EQ(m_grid.GetRowHeight(3), 20); // set by hand: stays
}

TEST_F(GridTest, HoverTipShowsTheFullTextOfACutCellOnly) {
    FillKeys(2);
    const std::string longText = "这一格的文字比格子宽得多, so the grid cuts it";
    m_grid.SetItemText(1, 1, longText);
    // A tip goes away on a timer, so the cases that show none come first.
    auto hover = [&](int row, int col) {
        const QPoint pos = CellCenter(row, col);
        QHelpEvent help(QEvent::ToolTip, pos, Viewport()->mapToGlobal(pos));
        QApplication::sendEvent(Viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(hover(2, 1), QString()); // fits
    m_grid.EnableTitleTips(false);
    EXPECT_EQ(hover(1, 1), QString());
    m_grid.EnableTitleTips(true);
    EXPECT_EQ(hover(1, 1), FromGbk(longText));
    QToolTip::hideText();
}

TEST_F(GridTest, EditingNeedsAnEditableGridAndAWritableCell) {
    FillKeys(3);
    auto editor = [&]() -> QLineEdit* {
        for (QLineEdit* edit : Viewport()->findChildren<QLineEdit*>())
            if (edit->isVisible())
                return edit;
        return nullptr;
    };
    m_grid.SetItemState(2, 1, kGridCellReadOnly);
    EXPECT_TRUE(m_grid.GetItemState(2, 1) & kGridCellReadOnly);
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, CellCenter(2, 1));
    EXPECT_EQ(editor(), nullptr);

    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, CellCenter(1, 1));
    ASSERT_NE(editor(), nullptr);
    editor()->setText(FromGbk("改过"));
    QTest::keyClick(editor(), Qt::Key_Return);
    ProcessEvents();
    EXPECT_EQ(m_grid.GetItemText(1, 1), "改过");
    EXPECT_EQ(editor(), nullptr);

    Click(3, 1);
    QTest::keyClick(View(), Qt::Key_F2);
    ASSERT_NE(editor(), nullptr);
    QTest::keyClick(editor(), Qt::Key_Escape);
    ProcessEvents();
    EXPECT_EQ(m_grid.GetItemText(3, 1), "a3");

    m_grid.SetEditable(false);
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, CellCenter(1, 1));
    EXPECT_EQ(editor(), nullptr);
    EXPECT_FALSE(m_grid.IsCellEditable(1, 1));
}

TEST_F(GridTest, ColoursArePaintedWhereTheyBelong) {
    Fill({{"1", ""}}, 2);
    m_grid.SetItemText(0, 1, "");
    // Outside all cells the grid shows the desktop's shadow colour, or its own.
    const QColor shadow = QApplication::palette().color(QPalette::Dark);
    EXPECT_EQ(m_grid.Widget()->grab().toImage().pixelColor(400, 300).rgb(), shadow.rgb());
    m_grid.SetGridBkColor(RGB(255, 0, 0));
    m_grid.SetDefaultBackColor(GridCellKind::FixedRow, RGB(0, 0, 255));
    m_grid.SetDefaultBackColor(GridCellKind::Normal, RGB(0, 255, 0));
    const QImage image = m_grid.Widget()->grab().toImage();
    auto at = [&](int row, int col) {
        const CRect r = m_grid.GetCellRect(row, col);
        return image.pixelColor((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    EXPECT_EQ(at(0, 1), QColor(0, 0, 255));
    EXPECT_EQ(at(1, 1), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(400, 300), QColor(255, 0, 0));
}

namespace {
// One text as a grid cell must show it: cut to the room by
// QFontMetrics::elidedText and drawn by QPainter::drawText, black on white.
class CutTextReference : public QWidget {
public:
    QString text;

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.setPen(Qt::black);
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         painter.fontMetrics().elidedText(text, Qt::ElideRight, width()));
    }
};
} // namespace

TEST_F(GridTest, CellTextsLookAsDrawTextDrawsThemCutAfterEveryChange) {
    // drawText shows a tab as a space, where a laid-out line jumps to a tab stop.
    const std::vector<std::string> texts = {"短", "一段相当长的文字, far wider than the column",
                                            "ends in spaces  ", "a\tb"};
    std::vector<std::vector<std::string>> rows;
    for (const std::string& text : texts)
        rows.push_back({"k", text});
    Fill(rows, 2);
    m_grid.SetDefaultBackColor(GridCellKind::Normal, RGB(255, 255, 255));
    m_grid.SetDefaultTextColor(GridCellKind::Normal, RGB(0, 0, 0));
    m_grid.SetColumnWidth(1, 100);
    CutTextReference reference;
    auto looksAsDrawn = [&](int row) {
        const CRect cell = m_grid.GetCellRect(row, 1);
        const int margin = m_grid.GetDefaultMargin(GridCellKind::Normal);
        // Inside the margins and clear of the grid lines.
        const QRect room(cell.left + margin, cell.top, cell.Width() - 2 * margin - 1,
                         cell.Height() - 1);
        reference.setFont(View()->font());
        reference.resize(room.size());
        reference.text = FromGbk(m_grid.GetItemText(row, 1));
        const QImage drawn = reference.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage shown =
            m_grid.Widget()->grab(room).toImage().convertToFormat(QImage::Format_RGB32);
        return shown == drawn;
    };
    auto allLookAsDrawn = [&] {
        for (int row = 1; row <= int(texts.size()); ++row)
            EXPECT_TRUE(looksAsDrawn(row)) << "row " << row;
    };
    allLookAsDrawn();
    allLookAsDrawn(); // drawn again from what the grid keeps

    m_grid.SetItemText(2, 1, "另一段很长的文字, also cut at the column's edge");
    ProcessEvents();
    EXPECT_TRUE(looksAsDrawn(2));
    m_grid.SetColumnWidth(1, 50);
    ProcessEvents();
    allLookAsDrawn();
    QFont font = View()->font();
    font.setPixelSize(font.pixelSize() > 0 ? font.pixelSize() + 5 : 20);
    m_grid.Widget()->setFont(font);
    ProcessEvents();
    allLookAsDrawn();
}

TEST_F(GridTest, ModelKeepsItemModelRulesThroughAllChanges) {
    QStringList failures;
    static QStringList* sink = nullptr;
    sink = &failures;
    QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext& context, const QString& message) {
            if (context.category && QByteArray(context.category) == "qt.modeltest")
                sink->append(message);
        });
    {
        QAbstractItemModelTester tester(m_grid.Model(),
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
        FillKeys(20, 4);
        m_grid.InsertRow("n", 1);
        m_grid.DeleteRow(3);
        m_grid.SortTextItems(1, false);
        m_grid.SetColumnCount(2);
        m_grid.SetColumnCount(6);
        m_grid.SetFixedRowCount(2);
        m_grid.SetItemState(5, 1, kGridCellReadOnly);
        m_grid.Model()->setData(m_grid.Model()->index(4, 1), QStringLiteral("edited"));
        m_grid.SetRowCount(40);
        m_grid.AppendRows({"a", "b", "c"}, 2, 20);
        m_grid.DeleteNonFixedRows();
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(m_grid.GetItemText(0, 1), "H1");
}

namespace {
// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
} // namespace

TEST_F(GridTest, InvalidatingTheWindowAndRedrawingARowRepaintTheCells) {
    FillKeys(3);
    PaintCounter counter;
    Viewport()->installEventFilter(&counter);
    m_grid.Invalidate(); // what the screens do after bulk changes
    ProcessEvents();
    EXPECT_GT(counter.paints, 0);
    counter.paints = 0;
    EXPECT_TRUE(m_grid.RedrawRow(2));
    ProcessEvents();
    EXPECT_GT(counter.paints, 0);
    EXPECT_FALSE(m_grid.RedrawRow(4));
}

TEST_F(GridTest, CellImagesAreDrawnFromTheImageListOnly) {
    FillKeys(2);
    m_grid.SetItemImage(1, 0, 0);
    const CRect cell = m_grid.GetCellRect(1, 0);
    const QPoint inImage(cell.left + m_grid.GetDefaultMargin(GridCellKind::Normal) + 3,
                         (cell.top + cell.bottom) / 2);
    auto pixel = [&] { return m_grid.Widget()->grab().toImage().pixelColor(inImage); };
    EXPECT_NE(pixel(), QColor(255, 0, 255)); // no image list: nothing drawn

    QPixmap magenta(8, 8);
    magenta.fill(QColor(255, 0, 255));
    TempHostFolder folder;
    ASSERT_TRUE(magenta.save(FromPath(folder.Path("pic.bmp"))));
    EXPECT_EQ(m_grid.LoadImageList({folder.Path("pic.bmp"), folder.Path("missing.bmp")}), 1);
    EXPECT_EQ(m_grid.GetImageCount(), 2);
    EXPECT_EQ(pixel(), QColor(255, 0, 255));
    m_grid.SetItemImage(1, 0, 1); // the picture that did not load
    EXPECT_NE(pixel(), QColor(255, 0, 255));
}

TEST_F(GridTest, FixedColumnStaysInPlaceAndOutsideTheSelection) {
    FillKeys(3, 12);
    m_grid.SetFixedColumnCount(1);
    m_grid.SetListMode(true);
    Click(2, 5);
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{2, 1, 2, 11}));
    EXPECT_FALSE(m_grid.GetItemState(2, 0) & kGridCellSelected);

    View()->horizontalScrollBar()->setValue(View()->horizontalScrollBar()->maximum());
    ProcessEvents();
    const CRect key = m_grid.GetCellRect(2, 0);
    EXPECT_EQ(key.left, 0);
    EXPECT_EQ(m_grid.GetCellFromPt(CPoint{key.left + 2, key.top + 2}), (CCellPos{2, 0}));
    const CRect last = m_grid.GetCellRect(2, 11);
    EXPECT_EQ(m_grid.GetCellFromPt(CPoint{last.left + 2, last.top + 2}), (CCellPos{2, 11}));
    // A cell scrolled under the fixed column is not hit there.
    EXPECT_LT(m_grid.GetCellRect(2, 1).left, key.right);
    EXPECT_EQ(m_grid.GetCellFromPt(CPoint{key.right - 2, key.top + 2}).col, 0);
}

TEST_F(GridTest, DraggingSelectsTheRowsPassedOver) {
    FillKeys(6);
    m_grid.SetListMode(true);
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, CellCenter(2, 1));
    QTest::mouseMove(Viewport(), CellCenter(3, 1));
    QTest::mouseMove(Viewport(), CellCenter(5, 2));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, CellCenter(5, 2));
    EXPECT_EQ(m_grid.GetSelectedCellRange(), (CCellRange{2, 0, 5, 2}));
    EXPECT_EQ(m_grid.GetFocusCell(), (CCellPos{5, 2}));
    ASSERT_EQ(m_screen.notes.size(), 1u);
    EXPECT_EQ(m_screen.notes[0].row, 2); // the cell where the click began
}
