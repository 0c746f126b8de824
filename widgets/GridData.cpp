#include "widgets/GridData.h"

#include "platform/CodePage.h"
#include "platform/SysColor.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <QStringList>
#include <algorithm>

namespace {

// Each cell gives its last pixel column and row to the grid lines.
constexpr int kGridLine = 1;

// A colour of the desktop's palette; the fallback when there is no
// application yet.
COLORREF PaletteColor(QPalette::ColorRole role, COLORREF fallback) {
    if (!qGuiApp)
        return fallback;
    return FromQColor(QGuiApplication::palette().color(QPalette::Active, role));
}

} // namespace

CGridData::CGridData() {
    const GridCellDefault normal{PaletteColor(QPalette::Base, RGB(255, 255, 255)),
                                 PaletteColor(QPalette::Text, RGB(0, 0, 0)), 2};
    const GridCellDefault fixed{PaletteColor(QPalette::Button, RGB(240, 240, 240)),
                                PaletteColor(QPalette::ButtonText, RGB(0, 0, 0)), 2};
    m_look.defaults[int(GridCellKind::Normal)] = normal;
    m_look.defaults[int(GridCellKind::FixedRow)] = fixed;
    m_look.defaults[int(GridCellKind::FixedColumn)] = fixed;
    m_look.defaults[int(GridCellKind::Corner)] = fixed;
    // The 3D shadow colour of the desktop.
    m_look.background = PaletteColor(QPalette::Dark, RGB(160, 160, 160));

    QObject::connect(
        &m_model, &QAbstractItemModel::rowsInserted,
        [this](const QModelIndex&, int first, int last) { FollowInsertedRows(first, last); });
    QObject::connect(
        &m_model, &QAbstractItemModel::rowsRemoved,
        [this](const QModelIndex&, int first, int last) { FollowRemovedRows(first, last); });
    QObject::connect(&m_model, &QAbstractItemModel::columnsRemoved, [this] {
        m_selection.Clip(m_model.RowCount(), m_model.ColumnCount());
        if (m_focus.col >= m_model.ColumnCount())
            m_focus = {};
        if (m_anchor.col >= m_model.ColumnCount())
            m_anchor = {};
        if (m_sortColumn >= m_model.ColumnCount())
            m_sortColumn = -1;
    });
    QObject::connect(&m_model, &CGridModel::fixedCountChanged, [this] {
        // Rows or columns that became fixed leave the selection.
        CCellRange area = DataArea();
        if (!area.IsValid()) {
            m_selection.Clear();
            m_focus = m_anchor = {};
            return;
        }
        m_selection.Remove({0, 0, area.minRow - 1, 0x7FFFFFFF});
        m_selection.Remove({0, 0, 0x7FFFFFFF, area.minCol - 1});
        if (m_focus.IsValid() && !area.Contains(m_focus.row, m_focus.col))
            m_focus = {};
        if (m_anchor.IsValid() && !area.Contains(m_anchor.row, m_anchor.col))
            m_anchor = {};
    });
}

namespace {
void ShiftForInsert(CCellPos& cell, int first, int last) {
    if (cell.IsValid() && cell.row >= first)
        cell.row += last - first + 1;
}
void ShiftForRemove(CCellPos& cell, int first, int last) {
    if (cell.row > last)
        cell.row -= last - first + 1;
    else if (cell.row >= first)
        cell = {};
}
} // namespace

// Selection, focus and anchor stay on their rows while rows come and go.
void CGridData::FollowInsertedRows(int first, int last) {
    m_selection.RowsInserted(first, last - first + 1);
    ShiftForInsert(m_focus, first, last);
    ShiftForInsert(m_anchor, first, last);
}

void CGridData::FollowRemovedRows(int first, int last) {
    m_selection.RowsRemoved(first, last);
    ShiftForRemove(m_focus, first, last);
    ShiftForRemove(m_anchor, first, last);
}

GridCellKind CGridData::KindOf(int row, int col) const {
    const bool fixedRow = row < m_model.FixedRowCount();
    const bool fixedCol = col < m_model.FixedColumnCount();
    if (fixedRow && fixedCol)
        return GridCellKind::Corner;
    if (fixedRow)
        return GridCellKind::FixedRow;
    if (fixedCol)
        return GridCellKind::FixedColumn;
    return GridCellKind::Normal;
}

const GridCellDefault& CGridData::DefaultOf(int row, int col) const {
    return m_look.defaults[int(KindOf(row, col))];
}

bool CGridData::IsCellEditable(int row, int col) const {
    return m_look.editable && m_model.IsValidCell(row, col) && !IsFixed(row, col) &&
           !(m_model.State(row, col) & kGridCellReadOnly);
}

unsigned CGridData::CellState(int row, int col) const {
    if (!m_model.IsValidCell(row, col))
        return 0;
    unsigned state = m_model.State(row, col) & ~(kGridCellSelected | kGridCellFocused);
    if (m_selection.Contains(row, col))
        state |= kGridCellSelected;
    if (m_focus.row == row && m_focus.col == col)
        state |= kGridCellFocused;
    return state;
}

bool CGridData::SetCellState(int row, int col, unsigned state) {
    if (!m_model.IsValidCell(row, col))
        return false;
    const CCellRange cell{row, col, row, col};
    if ((state & kGridCellSelected) && !IsFixed(row, col))
        m_selection.Add(cell);
    else
        m_selection.Remove(cell);
    return m_model.SetState(row, col, state & ~(kGridCellSelected | kGridCellFocused));
}

bool CGridData::SetFocus(CCellPos cell) {
    if (!cell.IsValid()) {
        m_focus = {};
        return true;
    }
    if (!DataArea().Contains(cell.row, cell.col))
        return false;
    m_focus = cell;
    return true;
}

CCellRange CGridData::DataArea() const {
    return {m_model.FixedRowCount(), m_model.FixedColumnCount(), m_model.RowCount() - 1,
            m_model.ColumnCount() - 1};
}

CCellRange CGridData::UnitAt(CCellPos cell) const {
    const CCellRange area = DataArea();
    if (!area.IsValid() || !area.Contains(cell.row, cell.col))
        return {};
    if (m_look.listMode)
        return {cell.row, area.minCol, cell.row, area.maxCol};
    return {cell.row, cell.col, cell.row, cell.col};
}

CCellRange CGridData::SpanOf(CCellPos a, CCellPos b) const {
    CCellRange first = UnitAt(a), second = UnitAt(b);
    if (!first.IsValid() || !second.IsValid())
        return {};
    return {std::min(first.minRow, second.minRow), std::min(first.minCol, second.minCol),
            std::max(first.maxRow, second.maxRow), std::max(first.maxCol, second.maxCol)};
}

bool CGridData::SelectRange(const CCellRange& range) {
    m_selection.Clear();
    const CCellRange area = DataArea();
    if (!range.IsValid() || !area.IsValid() || range.maxRow > area.maxRow ||
        range.maxCol > area.maxCol)
        return false;
    CCellRange cut{std::max(range.minRow, area.minRow), std::max(range.minCol, area.minCol),
                   range.maxRow, range.maxCol};
    if (!cut.IsValid())
        return false;
    m_selection.Set(cut);
    return true;
}

CCellRange CGridData::SelectedCellRange() const {
    if (m_selection.IsEmpty())
        return {m_model.RowCount(), m_model.ColumnCount(), -1, -1};
    return m_selection.Bounds();
}

void CGridData::SetListMode(bool on) {
    m_look.listMode = on;
    m_selection.Clear();
    m_focus = m_anchor = {};
    m_sortColumn = -1;
    m_sortAscending = true;
}

bool CGridData::SortBy(int col, bool ascending) {
    if (col < 0 || col >= m_model.ColumnCount())
        return false;
    const std::vector<int> newIndexOf = m_model.SortRows(col, ascending);
    m_selection.RemapRows(newIndexOf);
    if (m_focus.IsValid())
        m_focus.row = newIndexOf[size_t(m_focus.row)];
    if (m_anchor.IsValid())
        m_anchor.row = newIndexOf[size_t(m_anchor.row)];
    m_sortColumn = col;
    m_sortAscending = ascending;
    return true;
}

std::string CGridData::SelectionText() const {
    std::string text;
    if (m_selection.IsEmpty())
        return text;
    const CCellRange bounds = m_selection.Bounds();
    bool firstLine = true;
    for (int row = bounds.minRow; row <= bounds.maxRow; ++row) {
        bool any = false;
        for (int col = bounds.minCol; col <= bounds.maxCol && !any; ++col)
            any = m_selection.Contains(row, col);
        if (!any)
            continue;
        if (!firstLine)
            text += '\n';
        firstLine = false;
        for (int col = bounds.minCol; col <= bounds.maxCol; ++col) {
            if (col > bounds.minCol)
                text += '\t';
            if (m_selection.Contains(row, col))
                text += m_model.Text(row, col);
        }
    }
    return text;
}

int CGridData::DefaultRowHeight(const QFontMetrics& metrics, int row) const {
    const GridCellKind kind =
        row < m_model.FixedRowCount() ? GridCellKind::FixedRow : GridCellKind::Normal;
    return metrics.height() + 2 * m_look.defaults[int(kind)].margin + kGridLine;
}

int CGridData::RowHeightOf(const QFontMetrics& metrics, int row) const {
    const int height = m_model.StoredRowHeight(row);
    return height >= 0 ? height : DefaultRowHeight(metrics, row);
}

bool CGridData::MeasuresRow(int row, GridAutoSize style) const {
    const bool fixed = row < m_model.FixedRowCount();
    return style == kAutoSizeAll || (style == kAutoSizeHeader) == fixed;
}

QRect CGridData::TextRect(int row, int col, const QRect& cell) const {
    const int margin = DefaultOf(row, col).margin;
    QRect rect = cell.adjusted(margin, 0, -margin - kGridLine, -kGridLine);
    const int image = m_model.Image(row, col);
    if (image >= 0 && image < int(m_look.images.size()))
        rect.setLeft(rect.left() + m_look.images[size_t(image)].width() + margin);
    return rect;
}

int CGridData::CellWidth(const QFontMetrics& metrics, int row, int col) const {
    const int margin = DefaultOf(row, col).margin;
    int width = 0;
    std::string_view text = m_model.Text(row, col);
    if (!text.empty())
        for (const QString& line : FromGbk(text).split(QLatin1Char('\n')))
            width = std::max(width, metrics.horizontalAdvance(line));
    const int image = m_model.Image(row, col);
    if (image >= 0 && image < int(m_look.images.size()))
        width += m_look.images[size_t(image)].width() + margin;
    return width + 2 * margin + kGridLine;
}

int CGridData::CellHeight(const QFontMetrics& metrics, int row, int col) const {
    const int margin = DefaultOf(row, col).margin;
    std::string_view text = m_model.Text(row, col);
    const int lines = 1 + int(std::count(text.begin(), text.end(), '\n'));
    int height = lines * metrics.height();
    const int image = m_model.Image(row, col);
    if (image >= 0 && image < int(m_look.images.size()))
        height = std::max(height, m_look.images[size_t(image)].height());
    return height + 2 * margin + kGridLine;
}

bool CGridData::AutoSizeColumn(const QFont& font, int col, GridAutoSize style) {
    if (col < 0 || col >= m_model.ColumnCount())
        return false;
    const QFontMetrics metrics(font);
    int width = 0;
    bool anything = false;
    for (int row = 0; row < m_model.RowCount(); ++row) {
        if (!MeasuresRow(row, style))
            continue;
        width = std::max(width, CellWidth(metrics, row, col));
        anything = anything || !m_model.Text(row, col).empty() || m_model.Image(row, col) >= 0;
    }
    // A column with nothing to fit (an empty caption before the first fill)
    // keeps a width that the user can still see and grab.
    return m_model.SetColumnWidth(col, anything ? width : CGridModel::kDefaultColumnWidth);
}

void CGridData::AutoSize(const QFont& font, GridAutoSize style) {
    const QFontMetrics metrics(font);
    for (int col = 0; col < m_model.ColumnCount(); ++col)
        AutoSizeColumn(font, col, style);
    for (int row = 0; row < m_model.RowCount(); ++row) {
        if (!MeasuresRow(row, style))
            continue;
        int height = 0;
        for (int col = 0; col < m_model.ColumnCount(); ++col)
            height = std::max(height, CellHeight(metrics, row, col));
        if (height == DefaultRowHeight(metrics, row))
            height = -1;
        m_model.SetRowHeight(row, height);
    }
}
