#include "widgets/GridModel.h"

#include "platform/CodePage.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

// A row's texts, one after the other, each behind its length in groups of
// seven bits (high bit set: another group follows). Cells past the last
// stored one are empty.
constexpr int kMaxPrefixBytes = 10;

int EncodeLength(std::size_t length, char* out) {
    int n = 0;
    while (length >= 0x80) {
        out[n++] = char(0x80 | (length & 0x7F));
        length >>= 7;
    }
    out[n++] = char(length);
    return n;
}

// How many bytes EncodeLength writes for length.
int PrefixBytes(std::size_t length) {
    int n = 1;
    for (; length >= 0x80; length >>= 7)
        ++n;
    return n;
}

std::size_t DecodeLength(std::string_view packed, std::size_t& pos) {
    std::size_t length = 0;
    int shift = 0;
    while (pos < packed.size()) {
        unsigned char b = (unsigned char)packed[pos++];
        length |= std::size_t(b & 0x7F) << shift;
        if (!(b & 0x80))
            break;
        shift += 7;
    }
    return length;
}

struct CellSpan {
    std::size_t begin = 0; // where the length prefix starts
    std::size_t text = 0;  // where the bytes start
    std::size_t end = 0;   // one past the bytes
};

// Finds cell col; false when the row stores fewer cells (count is then the
// number stored).
bool FindCell(std::string_view packed, int col, CellSpan& span, int& count) {
    std::size_t pos = 0;
    count = 0;
    while (pos < packed.size()) {
        std::size_t begin = pos;
        std::size_t length = DecodeLength(packed, pos);
        if (count == col) {
            span = {begin, pos, std::min(pos + length, packed.size())};
            return true;
        }
        pos += length;
        ++count;
    }
    return false;
}

} // namespace

CGridModel::CGridModel(QObject* parent) : QAbstractTableModel(parent) {}

CGridModel::~CGridModel() = default;

// Rebuilds a row's packed texts with [from, to) replaced by the given pieces,
// into a buffer of the row's own of exactly the needed size.
void CGridModel::Splice(Row& row, std::size_t from, std::size_t to, std::string_view a,
                        std::string_view b) {
    const std::string_view packed = row.Texts();
    const std::size_t size = packed.size() - (to - from) + a.size() + b.size();
    std::unique_ptr<char[]> rebuilt(size ? new char[size] : nullptr);
    char* out = rebuilt.get();
    for (std::string_view piece : {packed.substr(0, from), a, b, packed.substr(to)}) {
        if (!piece.empty())
            std::memcpy(out, piece.data(), piece.size());
        out += piece.size();
    }
    row.own = std::move(rebuilt);
    row.texts = row.own.get();
    row.size = size;
}

// Blocks stay while any row still reads from one: all go together once none
// does, after a refill's clearing at the latest.
void CGridModel::ReleaseUnusedBlocks() {
    if (m_blocks.empty())
        return;
    for (const Row& row : m_rows)
        if (row.InBlock())
            return;
    m_blocks.clear();
}

int CGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int CGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount();
}

QVariant CGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !IsValidCell(index.row(), index.column()))
        return {};
    const int row = index.row(), col = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::ToolTipRole:
        return DisplayText(row, col);
    case ItemDataRole:
        return QVariant::fromValue<qlonglong>(ItemData(row, col));
    case ImageRole:
        return Image(row, col);
    case StateRole:
        return State(row, col);
    case GbkTextRole: {
        std::string_view text = Text(row, col);
        return QByteArray(text.data(), qsizetype(text.size()));
    }
    default:
        return {};
    }
}

bool CGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || !IsValidCell(index.row(), index.column()))
        return false;
    const int row = index.row(), col = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return SetText(row, col, ToGbk(value.toString()));
    case GbkTextRole: {
        QByteArray bytes = value.toByteArray();
        return SetText(row, col, std::string_view(bytes.constData(), size_t(bytes.size())));
    }
    case ItemDataRole:
        return SetItemData(row, col, value.toLongLong());
    case ImageRole:
        return SetImage(row, col, value.toInt());
    case StateRole:
        return SetState(row, col, value.toUInt());
    default:
        return false;
    }
}

Qt::ItemFlags CGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (index.row() < m_fixedRows || index.column() < m_fixedCols)
        return result;
    result |= Qt::ItemIsSelectable;
    if (!(State(index.row(), index.column()) & 0x08))
        result |= Qt::ItemIsEditable;
    return result;
}

void CGridModel::sort(int column, Qt::SortOrder order) {
    SortRows(column, order == Qt::AscendingOrder);
}

bool CGridModel::SetRowCount(int count) {
    if (count < 0)
        return false;
    const int old = RowCount();
    if (count > old) {
        beginInsertRows(QModelIndex(), old, count - 1);
        m_rows.resize(size_t(count));
        endInsertRows();
    } else if (count < old) {
        beginRemoveRows(QModelIndex(), count, old - 1);
        m_rows.erase(m_rows.begin() + count, m_rows.end());
        m_rows.shrink_to_fit();
        ReleaseUnusedBlocks();
        endRemoveRows();
    }
    if (m_fixedRows > count) {
        m_fixedRows = count;
        Q_EMIT fixedCountChanged();
    }
    Q_EMIT geometryChanged();
    return true;
}

bool CGridModel::SetColumnCount(int count) {
    if (count < 0)
        return false;
    const int old = ColumnCount();
    if (count > old) {
        beginInsertColumns(QModelIndex(), old, count - 1);
        m_widths.resize(size_t(count), kDefaultColumnWidth);
        endInsertColumns();
    } else if (count < old) {
        beginRemoveColumns(QModelIndex(), count, old - 1);
        TruncateColumns(count);
        m_widths.resize(size_t(count));
        endRemoveColumns();
    }
    if (m_fixedCols > count) {
        m_fixedCols = count;
        Q_EMIT fixedCountChanged();
    }
    Q_EMIT geometryChanged();
    return true;
}

void CGridModel::TruncateColumns(int count) {
    for (Row& row : m_rows) {
        CellSpan span;
        int stored = 0;
        if (FindCell(row.Texts(), count, span, stored))
            Splice(row, span.begin, row.Texts().size(), {}, {});
        if (row.extras && int(row.extras->size()) > count)
            row.extras->resize(size_t(count));
    }
    ReleaseUnusedBlocks(); // every row that was cut now has its own buffer
}

bool CGridModel::SetFixedRowCount(int count) {
    if (count < 0)
        return false;
    if (RowCount() < count)
        SetRowCount(count);
    const int changedFrom = std::min(count, m_fixedRows);
    const int changedTo = std::max(count, m_fixedRows);
    m_fixedRows = count;
    // Cells that became fixed or stopped being fixed changed their flags.
    if (changedFrom < changedTo && ColumnCount() > 0)
        Q_EMIT dataChanged(index(changedFrom, 0), index(changedTo - 1, ColumnCount() - 1));
    Q_EMIT fixedCountChanged();
    Q_EMIT geometryChanged();
    return true;
}

bool CGridModel::SetFixedColumnCount(int count) {
    if (count < 0)
        return false;
    if (ColumnCount() < count)
        SetColumnCount(count);
    const int changedFrom = std::min(count, m_fixedCols);
    const int changedTo = std::max(count, m_fixedCols);
    m_fixedCols = count;
    if (changedFrom < changedTo && RowCount() > 0)
        Q_EMIT dataChanged(index(0, changedFrom), index(RowCount() - 1, changedTo - 1));
    Q_EMIT fixedCountChanged();
    Q_EMIT geometryChanged();
    return true;
}

bool CGridModel::InsertRow(int row) {
    if (row < 0 || row > RowCount())
        return false;
    beginInsertRows(QModelIndex(), row, row);
    m_rows.insert(m_rows.begin() + row, Row());
    endInsertRows();
    return true;
}

int CGridModel::AppendRows(const std::vector<std::string_view>& texts, int columns, int height) {
    if (columns < 1 || height < -1)
        return -1;
    const int first = RowCount();
    const std::size_t count = (texts.size() + size_t(columns) - 1) / size_t(columns);
    if (count == 0)
        return first;
    const std::size_t stored = size_t(std::min(columns, ColumnCount()));
    // Per row, the cells it stores: trailing empty cells are not, as SetText
    // leaves them.
    std::vector<std::size_t> cellsOf(count);
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t begin = i * size_t(columns);
        std::size_t cells = std::min(stored, texts.size() - begin);
        while (cells > 0 && texts[begin + cells - 1].empty())
            --cells;
        cellsOf[i] = cells;
        for (std::size_t c = 0; c < cells; ++c)
            bytes += size_t(PrefixBytes(texts[begin + c].size())) + texts[begin + c].size();
    }
    beginInsertRows(QModelIndex(), first, first + int(count) - 1);
    std::unique_ptr<char[]> block(new char[std::max<std::size_t>(bytes, 1)]);
    char* out = block.get();
    m_rows.resize(m_rows.size() + count);
    for (std::size_t i = 0; i < count; ++i) {
        Row& row = m_rows[size_t(first) + i];
        row.height = height;
        const char* const start = out;
        for (std::size_t c = 0; c < cellsOf[i]; ++c) {
            const std::string_view text = texts[i * size_t(columns) + c];
            out += EncodeLength(text.size(), out);
            if (!text.empty())
                std::memcpy(out, text.data(), text.size());
            out += text.size();
        }
        row.texts = start;
        row.size = size_t(out - start);
    }
    m_blocks.push_back(std::move(block));
    endInsertRows();
    Q_EMIT geometryChanged();
    return first;
}

bool CGridModel::RemoveRow(int row) {
    if (row < 0 || row >= RowCount())
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    ReleaseUnusedBlocks();
    // A fixed row that goes leaves one fixed row less.
    const bool wasFixed = row < m_fixedRows;
    if (wasFixed)
        --m_fixedRows;
    endRemoveRows();
    if (wasFixed)
        Q_EMIT fixedCountChanged();
    return true;
}

std::string_view CGridModel::Text(int row, int col) const {
    if (!IsValidCell(row, col))
        return {};
    const std::string_view packed = m_rows[size_t(row)].Texts();
    CellSpan span;
    int stored = 0;
    if (!FindCell(packed, col, span, stored))
        return {};
    return std::string_view(packed.data() + span.text, span.end - span.text);
}

QString CGridModel::DisplayText(int row, int col) const {
    return FromGbk(Text(row, col));
}

bool CGridModel::SetText(int row, int col, std::string_view gbk) {
    if (!IsValidCell(row, col))
        return false;
    Row& target = m_rows[size_t(row)];
    const std::string_view packed = target.Texts();
    char prefix[kMaxPrefixBytes];
    const int prefixLength = EncodeLength(gbk.size(), prefix);
    CellSpan span;
    int stored = 0;
    if (FindCell(packed, col, span, stored)) {
        Splice(target, span.begin, span.end, std::string_view(prefix, size_t(prefixLength)), gbk);
    } else if (!gbk.empty()) {
        // Empty cells up to col are one zero length byte each.
        std::string filled(size_t(col - stored), '\0');
        filled.append(prefix, size_t(prefixLength));
        Splice(target, packed.size(), packed.size(), filled, gbk);
    }
    static const QList<int> kTextRoles{Qt::DisplayRole, Qt::EditRole, Qt::ToolTipRole};
    const QModelIndex changed = index(row, col);
    Q_EMIT dataChanged(changed, changed, kTextRoles);
    return true;
}

const CGridModel::CellExtra* CGridModel::Extra(int row, int col) const {
    if (!IsValidCell(row, col))
        return nullptr;
    const auto& extras = m_rows[size_t(row)].extras;
    if (!extras || col >= int(extras->size()))
        return nullptr;
    return &(*extras)[size_t(col)];
}

CGridModel::CellExtra& CGridModel::ExtraForWrite(int row, int col) {
    auto& extras = m_rows[size_t(row)].extras;
    if (!extras)
        extras = std::make_unique<std::vector<CellExtra>>();
    if (col >= int(extras->size()))
        extras->resize(size_t(col) + 1);
    return (*extras)[size_t(col)];
}

std::int64_t CGridModel::ItemData(int row, int col) const {
    const CellExtra* extra = Extra(row, col);
    return extra ? extra->data : 0;
}

bool CGridModel::SetItemData(int row, int col, std::int64_t value) {
    if (!IsValidCell(row, col))
        return false;
    ExtraForWrite(row, col).data = value;
    const QModelIndex changed = index(row, col);
    Q_EMIT dataChanged(changed, changed, {ItemDataRole});
    return true;
}

int CGridModel::Image(int row, int col) const {
    const CellExtra* extra = Extra(row, col);
    return extra ? extra->image : -1;
}

bool CGridModel::SetImage(int row, int col, int image) {
    if (!IsValidCell(row, col))
        return false;
    ExtraForWrite(row, col).image = image;
    const QModelIndex changed = index(row, col);
    Q_EMIT dataChanged(changed, changed, {ImageRole, Qt::DecorationRole});
    return true;
}

unsigned CGridModel::State(int row, int col) const {
    const CellExtra* extra = Extra(row, col);
    return extra ? extra->state : 0;
}

bool CGridModel::SetState(int row, int col, unsigned state) {
    if (!IsValidCell(row, col))
        return false;
    ExtraForWrite(row, col).state = state;
    const QModelIndex changed = index(row, col);
    Q_EMIT dataChanged(changed, changed, {StateRole});
    return true;
}

int CGridModel::StoredRowHeight(int row) const {
    return row >= 0 && row < RowCount() ? m_rows[size_t(row)].height : -1;
}

bool CGridModel::SetRowHeight(int row, int height) {
    if (row < 0 || row >= RowCount() || height < -1)
        return false;
    m_rows[size_t(row)].height = height;
    Q_EMIT geometryChanged();
    return true;
}

int CGridModel::ColumnWidth(int col) const {
    return col >= 0 && col < ColumnCount() ? m_widths[size_t(col)] : -1;
}

bool CGridModel::SetColumnWidth(int col, int width) {
    if (col < 0 || col >= ColumnCount() || width < 0)
        return false;
    m_widths[size_t(col)] = width;
    Q_EMIT geometryChanged();
    return true;
}

std::vector<int> CGridModel::SortRows(int col, bool ascending) {
    const int count = RowCount();
    std::vector<int> newIndexOf(static_cast<size_t>(count));
    std::iota(newIndexOf.begin(), newIndexOf.end(), 0);
    if (col < 0 || col >= ColumnCount() || count - m_fixedRows < 2)
        return newIndexOf;

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<std::string_view> keys(static_cast<size_t>(count));
    for (int row = m_fixedRows; row < count; ++row)
        keys[size_t(row)] = Text(row, col);
    std::vector<int> order(size_t(count - m_fixedRows));
    std::iota(order.begin(), order.end(), m_fixedRows);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return ascending ? keys[size_t(a)] < keys[size_t(b)] : keys[size_t(b)] < keys[size_t(a)];
    });

    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    for (int row = 0; row < m_fixedRows; ++row)
        sorted.push_back(std::move(m_rows[size_t(row)]));
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(m_rows[size_t(order[i])]));
        newIndexOf[size_t(order[i])] = m_fixedRows + int(i);
    }
    m_rows.swap(sorted);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newIndexOf[size_t(old.row())], old.column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    return newIndexOf;
}
