#pragma once
// The grid widget of the list screens: a scrolling table of text cells with
// fixed header rows, row or cell selection, per-cell text, data value, image
// index and state, adjustable sizes, hover tips, sorting by a click on a
// header cell, keyboard navigation, copying and in-place editing.
//
// Rows and columns are numbered from 0; with one fixed row, row 0 is the
// header and data rows start at 1. Texts are GBK. Operations on a cell or row
// outside the grid do nothing and report failure (false, 0, -1 or an empty
// text). The grid keeps its cells while it has no window; Create makes the
// window (CWnd::Create(parent, rect, id)).
//
// Clicks reach the parent window as notifications (NotifyInfo) with the
// grid's id: NM_CLICK when the left button is released after a click on a
// cell, NM_DBLCLK for a double click on a cell, NM_RCLICK when the right
// button is released over the grid (row and column -1 outside the cells).
#include "platform/Wnd.h"
#include "widgets/GridTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QPixmap;
class CGridModel;

class CGridCtrl : public CWnd {
public:
    CGridCtrl(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0);
    ~CGridCtrl() override;

    // Structure. Counts include the fixed rows and columns.
    int GetRowCount() const;
    int GetColumnCount() const;
    int GetFixedRowCount() const;
    int GetFixedColumnCount() const;
    // Adds or removes rows at the end (one batch, for fills of many rows).
    bool SetRowCount(int count);
    bool SetColumnCount(int count);
    // Rows are added when the grid has fewer than count.
    bool SetFixedRowCount(int count);
    bool SetFixedColumnCount(int count);
    // Inserts a row before index, or appends it for a negative index; the
    // heading becomes the text of column 0. Gives the new row's index, or -1
    // for an index inside the fixed rows or not below the row count. Clears
    // the selection; a grid without columns gets one column first.
    int InsertRow(const std::string& heading, int index = -1);
    // Appends rows in one batch, for fills of many rows: texts holds their
    // cells one row after the other, columns of them per row (cells past the
    // grid's columns are dropped); each row gets the height (-1: default).
    // Gives the first new row, or -1 for columns below 1 or a bad height.
    int AppendRows(const std::vector<std::string_view>& texts, int columns, int height = -1);
    bool DeleteRow(int row);
    void DeleteNonFixedRows();

    // Sizes in pixels.
    int GetRowHeight(int row) const; // -1 for an invalid row
    bool SetRowHeight(int row, int height);
    int GetColumnWidth(int col) const; // -1 for an invalid column
    bool SetColumnWidth(int col, int width);
    // Fits column widths and row heights to the texts of the rows chosen by
    // style (kAutoSizeAll: header and data rows).
    void AutoSize(int style = kAutoSizeAll);
    bool AutoSizeColumn(int col);

    // Cells.
    bool SetItemText(int row, int col, const std::string& text);
    std::string GetItemText(int row, int col) const;
    bool SetItemData(int row, int col, std::int64_t value);
    std::int64_t GetItemData(int row, int col) const;
    bool SetItemImage(int row, int col, int image);
    int GetItemImage(int row, int col) const; // -1 for none
    // kGridCellSelected and kGridCellReadOnly may be set; kGridCellFocused
    // is reported for the focus cell.
    bool SetItemState(int row, int col, unsigned state);
    unsigned GetItemState(int row, int col) const;
    bool IsCellEditable(int row, int col) const;

    // Pictures drawn in cells by their image index. Without a list nothing
    // is drawn. From files: gives how many loaded (a file that does not load
    // keeps its index and shows nothing).
    void SetImageList(const std::vector<QPixmap>& images);
    int LoadImageList(const std::vector<std::string>& files);
    int GetImageCount() const;

    // Selection and focus.
    // Clears selection, focus cell and sort column; in list mode clicks and
    // keys select whole rows.
    void SetListMode(bool on = true);
    bool GetListMode() const;
    // The bounding rectangle of the selected cells; (row count, column
    // count, -1, -1) when nothing is selected.
    CCellRange GetSelectedCellRange() const;
    // Replaces the selection by the rectangle (cut to the data cells). With
    // selectCells off nothing is selected; the rectangle's first cell only
    // becomes the start for selections extended with Shift.
    bool SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool forceRepaint = false,
                          bool selectCells = true);
    void SelectAllCells();
    // A data cell, or (-1, -1) to have none.
    bool SetFocusCell(int row, int col);
    CCellPos GetFocusCell() const;
    bool EnsureVisible(int row, int col);
    // The selected cells as text: tabs between cells, line breaks between
    // rows (GBK); CopySelection puts it on the clipboard.
    std::string GetSelectionText() const;
    void CopySelection();

    // Sorting the data rows by a column's text (byte order of the GBK text).
    bool SortTextItems(int col, bool ascending);
    int GetSortColumn() const; // -1 when unsorted
    bool GetSortAscending() const;

    // Appearance. Colours are 0x00BBGGRR.
    bool SetDefaultBackColor(GridCellKind kind, COLORREF color);
    COLORREF GetDefaultBackColor(GridCellKind kind) const;
    bool SetDefaultTextColor(GridCellKind kind, COLORREF color);
    COLORREF GetDefaultTextColor(GridCellKind kind) const;
    bool SetDefaultMargin(GridCellKind kind, int pixels);
    int GetDefaultMargin(GridCellKind kind) const;
    // The area not covered by cells; the desktop's 3D shadow colour at first.
    void SetGridBkColor(COLORREF color);
    COLORREF GetGridBkColor() const;
    void SetEditable(bool on = true);
    bool IsEditable() const;
    void EnableTitleTips(bool on = true);
    bool GetTitleTips() const;

    // Window.
    // Repaints all cells. The cells live in an inner window that an update
    // of the outer one does not reach.
    void Invalidate() override;
    bool RedrawRow(int row);
    bool RedrawCell(int row, int col);
    // The cell's rectangle in the window, and the cell at a point of the
    // window ((-1, -1) outside the cells).
    CRect GetCellRect(int row, int col) const;
    CCellPos GetCellFromPt(const CPoint& point) const;

    // The cells as an item model, for views and tests.
    CGridModel* Model() const;

protected:
    QWidget* CreateWidget(QWidget* parent) override;

private:
    struct Impl;
    void Repaint();
    void SendGridNotify(int code, int row, int col, int screenX, int screenY);

    std::unique_ptr<Impl> m_impl;
};
