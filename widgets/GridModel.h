#pragma once
// The cells of a grid as an item model. Rows are numbered as the grid numbers
// them (the fixed header row is row 0). Texts stay GBK bytes: each row keeps
// all its texts in one byte string, each text behind its length, and a text
// becomes a QString only when a view asks for it.
#include <QAbstractTableModel>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Role {
        ItemDataRole = Qt::UserRole, // the cell's data value (qlonglong)
        ImageRole,                   // the image index, -1 for none
        StateRole,                   // the stored state bits (read-only and others)
        GbkTextRole,                 // the text as GBK bytes (QByteArray)
    };
    static constexpr int kDefaultColumnWidth = 80;

    explicit CGridModel(QObject* parent = nullptr);
    ~CGridModel() override;

    // Item model interface.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Structure, in grid numbering.
    int RowCount() const { return int(m_rows.size()); }
    int ColumnCount() const { return int(m_widths.size()); }
    int FixedRowCount() const { return m_fixedRows; }
    int FixedColumnCount() const { return m_fixedCols; }
    bool IsValidCell(int row, int col) const {
        return row >= 0 && col >= 0 && row < RowCount() && col < ColumnCount();
    }
    bool SetRowCount(int count);
    bool SetColumnCount(int count);
    bool SetFixedRowCount(int count);
    bool SetFixedColumnCount(int count);
    // Inserts an empty row before row; row == RowCount() appends.
    bool InsertRow(int row);
    // Appends (texts.size() + columns - 1) / columns rows in one batch, their
    // cells one row after the other (cells past the column count are
    // dropped), each row of the given height. Gives the first new row, or
    // -1 for columns below 1 or a height below -1.
    int AppendRows(const std::vector<std::string_view>& texts, int columns, int height);
    bool RemoveRow(int row);

    // Cells.
    std::string_view Text(int row, int col) const;
    QString DisplayText(int row, int col) const;
    bool SetText(int row, int col, std::string_view gbk);
    std::int64_t ItemData(int row, int col) const;
    bool SetItemData(int row, int col, std::int64_t value);
    int Image(int row, int col) const;
    bool SetImage(int row, int col, int image);
    unsigned State(int row, int col) const;
    bool SetState(int row, int col, unsigned state);

    // Sizes: a row height of -1 means the grid's default height (also the
    // answer for a row outside the grid).
    int StoredRowHeight(int row) const;
    bool SetRowHeight(int row, int height);
    int ColumnWidth(int col) const;
    bool SetColumnWidth(int col, int width);

    // Stable sort of the rows below the fixed rows by the texts of column
    // (byte comparison of the GBK texts). Gives where each old row went.
    std::vector<int> SortRows(int col, bool ascending);

Q_SIGNALS:
    // Row heights, column widths or fixed counts changed.
    void geometryChanged();
    // The number of fixed rows or columns changed.
    void fixedCountChanged();

private:
    // What a cell holds besides its text; kept only for rows that need it.
    struct CellExtra {
        std::int64_t data = 0;
        int image = -1;
        unsigned state = 0;
    };
    struct Row {
        // Per cell: length prefix, then the GBK bytes. Rows appended together
        // read theirs from one block of the model until they are written;
        // a written row keeps its texts in a buffer of its own.
        const char* texts = nullptr;
        std::size_t size = 0;
        std::unique_ptr<char[]> own;
        std::unique_ptr<std::vector<CellExtra>> extras;
        int height = -1;

        std::string_view Texts() const { return std::string_view(texts, size); }
        bool InBlock() const { return texts && !own; }
    };
    const CellExtra* Extra(int row, int col) const;
    CellExtra& ExtraForWrite(int row, int col);
    void TruncateColumns(int count);
    static void Splice(Row& row, std::size_t from, std::size_t to, std::string_view a,
                       std::string_view b);
    void ReleaseUnusedBlocks();

    std::vector<Row> m_rows;
    // The appended rows' texts: one block per append, one contiguous write
    // instead of an allocation per row. Freed when no row points into them.
    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::vector<int> m_widths;
    int m_fixedRows = 0;
    int m_fixedCols = 0;
};
