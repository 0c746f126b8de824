#pragma once
// Everything a grid holds apart from its window: the cells (model), the
// selection, the focus cell, the sort column and the look. The grid object
// owns it and keeps it while its window comes and goes; the view draws it and
// changes it on the user's behalf.
#include "widgets/GridModel.h"
#include "widgets/GridSelection.h"
#include "widgets/GridTypes.h"

#include <QPixmap>
#include <QRect>
#include <string>
#include <vector>

class QFont;
class QFontMetrics;

// The look of cells that have no settings of their own.
struct GridCellDefault {
    COLORREF back = 0;
    COLORREF text = 0;
    int margin = 2;
};

struct GridLook {
    GridCellDefault defaults[4]; // indexed by GridCellKind
    COLORREF background = 0;     // the area not covered by cells
    bool editable = true;
    bool listMode = false;
    bool titleTips = true;
    std::vector<QPixmap> images;
};

class CGridData {
public:
    CGridData();
    CGridData(const CGridData&) = delete;
    CGridData& operator=(const CGridData&) = delete;

    CGridModel& Model() { return m_model; }
    const CGridModel& Model() const { return m_model; }
    CGridSelection& Selection() { return m_selection; }
    const CGridSelection& Selection() const { return m_selection; }
    GridLook& Look() { return m_look; }
    const GridLook& Look() const { return m_look; }

    GridCellKind KindOf(int row, int col) const;
    const GridCellDefault& DefaultOf(int row, int col) const;
    bool IsFixed(int row, int col) const { return KindOf(row, col) != GridCellKind::Normal; }
    bool IsCellEditable(int row, int col) const;

    // Cell state: the stored bits plus selected and focused.
    unsigned CellState(int row, int col) const;
    bool SetCellState(int row, int col, unsigned state);

    // Focus cell: a data cell, or (-1, -1) for none.
    CCellPos Focus() const { return m_focus; }
    bool SetFocus(CCellPos cell);
    // Where a selection extended with Shift starts.
    CCellPos Anchor() const { return m_anchor; }
    void SetAnchor(CCellPos cell) { m_anchor = cell; }

    // The data cells (everything outside the fixed rows and columns).
    CCellRange DataArea() const;
    // The cell, or its whole row in list mode; invalid outside the data area.
    CCellRange UnitAt(CCellPos cell) const;
    // The rectangle spanned by two cells, whole rows in list mode.
    CCellRange SpanOf(CCellPos a, CCellPos b) const;
    // Replaces the selection by range cut to the data area. False (and
    // nothing selected) when the range lies outside the grid.
    bool SelectRange(const CCellRange& range);
    // The selection's bounding rectangle; (row count, column count, -1, -1)
    // when nothing is selected.
    CCellRange SelectedCellRange() const;

    void SetListMode(bool on);
    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_sortAscending; }
    // Sorts the data rows by a column's text; selection and focus stay with
    // their rows.
    bool SortBy(int col, bool ascending);

    // The selected cells as text: cells separated by tabs, rows by line
    // breaks; rows without a selected cell are left out.
    std::string SelectionText() const;

    // Sizes from the font. A row whose fitted height equals the default
    // height keeps the default marker, so that it follows the font.
    int DefaultRowHeight(const QFontMetrics& metrics, int row) const;
    int RowHeightOf(const QFontMetrics& metrics, int row) const;
    void AutoSize(const QFont& font, GridAutoSize style);
    bool AutoSizeColumn(const QFont& font, int col, GridAutoSize style = kAutoSizeAll);

    // Where a cell's text goes inside the cell's rectangle: within the
    // margins, right of its image, clear of the grid lines.
    QRect TextRect(int row, int col, const QRect& cell) const;
    // The room a cell's text and image need, margins included.
    int CellWidth(const QFontMetrics& metrics, int row, int col) const;
    int CellHeight(const QFontMetrics& metrics, int row, int col) const;

private:
    bool MeasuresRow(int row, GridAutoSize style) const;
    void FollowInsertedRows(int first, int last);
    void FollowRemovedRows(int first, int last);

    CGridModel m_model;
    CGridSelection m_selection;
    GridLook m_look;
    CCellPos m_focus;
    CCellPos m_anchor;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
};
