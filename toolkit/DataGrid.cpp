#include "toolkit/DataGrid.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "platform/CodePage.h"
#include "platform/HostFolder.h"
#include "settings/IniFile.h"
#include "toolkit/UiProfile.h"
#include "widgets/GridCtrl.h"

#include <QDir>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace {

constexpr GridCellKind kFixedKinds[] = {GridCellKind::FixedRow, GridCellKind::FixedColumn,
                                        GridCellKind::Corner};
constexpr GridCellKind kAllKinds[] = {GridCellKind::Normal, GridCellKind::FixedRow,
                                      GridCellKind::FixedColumn, GridCellKind::Corner};

constexpr int kCellMargin = 2;
constexpr int kUnsetWidth = 80;
constexpr int kMaxWidth = 400;

const char kWidthsFile[] = "res/gridpos.ini";
const char kWidthsKey[] = "ColumnWidth";

// The items of a comma-separated list: empty items between commas count, an
// empty remainder after the last comma does not.
std::vector<std::string> SplitAtCommas(const std::string& text) {
    std::vector<std::string> items;
    std::size_t from = 0;
    for (std::size_t comma; (comma = text.find(',', from)) != std::string::npos; from = comma + 1)
        items.push_back(text.substr(from, comma - from));
    if (from < text.size())
        items.push_back(text.substr(from));
    return items;
}

// Rows on their way from the records into the grid, many at a time: one
// batch of appended rows costs the grid far less than a row and its texts
// set one by one. The texts lie one after the other in one buffer that keeps
// its size from batch to batch.
class CRowBatch {
public:
    static constexpr int kRows = 512;

    CRowBatch(CGridCtrl& grid, int columns, const CDataGrid::RowFilter& filter)
        : m_grid(grid), m_columns(columns), m_filter(filter) {
        m_ends.reserve(size_t(kRows) * size_t(columns));
    }

    void Add(const char* text, std::size_t length) {
        if (length)
            m_bytes.append(text, length);
        m_ends.push_back(m_bytes.size());
    }

    void EndRow() {
        if (++m_rows == kRows)
            Flush();
    }

    void Flush() {
        if (m_rows == 0)
            return;
        m_views.clear();
        std::size_t begin = 0;
        for (std::size_t end : m_ends) {
            m_views.emplace_back(m_bytes.data() + begin, end - begin);
            begin = end;
        }
        if (m_filter)
            for (std::size_t row = 0; row < m_views.size(); row += size_t(m_columns))
                m_filter(&m_views[row], m_columns);
        m_grid.AppendRows(m_views, m_columns, CDataGrid::kRowHeight);
        m_bytes.clear();
        m_ends.clear();
        m_rows = 0;
    }

private:
    CGridCtrl& m_grid;
    const int m_columns;
    const CDataGrid::RowFilter& m_filter;
    int m_rows = 0;
    std::string m_bytes;
    std::vector<std::size_t> m_ends; // where each text ends in m_bytes
    std::vector<std::string_view> m_views;
};

} // namespace

// ---- Declaration ----

void CDataGrid::AddField(const std::string& field) {
    m_fields.push_back(field);
}

void CDataGrid::AddField(const std::string& field, const std::string& caption) {
    m_fields.push_back(field);
    m_captions[field] = caption;
}

std::string CDataGrid::BuildSelect() {
    if (m_fields.empty())
        return {};
    std::string select = "select ";
    for (const std::string& field : m_fields) {
        select += field;
        select += ',';
    }
    while (!select.empty() && select.back() == ',')
        select.pop_back();
    select += " from ";
    select += m_table;
    for (std::size_t i = 0; i < m_conditions.size(); ++i) {
        select += i == 0 ? " where " : " and ";
        select += m_conditions[i];
    }
    select += ' ';
    select += m_order;
    m_selectText = select;
    return select;
}

std::string CDataGrid::BuildWhere() const {
    std::string where;
    if (m_fields.empty())
        return where;
    for (std::size_t i = 0; i < m_conditions.size(); ++i) {
        where += i == 0 ? " where " : " and ";
        where += m_conditions[i];
    }
    return where;
}

// ---- Grid ----

void CDataGrid::Attach(CGridCtrl* grid) {
    m_grid = grid;
    if (grid && grid->IsWindow())
        ApplyProfileColors();
}

void CDataGrid::ApplyProfileColors() {
    const COLORREF back = ProfileColor("DataGrid", "BackColor", kGridBackColor);
    const COLORREF fixed = ProfileColor("DataGrid", "FixedColor", kFixedBackColor);
    m_grid->SetGridBkColor(back);
    for (GridCellKind kind : kFixedKinds)
        m_grid->SetDefaultBackColor(kind, fixed);
}

int CDataGrid::SetupColumns() {
    if (!m_grid)
        return 0;
    m_grid->SetFixedRowCount(1);
    m_grid->SetColumnCount(int(m_fields.size()));
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        auto caption = m_captions.find(m_fields[i]);
        m_grid->SetItemText(0, int(i), caption != m_captions.end() ? caption->second : m_fields[i]);
    }
    m_grid->AutoSize();
    m_grid->RedrawRow(0);
    return 1;
}

// ---- Fill ----

int CDataGrid::Fill(CAdoDatabase* database) {
    m_database = database;
    if (!database || !m_grid)
        return -1;
    const std::string select = BuildSelect();
    if (select.empty())
        return -2;
    for (GridCellKind kind : kAllKinds)
        m_grid->SetDefaultMargin(kind, kCellMargin);

    CAdoRecordset records;
    records.SetConnection(database->GetConnection());
    if (!records.Open(select)) {
        m_lastError = records.GetLastError();
        return -3;
    }
    // Only now: a select that fails keeps the rows on screen.
    m_grid->DeleteNonFixedRows();
    if (records.GetFieldCount() == 0)
        return 1;
    const bool complete = AppendPage(records);
    records.Close();
    m_grid->Invalidate();
    return complete ? 1 : -3;
}

bool CDataGrid::AppendPage(CAdoRecordset& records) {
    // Records before the page are read and passed over one by one.
    const long long start = (long long)m_pageIndex * m_pageSize;
    const long long end = start + m_pageSize;
    CRowBatch batch(*m_grid, records.GetFieldCount(), m_rowFilter);
    for (long long position = 0; !records.IsEOF() && position < end; ++position) {
        if (position >= start) {
            for (int col = 0; col < records.GetFieldCount(); ++col) {
                std::size_t length; // 0 for NULL: an empty cell
                const char* text = records.GetFieldValue(col, &length);
                batch.Add(text, length);
            }
            batch.EndRow();
        }
        records.MoveNext();
    }
    batch.Flush();
    // An error while reading ends the walk as the end of the records would.
    if (records.GetLastError().empty())
        return true;
    m_lastError = records.GetLastError();
    return false;
}

// ---- Fields ----

int CDataGrid::FieldIndex(const std::string& field) const {
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        if (GbkEqualNoCase(m_fields[i], field))
            return int(i);
    return -1;
}

std::string CDataGrid::GetFieldText(int row, const std::string& field) const {
    const int col = m_grid ? FieldIndex(field) : -1;
    return col < 0 ? std::string() : m_grid->GetItemText(row, col);
}

int CDataGrid::SetFieldText(int row, const std::string& field, const std::string& text) {
    const int col = m_grid ? FieldIndex(field) : -1;
    if (col < 0)
        return -1;
    m_grid->SetItemText(row, col, text);
    return 1;
}

// ---- Column widths ----

namespace {

// Saves a grid's widths when the grid's window goes: a child object of that
// window, deleted with it. The grid object outlives its window (it destroys
// the window in its own destructor), so the widths are there to read.
class ColumnWidthKeeper : public QObject {
public:
    static constexpr const char* kName = "ColumnWidthKeeper";

    ColumnWidthKeeper(CGridCtrl* grid, QWidget* window) : QObject(window), m_grid(grid) {
        setObjectName(QLatin1StringView(kName));
    }
    ~ColumnWidthKeeper() override { CDataGrid::SaveColumnWidths(m_grid, section); }

    std::string section;

private:
    CGridCtrl* m_grid;
};

} // namespace

void CDataGrid::KeepColumnWidths(CGridCtrl* grid, const std::string& section) {
    QWidget* window = grid ? grid->Widget() : nullptr;
    if (!window)
        return;
    LoadColumnWidths(grid, section);
    auto* keeper = static_cast<ColumnWidthKeeper*>(window->findChild<QObject*>(
        QLatin1StringView(ColumnWidthKeeper::kName), Qt::FindDirectChildrenOnly));
    if (!keeper)
        keeper = new ColumnWidthKeeper(grid, window);
    keeper->section = section;
}

void CDataGrid::LoadColumnWidths(CGridCtrl* grid, const std::string& section) {
    if (!grid)
        return;
    CIniFile file;
    file.Load(HostPath(kWidthsFile));
    const std::vector<std::string> items = SplitAtCommas(file.GetString(section, kWidthsKey));
    const int count = std::min(int(items.size()), grid->GetColumnCount());
    for (int col = 0; col < count; ++col) {
        int width = std::atoi(items[std::size_t(col)].c_str());
        if (width < 1)
            width = kUnsetWidth;
        else if (width > kMaxWidth)
            width = kMaxWidth;
        grid->SetColumnWidth(col, width);
    }
}

void CDataGrid::SaveColumnWidths(CGridCtrl* grid, const std::string& section) {
    if (!grid)
        return;
    QDir().mkpath(FromPath(HostPath("res")));
    const std::string path = HostPath(kWidthsFile);
    CIniFile file;
    if (file.Load(path) == EIniLoad::Unreadable)
        return; // never written over with what could be read of it
    std::string widths;
    for (int col = 0; col < grid->GetColumnCount(); ++col) {
        if (col > 0)
            widths += ',';
        widths += std::to_string(grid->GetColumnWidth(col));
    }
    file.SetString(section, kWidthsKey, widths);
    file.Save(path);
}
