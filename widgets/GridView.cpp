#include "widgets/GridView.h"

#include "platform/CodePage.h"
#include "widgets/GridData.h"
#include "widgets/GridPainter.h"
#include "widgets/ScrollBarBands.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStringList>
#include <QToolTip>
#include <algorithm>

namespace {

constexpr int kResizeGrip = 3; // pixels either side of a column edge
constexpr int kColumnScrollStep = 20;

} // namespace

CGridView::CGridView(CGridData& data, QWidget* parent)
    : QAbstractScrollArea(parent), m_data(data), m_geometry(data) {
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    viewport()->setMouseTracking(true);                // the resize cursor over column edges
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted
    PaintScrollBarInBands(verticalScrollBar());
    ConnectModel();
    ScheduleLayout();
}

CGridView::~CGridView() {
    // An open editor goes with the window; it must not report back to it.
    if (m_editor)
        m_editor->removeEventFilter(this);
}

void CGridView::ConnectModel() {
    CGridModel* model = &m_data.Model();
    auto restructured = [this] {
        CancelEdit();
        Relayout();
    };
    connect(model, &QAbstractItemModel::rowsInserted, this, restructured);
    connect(model, &QAbstractItemModel::rowsRemoved, this, restructured);
    connect(model, &QAbstractItemModel::columnsInserted, this, restructured);
    connect(model, &QAbstractItemModel::columnsRemoved, this, restructured);
    connect(model, &QAbstractItemModel::layoutChanged, this, restructured);
    connect(model, &QAbstractItemModel::modelReset, this, restructured);
    connect(model, &CGridModel::geometryChanged, this, [this] { Relayout(); });
    connect(model, &QAbstractItemModel::dataChanged, this, [this] { Repaint(); });
}

CGridGeometry& CGridView::Geometry() {
    if (!m_geometry.IsValid())
        m_geometry.Update(QFontMetrics(font()));
    return m_geometry;
}

// Changes come in bursts (a fill appends thousands of rows); the scroll bars
// are brought up to date once, after the burst.
void CGridView::ScheduleLayout() {
    if (m_layoutScheduled)
        return;
    m_layoutScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_layoutScheduled = false;
            UpdateScrollBars();
        },
        Qt::QueuedConnection);
}

void CGridView::Relayout() {
    m_geometry.Invalidate();
    ScheduleLayout();
    if (m_editor)
        m_editor->setGeometry(CellRect(m_editCell.row, m_editCell.col));
    Repaint();
}

void CGridView::Repaint(bool now) {
    if (now) {
        viewport()->repaint();
        return;
    }
    if (m_repaintPending)
        return;
    m_repaintPending = true;
    viewport()->update();
}

void CGridView::RepaintRow(int row) {
    // Under a pending repaint of everything (a fill, then marking rows one
    // by one) a row adds nothing.
    if (m_repaintPending || row < 0 || row >= m_data.Model().RowCount())
        return;
    viewport()->update(QRect(0, RowY(row), viewport()->width(), Geometry().RowHeight(row)));
}

void CGridView::UpdateScrollBars() {
    CGridGeometry& geometry = Geometry();
    const QSize view = viewport()->size();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, geometry.TotalHeight() - view.height()));
    vertical->setPageStep(std::max(1, view.height() - geometry.FixedHeight()));
    vertical->setSingleStep(geometry.DataRowHeight());
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, geometry.TotalWidth() - view.width()));
    horizontal->setPageStep(std::max(1, view.width() - geometry.FixedWidth()));
    horizontal->setSingleStep(kColumnScrollStep);
}

void CGridView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CGridView::scrollContentsBy(int, int) {
    CommitEdit();
    viewport()->update();
}

int CGridView::RowY(int row) {
    CGridGeometry& geometry = Geometry();
    const int top = geometry.RowTop(row);
    return row < m_data.Model().FixedRowCount() ? top : top - verticalScrollBar()->value();
}

int CGridView::ColX(int col) {
    CGridGeometry& geometry = Geometry();
    const int left = geometry.ColLeft(col);
    return col < m_data.Model().FixedColumnCount() ? left : left - horizontalScrollBar()->value();
}

QRect CGridView::CellRect(int row, int col) {
    if (!m_data.Model().IsValidCell(row, col))
        return {};
    CGridGeometry& geometry = Geometry();
    return QRect(ColX(col), RowY(row), geometry.ColWidth(col), geometry.RowHeight(row));
}

CCellPos CGridView::CellAt(const QPoint& pos) {
    CGridGeometry& geometry = Geometry();
    if (!viewport()->rect().contains(pos))
        return {};
    const int y =
        pos.y() < geometry.FixedHeight() ? pos.y() : pos.y() + verticalScrollBar()->value();
    const int x =
        pos.x() < geometry.FixedWidth() ? pos.x() : pos.x() + horizontalScrollBar()->value();
    const int row = geometry.RowAt(y);
    const int col = geometry.ColAt(x);
    if (row < 0 || col < 0)
        return {};
    return {row, col};
}

// The data cell nearest to pos, for selections dragged past the edges.
CCellPos CGridView::DataCellNear(const QPoint& pos) {
    CGridGeometry& geometry = Geometry();
    const QRect view = viewport()->rect();
    const int right = std::min(view.right(), ColX(m_data.Model().ColumnCount()) - 1);
    const int bottom = std::min(view.bottom(), RowY(m_data.Model().RowCount()) - 1);
    const QPoint clamped(
        std::clamp(pos.x(), geometry.FixedWidth(), std::max(geometry.FixedWidth(), right)),
        std::clamp(pos.y(), geometry.FixedHeight(), std::max(geometry.FixedHeight(), bottom)));
    const CCellPos cell = CellAt(clamped);
    return m_data.DataArea().Contains(cell.row, cell.col) ? cell : CCellPos{};
}

void CGridView::EnsureVisible(CCellPos cell) {
    if (!m_data.Model().IsValidCell(cell.row, cell.col))
        return;
    UpdateScrollBars();
    CGridGeometry& geometry = Geometry();
    const QSize view = viewport()->size();
    if (cell.row >= m_data.Model().FixedRowCount()) {
        QScrollBar* bar = verticalScrollBar();
        const int top = geometry.RowTop(cell.row);
        const int highest = top - geometry.FixedHeight();
        const int lowest = top + geometry.RowHeight(cell.row) - view.height();
        if (bar->value() > highest)
            bar->setValue(highest);
        else if (bar->value() < lowest)
            bar->setValue(std::min(lowest, highest));
    }
    if (cell.col >= m_data.Model().FixedColumnCount()) {
        QScrollBar* bar = horizontalScrollBar();
        const int left = geometry.ColLeft(cell.col);
        const int highest = left - geometry.FixedWidth();
        const int lowest = left + geometry.ColWidth(cell.col) - view.width();
        if (bar->value() > highest)
            bar->setValue(highest);
        else if (bar->value() < lowest)
            bar->setValue(std::min(lowest, highest));
    }
}

// ---- Painting ----

void CGridView::paintEvent(QPaintEvent* event) {
    m_repaintPending = false;
    const CGridGeometry& geometry = Geometry();
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    QPainter painter(viewport());
    CGridPainter(m_data, geometry, scroll, palette(), hasFocus(), m_texts)
        .Paint(painter, viewport()->rect(), event->rect());
}

// ---- Mouse ----

int CGridView::ColumnBoundaryAt(const QPoint& pos) {
    CGridGeometry& geometry = Geometry();
    if (pos.y() < 0 || pos.y() >= std::min(geometry.FixedHeight(), viewport()->height()))
        return -1;
    const int fixedCols = m_data.Model().FixedColumnCount();
    // From the right, so that a column dragged down to nothing can be
    // pulled open again.
    for (int col = m_data.Model().ColumnCount() - 1; col >= 0; --col) {
        const int right = ColX(col) + geometry.ColWidth(col);
        if (col >= fixedCols && right < geometry.FixedWidth())
            continue; // scrolled away under the fixed columns
        if (std::abs(pos.x() - right) <= kResizeGrip)
            return col;
    }
    return -1;
}

void CGridView::mousePressEvent(QMouseEvent* event) {
    CommitEdit();
    m_suppressClick = false;
    if (event->button() == Qt::LeftButton)
        PressLeft(event);
    else if (event->button() == Qt::RightButton)
        PressRight(event);
    event->accept();
}

void CGridView::PressLeft(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    m_pressCell = {};
    m_drag = Drag::None;
    setFocus(Qt::MouseFocusReason);
    const int boundary = ColumnBoundaryAt(pos);
    if (boundary >= 0) {
        m_drag = Drag::ResizeColumn;
        m_resizeColumn = boundary;
        m_resizeStartX = pos.x();
        m_resizeStartWidth = m_data.Model().ColumnWidth(boundary);
        return;
    }
    const CCellPos cell = CellAt(pos);
    m_pressCell = cell;
    if (!cell.IsValid())
        return;
    if (m_data.IsFixed(cell.row, cell.col)) {
        m_drag = Drag::Header;
        return;
    }
    const bool keep = event->modifiers() & Qt::ControlModifier;
    m_selectionBeforeDrag = keep ? m_data.Selection() : CGridSelection();
    ClickCell(cell, event->modifiers());
    m_drag = Drag::Select;
    m_dragCell = cell;
}

void CGridView::ClickCell(CCellPos cell, Qt::KeyboardModifiers modifiers) {
    CGridSelection& selection = m_data.Selection();
    const CCellRange unit = m_data.UnitAt(cell);
    const CCellPos anchor = m_data.Anchor();
    if ((modifiers & Qt::ShiftModifier) && m_data.UnitAt(anchor).IsValid()) {
        if (!(modifiers & Qt::ControlModifier))
            selection.Clear();
        selection.Add(m_data.SpanOf(anchor, cell));
    } else if (modifiers & Qt::ControlModifier) {
        if (selection.Contains(cell.row, cell.col))
            selection.Remove(unit);
        else
            selection.Add(unit);
        m_data.SetAnchor(cell);
    } else {
        selection.Set(unit);
        m_data.SetAnchor(cell);
    }
    m_data.SetFocus(cell);
    Repaint();
}

void CGridView::PressRight(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const CCellPos cell = CellAt(event->position().toPoint());
    // A right click on an unselected row makes it the selection, so that a
    // context menu acts on what was clicked.
    if (m_data.UnitAt(cell).IsValid() && !m_data.Selection().Contains(cell.row, cell.col))
        ClickCell(cell, Qt::NoModifier);
}

void CGridView::ExtendSelectionTo(CCellPos cell) {
    CGridSelection& selection = m_data.Selection();
    selection = m_selectionBeforeDrag;
    selection.Add(m_data.SpanOf(m_data.Anchor(), cell));
    m_data.SetFocus(cell);
    EnsureVisible(cell);
    Repaint();
}

void CGridView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_drag == Drag::ResizeColumn) {
        const int width = std::max(0, m_resizeStartWidth + pos.x() - m_resizeStartX);
        m_data.Model().SetColumnWidth(m_resizeColumn, width);
    } else if (m_drag == Drag::Select && (event->buttons() & Qt::LeftButton)) {
        const CCellPos cell = DataCellNear(pos);
        if (cell.IsValid() && cell != m_dragCell) {
            m_dragCell = cell;
            ExtendSelectionTo(cell);
        }
    } else if (event->buttons() == Qt::NoButton) {
        viewport()->setCursor(ColumnBoundaryAt(pos) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
    }
    event->accept();
}

void CGridView::mouseReleaseEvent(QMouseEvent* event) {
    const Drag drag = m_drag;
    m_drag = Drag::None;
    m_selectionBeforeDrag.Clear();
    const QPoint pos = event->position().toPoint();
    const QPoint globalPos = event->globalPosition().toPoint();
    event->accept();
    if (event->button() == Qt::RightButton) {
        if (viewport()->rect().contains(pos))
            Notify(NM_RCLICK, CellAt(pos), globalPos);
        return;
    }
    if (event->button() != Qt::LeftButton || drag == Drag::ResizeColumn)
        return;
    if (m_suppressClick) {
        m_suppressClick = false; // the release that ends a double click
        return;
    }
    const CCellPos cell = m_pressCell;
    if (drag == Drag::Header && CellAt(pos) == cell && cell.row < m_data.Model().FixedRowCount())
        HeaderClicked(cell.col);
    if (cell.IsValid())
        Notify(NM_CLICK, cell, globalPos);
}

void CGridView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    m_suppressClick = true;
    m_drag = Drag::None;
    const QPoint pos = event->position().toPoint();
    const int boundary = ColumnBoundaryAt(pos);
    if (boundary >= 0) {
        m_data.AutoSizeColumn(font(), boundary);
        return;
    }
    const CCellPos cell = CellAt(pos);
    if (!cell.IsValid())
        return;
    QPointer<CGridView> alive(this);
    Notify(NM_DBLCLK, cell, event->globalPosition().toPoint());
    if (alive)
        StartEdit(cell);
}

void CGridView::HeaderClicked(int col) {
    const bool ascending = !(m_data.SortColumn() == col && m_data.SortAscending());
    m_data.SortBy(col, ascending);
    Repaint();
}

void CGridView::Notify(int code, CCellPos cell, const QPoint& globalPos) {
    if (m_notify)
        m_notify(code, cell.IsValid() ? cell.row : -1, cell.IsValid() ? cell.col : -1, globalPos);
}

void CGridView::contextMenuEvent(QContextMenuEvent* event) {
    // The owner shows its menu on the right-click notification.
    event->accept();
}

// ---- Keyboard ----

void CGridView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        m_data.Selection().Set(m_data.DataArea());
        Repaint();
        return;
    }
    if (HandleNavigation(event))
        return;
    const int key = event->key();
    if ((key == Qt::Key_F2 || key == Qt::Key_Return || key == Qt::Key_Enter) &&
        StartEdit(m_data.Focus()))
        return;
    const QString text = event->text();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (plain && !text.isEmpty() && text.at(0).isPrint() && StartEdit(m_data.Focus(), text))
        return;
    QAbstractScrollArea::keyPressEvent(event);
}

bool CGridView::HandleNavigation(QKeyEvent* event) {
    const CCellRange area = m_data.DataArea();
    if (!area.IsValid())
        return false;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool rowsOnly = ctrl || m_data.Look().listMode;
    CGridGeometry& geometry = Geometry();
    const int pageRows = std::max(1, (viewport()->height() - geometry.FixedHeight()) /
                                         std::max(1, geometry.DataRowHeight()));
    CCellPos focus = m_data.Focus();
    CCellPos target = focus.IsValid() ? focus : CCellPos{area.minRow, area.minCol};
    switch (event->key()) {
    case Qt::Key_Up:
        target.row -= 1;
        break;
    case Qt::Key_Down:
        target.row += 1;
        break;
    case Qt::Key_Left:
        target.col -= 1;
        break;
    case Qt::Key_Right:
        target.col += 1;
        break;
    case Qt::Key_PageUp:
        target.row -= pageRows;
        break;
    case Qt::Key_PageDown:
        target.row += pageRows;
        break;
    case Qt::Key_Home:
        (rowsOnly ? target.row : target.col) = rowsOnly ? area.minRow : area.minCol;
        break;
    case Qt::Key_End:
        (rowsOnly ? target.row : target.col) = rowsOnly ? area.maxRow : area.maxCol;
        break;
    default:
        return false;
    }
    if (!focus.IsValid())
        target = {area.minRow, area.minCol}; // the first key press lands on the first cell
    target.row = std::clamp(target.row, area.minRow, area.maxRow);
    target.col = std::clamp(target.col, area.minCol, area.maxCol);
    MoveFocus(target, event->modifiers() & Qt::ShiftModifier);
    return true;
}

void CGridView::MoveFocus(CCellPos cell, bool extend) {
    CGridSelection& selection = m_data.Selection();
    if (extend && m_data.UnitAt(m_data.Anchor()).IsValid()) {
        selection.Set(m_data.SpanOf(m_data.Anchor(), cell));
    } else {
        selection.Set(m_data.UnitAt(cell));
        m_data.SetAnchor(cell);
    }
    m_data.SetFocus(cell);
    EnsureVisible(cell);
    Repaint();
}

void CGridView::CopySelection() {
    if (m_data.Selection().IsEmpty())
        return;
    QGuiApplication::clipboard()->setText(FromGbk(m_data.SelectionText()));
}

// ---- Tips, focus, font ----

QString CGridView::TipTextAt(const QPoint& pos) {
    if (!m_data.Look().titleTips)
        return {};
    const CCellPos cell = CellAt(pos);
    if (!cell.IsValid() || m_data.Model().Text(cell.row, cell.col).empty())
        return {};
    const QString text = m_data.Model().DisplayText(cell.row, cell.col);
    const QRect room = m_data.TextRect(cell.row, cell.col, CellRect(cell.row, cell.col));
    const QFontMetrics metrics(font());
    const QStringList lines = text.split(QLatin1Char('\n'));
    bool cut = int(lines.size()) * metrics.height() > room.height() && lines.size() > 1;
    for (const QString& line : lines)
        cut = cut || metrics.horizontalAdvance(line) > room.width();
    return cut ? text : QString();
}

bool CGridView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = TipTextAt(help->pos());
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            const CCellPos cell = CellAt(help->pos());
            QToolTip::showText(help->globalPos(), tip, viewport(), CellRect(cell.row, cell.col));
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CGridView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    Repaint();
}

void CGridView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    Repaint();
}

void CGridView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    // A new font changes the default row height of every row.
    if (event->type() == QEvent::FontChange)
        Relayout();
    else if (event->type() == QEvent::PaletteChange)
        Repaint();
}

// ---- In-place editing ----

bool CGridView::StartEdit(CCellPos cell, const QString& typed) {
    if (!m_data.IsCellEditable(cell.row, cell.col))
        return false;
    CommitEdit();
    EnsureVisible(cell);
    auto* editor = new QLineEdit(viewport());
    editor->setFrame(false);
    editor->setGeometry(CellRect(cell.row, cell.col));
    if (typed.isEmpty()) {
        editor->setText(m_data.Model().DisplayText(cell.row, cell.col));
        editor->selectAll();
    } else {
        editor->setText(typed);
    }
    editor->installEventFilter(this);
    connect(editor, &QLineEdit::returnPressed, this, [this] { CommitEdit(); });
    m_editor = editor;
    m_editCell = cell;
    editor->show();
    editor->setFocus(Qt::OtherFocusReason);
    return true;
}

void CGridView::CommitEdit() {
    if (!m_editor)
        return;
    const QString text = m_editor->text();
    CancelEdit();
    CGridModel& model = m_data.Model();
    if (model.IsValidCell(m_editCell.row, m_editCell.col))
        model.setData(model.index(m_editCell.row, m_editCell.col), text, Qt::EditRole);
}

void CGridView::CancelEdit() {
    if (!m_editor)
        return;
    QLineEdit* editor = m_editor;
    m_editor = nullptr;
    editor->removeEventFilter(this);
    const bool hadFocus = editor->hasFocus();
    editor->hide();
    editor->deleteLater();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
}

bool CGridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_editor) {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            CancelEdit();
            return true;
        }
        if (event->type() == QEvent::FocusOut)
            CommitEdit();
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}
