#include "widgets/GridPainter.h"

#include "platform/SysColor.h"
#include "widgets/GridData.h"
#include "widgets/GridGeometry.h"
#include "widgets/GridTextCache.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <algorithm>

namespace {

constexpr int kSortMarkWidth = 10;
const QColor kGridLineColor(192, 192, 192);

} // namespace

CGridPainter::CGridPainter(const CGridData& data, const CGridGeometry& geometry, QPoint scroll,
                           const QPalette& palette, bool focused, CGridTextCache& texts)
    : m_data(data), m_geometry(geometry), m_scroll(scroll), m_palette(palette),
      m_group(focused ? QPalette::Active : QPalette::Inactive), m_texts(texts) {}

QRect CGridPainter::CellRect(int row, int col) const {
    return QRect(m_geometry.ViewX(col, m_scroll.x()), m_geometry.ViewY(row, m_scroll.y()),
                 m_geometry.ColWidth(col), m_geometry.RowHeight(row));
}

void CGridPainter::Paint(QPainter& painter, const QRect& view, const QRect& dirty) {
    const CGridModel& model = m_data.Model();
    m_pixelGrid = painter.deviceTransform().type() <= QTransform::TxTranslate;
    m_texts.Begin(painter);
    // Every cell fills its own rectangle, and the cells cover the view from
    // its top left corner: the background shows only right of the last
    // column and below the last row.
    const QRect cells(0, 0, m_geometry.TotalWidth() - m_scroll.x(),
                      m_geometry.TotalHeight() - m_scroll.y());
    const QColor background = ToQColor(m_data.Look().background);
    for (const QRect& uncovered : QRegion(dirty).subtracted(cells))
        painter.fillRect(uncovered, background);

    const int fixedHeight = std::min(m_geometry.FixedHeight(), view.height());
    const int fixedWidth = std::min(m_geometry.FixedWidth(), view.width());
    const int fixedRows = model.FixedRowCount(), fixedCols = model.FixedColumnCount();
    const int rows = model.RowCount(), cols = model.ColumnCount();
    // The first scrolled row and column that show.
    const int firstRow = m_geometry.RowAt(fixedHeight + m_scroll.y());
    const int firstCol = m_geometry.ColAt(fixedWidth + m_scroll.x());

    const QRect dataArea(fixedWidth, fixedHeight, view.width() - fixedWidth,
                         view.height() - fixedHeight);
    PaintBlock(painter, dataArea & dirty, firstRow, rows - 1, firstCol, cols - 1);
    PaintBlock(painter, QRect(fixedWidth, 0, dataArea.width(), fixedHeight) & dirty, 0,
               fixedRows - 1, firstCol, cols - 1);
    PaintBlock(painter, QRect(0, fixedHeight, fixedWidth, dataArea.height()) & dirty, firstRow,
               rows - 1, 0, fixedCols - 1);
    PaintBlock(painter, QRect(0, 0, fixedWidth, fixedHeight) & dirty, 0, fixedRows - 1, 0,
               fixedCols - 1);
    painter.setClipRect(dataArea);
    PaintFocus(painter);
}

void CGridPainter::PaintBlock(QPainter& painter, const QRect& area, int firstRow, int lastRow,
                              int firstCol, int lastCol) {
    if (area.isEmpty() || firstRow < 0 || firstCol < 0)
        return;
    painter.save();
    painter.setClipRect(area);
    for (int row = firstRow; row <= lastRow; ++row) {
        const int y = m_geometry.ViewY(row, m_scroll.y());
        const int height = m_geometry.RowHeight(row);
        if (y > area.bottom())
            break;
        if (y + height <= area.top() || height <= 0)
            continue;
        for (int col = firstCol; col <= lastCol; ++col) {
            const int x = m_geometry.ViewX(col, m_scroll.x());
            const int width = m_geometry.ColWidth(col);
            if (x > area.right())
                break;
            if (x + width <= area.left() || width <= 0)
                continue;
            PaintCell(painter, row, col, QRect(x, y, width, height));
        }
    }
    painter.restore();
}

void CGridPainter::PaintCell(QPainter& painter, int row, int col, const QRect& rect) {
    const CGridModel& model = m_data.Model();
    const GridCellDefault& look = m_data.DefaultOf(row, col);
    const bool fixed = m_data.IsFixed(row, col);
    const bool selected = !fixed && m_data.Selection().Contains(row, col);
    const QColor back =
        selected ? m_palette.color(m_group, QPalette::Highlight) : ToQColor(look.back);
    const QColor fore =
        selected ? m_palette.color(m_group, QPalette::HighlightedText) : ToQColor(look.text);

    painter.fillRect(rect, back);
    if (fixed) {
        // Raised like a button: light upper and left edge, dark lower and right.
        const QColor light = m_palette.color(QPalette::Light);
        const QColor dark = m_palette.color(QPalette::Dark);
        DrawLine(painter, rect.topLeft(), rect.topRight(), light);
        DrawLine(painter, rect.topLeft(), rect.bottomLeft(), light);
        DrawLine(painter, rect.bottomLeft(), rect.bottomRight(), dark);
        DrawLine(painter, rect.topRight(), rect.bottomRight(), dark);
    } else {
        DrawLine(painter, rect.bottomLeft(), rect.bottomRight(), kGridLineColor);
        DrawLine(painter, rect.topRight(), rect.bottomRight(), kGridLineColor);
    }

    QRect inner = m_data.TextRect(row, col, rect);
    const int image = model.Image(row, col);
    const std::vector<QPixmap>& images = m_data.Look().images;
    if (image >= 0 && image < int(images.size())) {
        const QPixmap& pixmap = images[size_t(image)];
        painter.drawPixmap(rect.left() + look.margin,
                           inner.top() + (inner.height() - pixmap.height()) / 2, pixmap);
    }
    if (row == model.FixedRowCount() - 1 && col == m_data.SortColumn())
        PaintSortMark(painter, inner);

    const std::string_view text = model.Text(row, col);
    if (text.empty() || inner.width() <= 0)
        return;
    painter.setPen(fore);
    m_texts.Draw(painter, inner, text, col);
}

// A horizontal or vertical grid line, both ends included. Where a logical
// pixel is a device pixel it is a one-pixel fill, which covers the same
// pixels as the line at a fraction of the cost.
void CGridPainter::DrawLine(QPainter& painter, QPoint from, QPoint to, const QColor& color) {
    if (m_pixelGrid) {
        painter.fillRect(QRect(from, to), color);
        return;
    }
    painter.setPen(color);
    painter.drawLine(from, to);
}

// A small triangle at the right of the sorted column's header: pointing up
// for ascending, down for descending order.
void CGridPainter::PaintSortMark(QPainter& painter, QRect& rect) const {
    const int size = 7;
    const int x = rect.right() - size;
    const int y = rect.center().y();
    const int tip = m_data.SortAscending() ? -2 : 2;
    QPainterPath mark;
    mark.moveTo(x, y - tip);
    mark.lineTo(x + size, y - tip);
    mark.lineTo(x + size / 2.0, y + tip);
    mark.closeSubpath();
    painter.fillPath(mark, m_palette.color(QPalette::Dark));
    rect.setRight(rect.right() - kSortMarkWidth);
}

void CGridPainter::PaintFocus(QPainter& painter) const {
    const CCellPos focus = m_data.Focus();
    if (!m_data.Model().IsValidCell(focus.row, focus.col))
        return;
    QRect rect = CellRect(focus.row, focus.col);
    if (m_data.Look().listMode) {
        const CCellRange row = m_data.UnitAt(focus);
        rect = CellRect(row.minRow, row.minCol).united(CellRect(row.maxRow, row.maxCol));
    }
    painter.setPen(QPen(m_palette.color(QPalette::Text), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
}
