#include "widgets/GridCtrl.h"

#include "platform/CodePage.h"
#include "widgets/GridData.h"
#include "widgets/GridView.h"
#include "widgets/PictureFile.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPointer>
#include <QScrollBar>

struct CGridCtrl::Impl {
    CGridData data;
    QPointer<CGridView> view;

    QFont Font() const { return view ? view->font() : QApplication::font(); }
    // Sizes or fixed counts that the model does not report changed.
    void Relayout() {
        if (view)
            view->Relayout();
    }
};

namespace {
bool IsKind(GridCellKind kind) {
    return int(kind) >= 0 && int(kind) < 4;
}
} // namespace

CGridCtrl::CGridCtrl(int rows, int cols, int fixedRows, int fixedCols)
    : m_impl(std::make_unique<Impl>()) {
    CGridModel& model = m_impl->data.Model();
    model.SetRowCount(std::max(0, rows));
    model.SetColumnCount(std::max(0, cols));
    model.SetFixedRowCount(std::max(0, fixedRows));
    model.SetFixedColumnCount(std::max(0, fixedCols));
}

CGridCtrl::~CGridCtrl() {
    // The window goes first: while it is destroyed it may still read cells.
    DestroyWindow();
}

QWidget* CGridCtrl::CreateWidget(QWidget* parent) {
    auto* view = new CGridView(m_impl->data, parent);
    view->setObjectName(QStringLiteral("GridCtrl"));
    view->SetNotifyHandler([this](int code, int row, int col, const QPoint& global) {
        SendGridNotify(code, row, col, global.x(), global.y());
    });
    m_impl->view = view;
    return view;
}

void CGridCtrl::SendGridNotify(int code, int row, int col, int screenX, int screenY) {
    CWnd* parent = GetParent();
    if (!parent)
        return;
    NotifyInfo info;
    info.id = GetDlgCtrlID();
    info.code = code;
    info.row = row;
    info.column = col;
    info.screenPoint = CPoint{screenX, screenY};
    parent->SendNotify(info);
}

void CGridCtrl::Repaint() {
    if (m_impl->view)
        m_impl->view->Repaint();
}

CGridModel* CGridCtrl::Model() const {
    return &m_impl->data.Model();
}

// ---- Structure ----

int CGridCtrl::GetRowCount() const {
    return m_impl->data.Model().RowCount();
}

int CGridCtrl::GetColumnCount() const {
    return m_impl->data.Model().ColumnCount();
}

int CGridCtrl::GetFixedRowCount() const {
    return m_impl->data.Model().FixedRowCount();
}

int CGridCtrl::GetFixedColumnCount() const {
    return m_impl->data.Model().FixedColumnCount();
}

bool CGridCtrl::SetRowCount(int count) {
    return m_impl->data.Model().SetRowCount(count);
}

bool CGridCtrl::SetColumnCount(int count) {
    return m_impl->data.Model().SetColumnCount(count);
}

bool CGridCtrl::SetFixedRowCount(int count) {
    return m_impl->data.Model().SetFixedRowCount(count);
}

bool CGridCtrl::SetFixedColumnCount(int count) {
    return m_impl->data.Model().SetFixedColumnCount(count);
}

int CGridCtrl::InsertRow(const std::string& heading, int index) {
    CGridModel& model = m_impl->data.Model();
    if (index >= 0 && (index < model.FixedRowCount() || index >= model.RowCount()))
        return -1;
    if (model.ColumnCount() == 0)
        model.SetColumnCount(1);
    const int row = index < 0 ? model.RowCount() : index;
    if (!model.InsertRow(row))
        return -1;
    model.SetText(row, 0, heading);
    if (!m_impl->data.Selection().IsEmpty()) {
        m_impl->data.Selection().Clear();
        Repaint();
    }
    return row;
}

int CGridCtrl::AppendRows(const std::vector<std::string_view>& texts, int columns, int height) {
    return m_impl->data.Model().AppendRows(texts, columns, height);
}

bool CGridCtrl::DeleteRow(int row) {
    return m_impl->data.Model().RemoveRow(row);
}

void CGridCtrl::DeleteNonFixedRows() {
    CGridModel& model = m_impl->data.Model();
    if (model.RowCount() > model.FixedRowCount())
        model.SetRowCount(model.FixedRowCount());
}

// ---- Sizes ----

int CGridCtrl::GetRowHeight(int row) const {
    if (row < 0 || row >= GetRowCount())
        return -1;
    return m_impl->data.RowHeightOf(QFontMetrics(m_impl->Font()), row);
}

bool CGridCtrl::SetRowHeight(int row, int height) {
    return height >= 0 && m_impl->data.Model().SetRowHeight(row, height);
}

int CGridCtrl::GetColumnWidth(int col) const {
    return m_impl->data.Model().ColumnWidth(col);
}

bool CGridCtrl::SetColumnWidth(int col, int width) {
    return m_impl->data.Model().SetColumnWidth(col, width);
}

void CGridCtrl::AutoSize(int style) {
    const GridAutoSize rows =
        style == kAutoSizeHeader || style == kAutoSizeData ? GridAutoSize(style) : kAutoSizeAll;
    m_impl->data.AutoSize(m_impl->Font(), rows);
}

bool CGridCtrl::AutoSizeColumn(int col) {
    return m_impl->data.AutoSizeColumn(m_impl->Font(), col);
}

// ---- Cells ----

bool CGridCtrl::SetItemText(int row, int col, const std::string& text) {
    return m_impl->data.Model().SetText(row, col, text);
}

std::string CGridCtrl::GetItemText(int row, int col) const {
    return std::string(m_impl->data.Model().Text(row, col));
}

bool CGridCtrl::SetItemData(int row, int col, std::int64_t value) {
    return m_impl->data.Model().SetItemData(row, col, value);
}

std::int64_t CGridCtrl::GetItemData(int row, int col) const {
    return m_impl->data.Model().ItemData(row, col);
}

bool CGridCtrl::SetItemImage(int row, int col, int image) {
    return m_impl->data.Model().SetImage(row, col, image);
}

int CGridCtrl::GetItemImage(int row, int col) const {
    return m_impl->data.Model().Image(row, col);
}

bool CGridCtrl::SetItemState(int row, int col, unsigned state) {
    if (!m_impl->data.SetCellState(row, col, state))
        return false;
    Repaint();
    return true;
}

unsigned CGridCtrl::GetItemState(int row, int col) const {
    return m_impl->data.CellState(row, col);
}

bool CGridCtrl::IsCellEditable(int row, int col) const {
    return m_impl->data.IsCellEditable(row, col);
}

void CGridCtrl::SetImageList(const std::vector<QPixmap>& images) {
    m_impl->data.Look().images = images;
    m_impl->Relayout();
}

int CGridCtrl::LoadImageList(const std::vector<std::string>& files) {
    std::vector<QPixmap> images;
    int loaded = 0;
    for (const std::string& file : files) {
        images.push_back(QPixmap::fromImage(LoadPicture(file)));
        loaded += images.back().isNull() ? 0 : 1;
    }
    SetImageList(images);
    return loaded;
}

int CGridCtrl::GetImageCount() const {
    return int(m_impl->data.Look().images.size());
}

// ---- Selection and focus ----

void CGridCtrl::SetListMode(bool on) {
    m_impl->data.SetListMode(on);
    Repaint();
}

bool CGridCtrl::GetListMode() const {
    return m_impl->data.Look().listMode;
}

CCellRange CGridCtrl::GetSelectedCellRange() const {
    return m_impl->data.SelectedCellRange();
}

bool CGridCtrl::SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool forceRepaint,
                                 bool selectCells) {
    CGridData& data = m_impl->data;
    const CCellRange range{minRow, minCol, maxRow, maxCol};
    bool done;
    if (selectCells) {
        done = data.SelectRange(range);
    } else {
        data.Selection().Clear();
        done = range.IsValid() && data.Model().IsValidCell(maxRow, maxCol);
    }
    if (done)
        data.SetAnchor({minRow, minCol});
    if (m_impl->view)
        m_impl->view->Repaint(forceRepaint);
    return done;
}

void CGridCtrl::SelectAllCells() {
    m_impl->data.Selection().Set(m_impl->data.DataArea());
    Repaint();
}

bool CGridCtrl::SetFocusCell(int row, int col) {
    if (!m_impl->data.SetFocus({row, col}))
        return false;
    m_impl->data.SetAnchor(m_impl->data.Focus());
    Repaint();
    return true;
}

CCellPos CGridCtrl::GetFocusCell() const {
    return m_impl->data.Focus();
}

bool CGridCtrl::EnsureVisible(int row, int col) {
    if (!m_impl->data.Model().IsValidCell(row, col))
        return false;
    if (m_impl->view)
        m_impl->view->EnsureVisible({row, col});
    return true;
}

std::string CGridCtrl::GetSelectionText() const {
    return m_impl->data.SelectionText();
}

void CGridCtrl::CopySelection() {
    if (m_impl->view)
        m_impl->view->CopySelection();
}

bool CGridCtrl::SortTextItems(int col, bool ascending) {
    if (!m_impl->data.SortBy(col, ascending))
        return false;
    Repaint();
    return true;
}

int CGridCtrl::GetSortColumn() const {
    return m_impl->data.SortColumn();
}

bool CGridCtrl::GetSortAscending() const {
    return m_impl->data.SortAscending();
}

// ---- Appearance ----

bool CGridCtrl::SetDefaultBackColor(GridCellKind kind, COLORREF color) {
    if (!IsKind(kind))
        return false;
    m_impl->data.Look().defaults[int(kind)].back = color;
    Repaint();
    return true;
}

COLORREF CGridCtrl::GetDefaultBackColor(GridCellKind kind) const {
    return IsKind(kind) ? m_impl->data.Look().defaults[int(kind)].back : 0;
}

bool CGridCtrl::SetDefaultTextColor(GridCellKind kind, COLORREF color) {
    if (!IsKind(kind))
        return false;
    m_impl->data.Look().defaults[int(kind)].text = color;
    Repaint();
    return true;
}

COLORREF CGridCtrl::GetDefaultTextColor(GridCellKind kind) const {
    return IsKind(kind) ? m_impl->data.Look().defaults[int(kind)].text : 0;
}

bool CGridCtrl::SetDefaultMargin(GridCellKind kind, int pixels) {
    if (!IsKind(kind) || pixels < 0)
        return false;
    m_impl->data.Look().defaults[int(kind)].margin = pixels;
    m_impl->Relayout(); // the default row height follows the margin
    return true;
}

int CGridCtrl::GetDefaultMargin(GridCellKind kind) const {
    return IsKind(kind) ? m_impl->data.Look().defaults[int(kind)].margin : 0;
}

void CGridCtrl::SetGridBkColor(COLORREF color) {
    m_impl->data.Look().background = color;
    Repaint();
}

COLORREF CGridCtrl::GetGridBkColor() const {
    return m_impl->data.Look().background;
}

void CGridCtrl::SetEditable(bool on) {
    m_impl->data.Look().editable = on;
}

bool CGridCtrl::IsEditable() const {
    return m_impl->data.Look().editable;
}

void CGridCtrl::EnableTitleTips(bool on) {
    m_impl->data.Look().titleTips = on;
}

bool CGridCtrl::GetTitleTips() const {
    return m_impl->data.Look().titleTips;
}

// ---- Window ----

void CGridCtrl::Invalidate() {
    CWnd::Invalidate();
    if (m_impl->view)
        m_impl->view->viewport()->update();
}

bool CGridCtrl::RedrawRow(int row) {
    if (row < 0 || row >= GetRowCount())
        return false;
    if (m_impl->view)
        m_impl->view->RepaintRow(row);
    return true;
}

bool CGridCtrl::RedrawCell(int row, int col) {
    if (!m_impl->data.Model().IsValidCell(row, col))
        return false;
    if (m_impl->view)
        m_impl->view->viewport()->update(m_impl->view->CellRect(row, col));
    return true;
}

CRect CGridCtrl::GetCellRect(int row, int col) const {
    if (!m_impl->view)
        return {};
    const QRect rect = m_impl->view->CellRect(row, col);
    if (rect.isNull())
        return {};
    // In the grid window's coordinates (the cells sit in its viewport).
    const QPoint topLeft = m_impl->view->viewport()->mapTo(m_impl->view, rect.topLeft());
    return {topLeft.x(), topLeft.y(), topLeft.x() + rect.width(), topLeft.y() + rect.height()};
}

CCellPos CGridCtrl::GetCellFromPt(const CPoint& point) const {
    if (!m_impl->view)
        return {};
    const QPoint inViewport =
        m_impl->view->viewport()->mapFrom(m_impl->view, QPoint(point.x, point.y));
    return m_impl->view->CellAt(inViewport);
}
