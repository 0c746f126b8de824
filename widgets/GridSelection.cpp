#include "widgets/GridSelection.h"

#include <algorithm>
#include <map>

namespace {

bool Intersects(const CCellRange& a, const CCellRange& b) {
    return a.minRow <= b.maxRow && b.minRow <= a.maxRow && a.minCol <= b.maxCol &&
           b.minCol <= a.maxCol;
}

// The parts of range outside cut: up to four rectangles (above, below, left,
// right of the cut).
void Subtract(const CCellRange& range, const CCellRange& cut, std::vector<CCellRange>& out) {
    if (!Intersects(range, cut)) {
        out.push_back(range);
        return;
    }
    if (range.minRow < cut.minRow)
        out.push_back({range.minRow, range.minCol, cut.minRow - 1, range.maxCol});
    if (range.maxRow > cut.maxRow)
        out.push_back({cut.maxRow + 1, range.minCol, range.maxRow, range.maxCol});
    const int top = std::max(range.minRow, cut.minRow);
    const int bottom = std::min(range.maxRow, cut.maxRow);
    if (range.minCol < cut.minCol)
        out.push_back({top, range.minCol, bottom, cut.minCol - 1});
    if (range.maxCol > cut.maxCol)
        out.push_back({top, cut.maxCol + 1, bottom, range.maxCol});
}

} // namespace

void CGridSelection::Set(const CCellRange& range) {
    m_ranges.clear();
    Add(range);
}

void CGridSelection::Add(const CCellRange& range) {
    if (!range.IsValid())
        return;
    // A rectangle inside one already held adds nothing; one that covers
    // others replaces them, so repeated selections do not pile up.
    for (const CCellRange& held : m_ranges)
        if (held.Contains(range.minRow, range.minCol) && held.Contains(range.maxRow, range.maxCol))
            return;
    m_ranges.erase(std::remove_if(m_ranges.begin(), m_ranges.end(),
                                  [&](const CCellRange& held) {
                                      return range.Contains(held.minRow, held.minCol) &&
                                             range.Contains(held.maxRow, held.maxCol);
                                  }),
                   m_ranges.end());
    m_ranges.push_back(range);
}

void CGridSelection::Remove(const CCellRange& range) {
    if (!range.IsValid())
        return;
    std::vector<CCellRange> kept;
    for (const CCellRange& held : m_ranges)
        Subtract(held, range, kept);
    m_ranges.swap(kept);
}

bool CGridSelection::Contains(int row, int col) const {
    for (const CCellRange& range : m_ranges)
        if (range.Contains(row, col))
            return true;
    return false;
}

CCellRange CGridSelection::Bounds() const {
    if (m_ranges.empty())
        return {};
    CCellRange bounds = m_ranges.front();
    for (const CCellRange& range : m_ranges) {
        bounds.minRow = std::min(bounds.minRow, range.minRow);
        bounds.minCol = std::min(bounds.minCol, range.minCol);
        bounds.maxRow = std::max(bounds.maxRow, range.maxRow);
        bounds.maxCol = std::max(bounds.maxCol, range.maxCol);
    }
    return bounds;
}

void CGridSelection::RowsInserted(int first, int count) {
    // A rectangle that spans the new rows grows around them, so that it stays
    // one rectangle; the new rows themselves are then taken out again.
    bool split = false;
    for (CCellRange& range : m_ranges) {
        if (range.minRow >= first) {
            range.minRow += count;
            range.maxRow += count;
        } else if (range.maxRow >= first) {
            range.maxRow += count;
            split = true;
        }
    }
    if (split)
        Remove({first, 0, first + count - 1, 0x7FFFFFFF});
}

void CGridSelection::RowsRemoved(int first, int last) {
    const int count = last - first + 1;
    std::vector<CCellRange> kept;
    for (CCellRange range : m_ranges) {
        if (range.maxRow < first) {
            kept.push_back(range);
            continue;
        }
        // What lies above the removed rows stays, what lies below moves up;
        // the two parts meet.
        const int top = range.minRow < first ? range.minRow : std::max(first, range.minRow - count);
        const int bottom = range.maxRow > last ? range.maxRow - count : first - 1;
        if (top <= bottom)
            kept.push_back({top, range.minCol, bottom, range.maxCol});
    }
    m_ranges.swap(kept);
}

void CGridSelection::Clip(int rowCount, int colCount) {
    std::vector<CCellRange> kept;
    for (CCellRange range : m_ranges) {
        range.maxRow = std::min(range.maxRow, rowCount - 1);
        range.maxCol = std::min(range.maxCol, colCount - 1);
        if (range.IsValid())
            kept.push_back(range);
    }
    m_ranges.swap(kept);
}

void CGridSelection::RemapRows(const std::vector<int>& newIndexOf) {
    // Each selected row keeps its selected columns at its new place; runs of
    // neighbouring rows with the same columns become one rectangle again.
    std::map<int, std::vector<std::pair<int, int>>> columnsOfRow;
    for (const CCellRange& range : m_ranges)
        for (int row = range.minRow; row <= range.maxRow; ++row) {
            int moved = row < int(newIndexOf.size()) ? newIndexOf[size_t(row)] : row;
            columnsOfRow[moved].push_back({range.minCol, range.maxCol});
        }
    m_ranges.clear();
    std::vector<CCellRange> open; // rectangles still growing downwards
    int lastRow = -2;
    for (auto& [row, spans] : columnsOfRow) {
        std::sort(spans.begin(), spans.end());
        std::vector<CCellRange> next;
        for (const std::pair<int, int>& span : spans) {
            const int minCol = span.first;
            const int maxCol = span.second;
            auto it = std::find_if(open.begin(), open.end(), [&](const CCellRange& r) {
                return r.minCol == minCol && r.maxCol == maxCol;
            });
            if (row == lastRow + 1 && it != open.end()) {
                CCellRange grown = *it;
                grown.maxRow = row;
                open.erase(it);
                next.push_back(grown);
            } else {
                next.push_back({row, minCol, row, maxCol});
            }
        }
        for (const CCellRange& done : open)
            m_ranges.push_back(done);
        open.swap(next);
        lastRow = row;
    }
    for (const CCellRange& done : open)
        m_ranges.push_back(done);
}
