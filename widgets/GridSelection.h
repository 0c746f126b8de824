#pragma once
// The selected cells of a grid as a short list of rectangles. Selecting every
// row of a large grid costs one rectangle, not one mark per cell; a cell
// toggled off inside a rectangle splits it into the parts around that cell.
#include "widgets/GridTypes.h"

#include <vector>

class CGridSelection {
public:
    bool IsEmpty() const { return m_ranges.empty(); }
    void Clear() { m_ranges.clear(); }
    // Replaces the selection by one rectangle (nothing for an invalid one).
    void Set(const CCellRange& range);
    void Add(const CCellRange& range);
    void Remove(const CCellRange& range);
    bool Contains(int row, int col) const;
    // The bounding rectangle; an invalid range when nothing is selected.
    CCellRange Bounds() const;
    const std::vector<CCellRange>& Ranges() const { return m_ranges; }

    // Keeping the selection on its cells while rows move.
    void RowsInserted(int first, int count);
    void RowsRemoved(int first, int last);
    // Cuts the selection to rows below rowCount and columns below colCount.
    void Clip(int rowCount, int colCount);
    // Rows were reordered: newIndexOf[old row] is where each row went.
    void RemapRows(const std::vector<int>& newIndexOf);

private:
    std::vector<CCellRange> m_ranges;
};
