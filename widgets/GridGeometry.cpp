#include "widgets/GridGeometry.h"

#include "widgets/GridData.h"

#include <QFontMetrics>
#include <algorithm>

namespace {

// The index whose span [tops[i], tops[i + 1]) holds pos; -1 outside.
int IndexAt(const std::vector<int>& tops, int pos) {
    if (tops.size() < 2 || pos < tops.front() || pos >= tops.back())
        return -1;
    auto it = std::upper_bound(tops.begin(), tops.end(), pos);
    return int(it - tops.begin()) - 1;
}

} // namespace

void CGridGeometry::Update(const QFontMetrics& metrics) {
    if (m_valid)
        return;
    const CGridModel& model = m_data.Model();
    m_rows = model.RowCount();
    m_fixedRows = model.FixedRowCount();
    m_cols = model.ColumnCount();
    m_fixedCols = model.FixedColumnCount();
    m_dataRowHeight = std::max(1, m_data.DefaultRowHeight(metrics, m_fixedRows));

    m_fixedTops.assign(1, 0);
    for (int row = 0; row < m_fixedRows; ++row)
        m_fixedTops.push_back(m_fixedTops.back() + m_data.RowHeightOf(metrics, row));

    m_uniformHeight = m_rows > m_fixedRows ? m_data.RowHeightOf(metrics, m_fixedRows) : 0;
    m_uniform = true;
    for (int row = m_fixedRows + 1; row < m_rows && m_uniform; ++row)
        m_uniform = m_data.RowHeightOf(metrics, row) == m_uniformHeight;
    m_tops.clear();
    if (!m_uniform) {
        m_tops.reserve(size_t(m_rows) + 1);
        m_tops.assign(m_fixedTops.begin(), m_fixedTops.end());
        for (int row = m_fixedRows; row < m_rows; ++row)
            m_tops.push_back(m_tops.back() + m_data.RowHeightOf(metrics, row));
        m_tops.shrink_to_fit();
    }

    m_lefts.assign(1, 0);
    for (int col = 0; col < m_cols; ++col)
        m_lefts.push_back(m_lefts.back() + std::max(0, model.ColumnWidth(col)));
    m_valid = true;
}

int CGridGeometry::RowTop(int row) const {
    row = std::clamp(row, 0, m_rows);
    if (!m_uniform)
        return m_tops[size_t(row)];
    if (row <= m_fixedRows)
        return m_fixedTops[size_t(row)];
    return m_fixedTops.back() + (row - m_fixedRows) * m_uniformHeight;
}

int CGridGeometry::ColLeft(int col) const {
    return m_lefts[size_t(std::clamp(col, 0, m_cols))];
}

int CGridGeometry::RowAt(int y) const {
    if (!m_uniform)
        return IndexAt(m_tops, y);
    const int fixedHeight = m_fixedTops.back();
    if (y < fixedHeight)
        return IndexAt(m_fixedTops, y);
    if (m_uniformHeight <= 0 || y >= TotalHeight())
        return -1;
    return m_fixedRows + (y - fixedHeight) / m_uniformHeight;
}

int CGridGeometry::ColAt(int x) const {
    return IndexAt(m_lefts, x);
}
