#pragma once
// Draws what of a grid shows in its window: the scrolled data cells, the
// fixed rows and columns in place over them, and the frame of the focus
// cell (its whole row in list mode). Only cells inside the dirty area are
// drawn; their texts come laid out from the view's text cache.
#include <QPalette>
#include <QPoint>
#include <QRect>

class CGridData;
class CGridGeometry;
class CGridTextCache;
class QColor;
class QPainter;

class CGridPainter {
public:
    CGridPainter(const CGridData& data, const CGridGeometry& geometry, QPoint scroll,
                 const QPalette& palette, bool focused, CGridTextCache& texts);

    void Paint(QPainter& painter, const QRect& view, const QRect& dirty);

private:
    QRect CellRect(int row, int col) const;
    void PaintBlock(QPainter& painter, const QRect& area, int firstRow, int lastRow, int firstCol,
                    int lastCol);
    void PaintCell(QPainter& painter, int row, int col, const QRect& rect);
    void DrawLine(QPainter& painter, QPoint from, QPoint to, const QColor& color);
    void PaintSortMark(QPainter& painter, QRect& rect) const;
    void PaintFocus(QPainter& painter) const;

    const CGridData& m_data;
    const CGridGeometry& m_geometry;
    QPoint m_scroll;
    const QPalette& m_palette;
    QPalette::ColorGroup m_group;
    CGridTextCache& m_texts;
    bool m_pixelGrid = false; // a logical pixel is a device pixel
};
