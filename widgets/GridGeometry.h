#pragma once
// Where rows and columns lie, in content pixels (row 0 at the top, column 0
// at the left, nothing scrolled). When every data row has the same height,
// which is the rule after a fill, positions are computed, not stored; only
// grids with rows of differing heights keep a table of row tops. The table is
// rebuilt lazily after a change, so many changes in a row cost one rebuild.
#include <vector>

class CGridData;
class QFontMetrics;

class CGridGeometry {
public:
    explicit CGridGeometry(const CGridData& data) : m_data(data) {}

    void Invalidate() { m_valid = false; }
    bool IsValid() const { return m_valid; }
    void Update(const QFontMetrics& metrics);

    int RowTop(int row) const; // row in [0, row count]
    int RowHeight(int row) const { return RowTop(row + 1) - RowTop(row); }
    int ColLeft(int col) const; // col in [0, column count]
    int ColWidth(int col) const { return ColLeft(col + 1) - ColLeft(col); }
    int TotalHeight() const { return RowTop(m_rows); }
    int TotalWidth() const { return ColLeft(m_cols); }
    int FixedHeight() const { return RowTop(m_fixedRows); }
    int FixedWidth() const { return ColLeft(m_fixedCols); }
    // The height of a data row of default height (the scroll step).
    int DataRowHeight() const { return m_dataRowHeight; }

    // Positions in the window for a scroll offset: fixed rows and columns
    // stay where they are, the others move by the offset.
    int ViewY(int row, int scrollY) const {
        return row < m_fixedRows ? RowTop(row) : RowTop(row) - scrollY;
    }
    int ViewX(int col, int scrollX) const {
        return col < m_fixedCols ? ColLeft(col) : ColLeft(col) - scrollX;
    }

    // The row or column at a content position; -1 outside.
    int RowAt(int y) const;
    int ColAt(int x) const;

private:
    const CGridData& m_data;
    bool m_valid = false;
    int m_rows = 0;
    int m_fixedRows = 0;
    int m_cols = 0;
    int m_fixedCols = 0;
    int m_dataRowHeight = 0;
    // Uniform layout: fixed row tops, then data rows of m_uniformHeight.
    bool m_uniform = true;
    int m_uniformHeight = 0;
    std::vector<int> m_fixedTops;
    std::vector<int> m_tops; // every row's top, only when not uniform
    std::vector<int> m_lefts;
};
