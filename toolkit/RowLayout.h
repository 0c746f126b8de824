#pragma once
// A form as a stack of rows, each row a sequence of cells, each cell one child
// window or an empty spacer. The layout creates the standard controls in its
// parent window, gives every window the common font, and places them all
// whenever the owner's client area changes size (Arrange).
//
// Sizes are nominal; a row or cell without its fixed flag takes a share of the
// space left over. Windows of plain cells belong to the layout and go with
// Clear; shared cells hold windows that belong to somebody else.
#include <memory>
#include <string>
#include <vector>

class CWnd;
class QFont;
class QWidget;

class CRowLayout {
public:
    // Cell and row flags.
    static constexpr int kStretch = 0;
    static constexpr int kFixedWidth = 1;
    static constexpr int kFixedHeight = 2;
    static constexpr int kFixed = kFixedWidth | kFixedHeight;

    class Cell;
    class Row;

    CRowLayout();
    explicit CRowLayout(CWnd* parent);
    ~CRowLayout();
    CRowLayout(const CRowLayout&) = delete;
    CRowLayout& operator=(const CRowLayout&) = delete;

    // The window the controls are created in; set before adding controls.
    void SetParent(CWnd* parent) { m_parent = parent; }
    CWnd* GetParent() const { return m_parent; }
    // Space above the first row and between rows.
    void SetRowGap(int gap) { m_rowGap = gap; }
    int GetRowGap() const { return m_rowGap; }
    const QFont& Font() const { return *m_font; }

    Row* AddRow(int height, int flags);
    int RowCount() const { return int(m_rows.size()); }

    // A cell owning window (none: an empty spacer).
    Cell* AddCell(Row* row, QWidget* window, int width, int flags);
    // A cell showing a window that stays its owner's. A window object's
    // window is looked up each time the cell is placed, so it may be created
    // after the cell was added.
    Cell* AddSharedCell(Row* row, QWidget* window, int width, int flags);
    Cell* AddSharedCell(Row* row, CWnd* window, int width, int flags);

    // Controls created in the parent window with their id, added as owned
    // cells; none when there is no parent window. Their commands reach the
    // parent window's OnCommand.
    QWidget* AddLabel(Row* row, const std::string& text, int id, int width, int flags);
    QWidget* AddEdit(Row* row, int id, int width, int flags);
    // A drop-down list to pick from; every ";" in choices ends one choice.
    QWidget* AddCombo(Row* row, const std::string& choices, int id, int width, int flags);
    // A combo box with the choices as given, none split or sorted, and no
    // choice made; an editable one also takes a text the user types.
    QWidget* AddComboChoices(Row* row, const std::vector<std::string>& choices, bool editable,
                             int id, int width, int flags);
    QWidget* AddButton(Row* row, const std::string& caption, int id, int width, int flags);
    // A multi-line edit box that takes Enter as a line break.
    QWidget* AddMultiLineEdit(Row* row, int id, int width, int flags);

    void Arrange(int width, int height);
    // Destroys the owned windows (not the shared ones) and frees every row.
    void Clear();

private:
    Cell* AddCellTo(Row* row, QWidget* window, CWnd* wnd, int width, int flags, bool owned);
    QWidget* ParentWidget() const;
    QWidget* AddControl(Row* row, QWidget* control, int id, int width, int flags);
    void PlaceRow(Row& row, int y, int height, int width);

    std::vector<std::unique_ptr<Row>> m_rows;
    CWnd* m_parent = nullptr;
    int m_rowGap = 2;
    std::unique_ptr<QFont> m_font;
};

class CRowLayout::Row {
public:
    ~Row();
    Row(const Row&) = delete;
    Row& operator=(const Row&) = delete;

    // Space before the first cell and between cells.
    void SetCellGap(int gap) { m_cellGap = gap; }
    int GetCellGap() const { return m_cellGap; }
    int Height() const { return m_height; }
    // Cells added later take the new height as their nominal height; cells
    // already in the row keep theirs.
    void SetHeight(int height) { m_height = height; }
    int Flags() const { return m_flags; }
    int CellCount() const { return int(m_cells.size()); }
    CRowLayout* Layout() const { return m_layout; }

private:
    friend class CRowLayout;
    Row(CRowLayout* layout, int height, int flags);

    CRowLayout* m_layout;
    int m_height;
    int m_flags;
    int m_cellGap = 2;
    std::vector<std::unique_ptr<Cell>> m_cells;
};
