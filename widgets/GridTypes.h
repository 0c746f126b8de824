#pragma once
// Plain value types of the grid widget, free of any toolkit header so that
// screens can use them.
#include "platform/Types.h"

// State bits of a grid cell.
constexpr unsigned kGridCellFocused = 0x01;
constexpr unsigned kGridCellSelected = 0x02;
constexpr unsigned kGridCellReadOnly = 0x08;

// Which default look a cell takes: data cells, cells of the fixed (header)
// rows, of the fixed columns, and the corner cells that are both.
enum class GridCellKind { Normal = 0, FixedRow = 1, FixedColumn = 2, Corner = 3 };

// Which rows AutoSize measures.
enum GridAutoSize { kAutoSizeAll = 0, kAutoSizeHeader = 1, kAutoSizeData = 2 };

// One cell's position; (-1, -1) stands for no cell.
struct CCellPos {
    int row = -1;
    int col = -1;
    bool IsValid() const { return row >= 0 && col >= 0; }
    bool operator==(const CCellPos& o) const { return row == o.row && col == o.col; }
    bool operator!=(const CCellPos& o) const { return !(*this == o); }
};

// A rectangle of cells, both corners included.
struct CCellRange {
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;

    // All four corners set and in order.
    bool IsValid() const {
        return minRow >= 0 && minCol >= 0 && maxRow >= 0 && maxCol >= 0 && minRow <= maxRow &&
               minCol <= maxCol;
    }
    bool Contains(int row, int col) const {
        return row >= minRow && row <= maxRow && col >= minCol && col <= maxCol;
    }
    int RowSpan() const { return maxRow - minRow + 1; }
    int ColSpan() const { return maxCol - minCol + 1; }
    bool operator==(const CCellRange& o) const {
        return minRow == o.minRow && minCol == o.minCol && maxRow == o.maxRow && maxCol == o.maxCol;
    }
    bool operator!=(const CCellRange& o) const { return !(*this == o); }
};
