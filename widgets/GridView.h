#pragma once
// The grid's window: a scroll area that draws the visible cells of the
// grid's model (fixed rows and columns stay in place while the rest scrolls)
// and turns mouse and keyboard into selection, sorting, column sizing,
// editing, copying and the click notifications to the grid's owner.
#include "widgets/GridGeometry.h"
#include "widgets/GridSelection.h"
#include "widgets/GridTextCache.h"
#include "widgets/GridTypes.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <functional>

class CGridData;
class QLineEdit;

class CGridView : public QAbstractScrollArea {
public:
    // code (NM_CLICK, NM_DBLCLK, NM_RCLICK), row, column, mouse position on
    // the screen.
    using NotifyHandler = std::function<void(int, int, int, const QPoint&)>;

    CGridView(CGridData& data, QWidget* parent);
    ~CGridView() override;

    void SetNotifyHandler(NotifyHandler handler) { m_notify = std::move(handler); }

    // Positions in the viewport's pixels.
    CCellPos CellAt(const QPoint& pos);
    QRect CellRect(int row, int col);
    void EnsureVisible(CCellPos cell);

    // Sizes or fixed counts changed: lay out again and repaint.
    void Relayout();
    void Repaint(bool now = false);
    void RepaintRow(int row);

    bool StartEdit(CCellPos cell, const QString& typed = QString());
    void CopySelection();
    // The full text the hover tip shows at pos; empty when the cell's text
    // fits (or tips are off).
    QString TipTextAt(const QPoint& pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Drag { None, Select, Header, ResizeColumn };

    CGridGeometry& Geometry();
    void ConnectModel();
    void ScheduleLayout();
    void UpdateScrollBars();
    int RowY(int row);
    int ColX(int col);
    int ColumnBoundaryAt(const QPoint& pos);
    CCellPos DataCellNear(const QPoint& pos);

    void PressLeft(QMouseEvent* event);
    void PressRight(QMouseEvent* event);
    void ClickCell(CCellPos cell, Qt::KeyboardModifiers modifiers);
    void ExtendSelectionTo(CCellPos cell);
    void MoveFocus(CCellPos cell, bool extend);
    bool HandleNavigation(QKeyEvent* event);
    void HeaderClicked(int col);
    void Notify(int code, CCellPos cell, const QPoint& globalPos);

    void CommitEdit();
    void CancelEdit();

    CGridData& m_data;
    CGridGeometry m_geometry;
    CGridTextCache m_texts;
    NotifyHandler m_notify;
    bool m_layoutScheduled = false;
    bool m_repaintPending = false;

    Drag m_drag = Drag::None;
    CCellPos m_pressCell;
    CCellPos m_dragCell;
    int m_resizeColumn = -1;
    int m_resizeStartX = 0;
    int m_resizeStartWidth = 0;
    bool m_suppressClick = false;
    CGridSelection m_selectionBeforeDrag; // kept while Ctrl drags

    QPointer<QLineEdit> m_editor;
    CCellPos m_editCell;
};
