#pragma once
// Binds a grid to one table: a list screen declares the table, the columns
// (field expression and header caption), the filter conditions and an order
// clause; the binding builds the select from them, reads it on the host's
// database and fills the grid with one text row per record, one page at a
// time. It also gives the grid the colours of the user-interface profile
// ([DataGrid] of uiprofile.ini) and keeps the user's column widths per screen
// in res/gridpos.ini.
//
// Column i of the grid shows field i of the declaration; row 0 is the header
// row, data rows start at row 1. All texts are GBK.
//
//     binding.Attach(&grid);
//     binding.SetTable("SiteData");
//     binding.AddField("KeyId", "编号");
//     binding.AddField("' '", "");        // a literal column with an empty header
//     binding.AddCondition(" ClassPath like '/信息网%' ");
//     binding.SetOrder(" order by keyid desc ");
//     binding.SetupColumns();
//     CDataGrid::KeepColumnWidths(&grid, "CSiteListView"); // loaded now, saved at the end
//     binding.Fill(database);
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class CAdoDatabase;
class CAdoRecordset;
class CGridCtrl;

class CDataGrid {
public:
    static constexpr int kDefaultPageSize = 200;
    // Every data row a fill appends has this height.
    static constexpr int kRowHeight = 20;
    // Colours a grid gets on Attach before the profile is read (0x00BBGGRR).
    static constexpr unsigned kGridBackColor = 0xF0E8C8;
    static constexpr unsigned kFixedBackColor = 0xE0C487;

    // Paging: a fill shows the records from page index x page size on, at
    // most page size of them. Callers set the index back to 0 before a new filter.
    int GetPageSize() const { return m_pageSize; }
    void SetPageSize(int size) { m_pageSize = size; }
    int GetPageIndex() const { return m_pageIndex; }
    void SetPageIndex(int index) { m_pageIndex = index; }

    // The database's description of the error of the last failed fill.
    const std::string& GetLastError() const { return m_lastError; }

    // Stores the grid (not owned). A grid whose window exists gets the
    // profile's colours now; one without a window keeps its colours.
    void Attach(CGridCtrl* grid);
    CGridCtrl* GetGrid() const { return m_grid; }
    // The database of the last fill (not owned); null before the first.
    CAdoDatabase* GetDatabase() const { return m_database; }

    // The declaration. A field may be any select expression, a literal too.
    // A field given with a caption, even an empty one, shows that caption as
    // its header; a field without one shows its own text.
    void SetTable(const std::string& table) { m_table = table; }
    void AddField(const std::string& field);
    void AddField(const std::string& field, const std::string& caption);
    int GetFieldCount() const { return int(m_fields.size()); }
    // Each condition carries its own blanks; they are joined with " and ".
    void AddCondition(const std::string& condition) { m_conditions.push_back(condition); }
    void ClearConditions() { m_conditions.clear(); }
    // Appended after one blank, e.g. " order by keyid desc ".
    void SetOrder(const std::string& order) { m_order = order; }

    // The select of the declaration; empty without fields. Kept as the
    // select text.
    std::string BuildSelect();
    const std::string& GetSelectText() const { return m_selectText; }
    // " where " and the conditions joined with " and "; empty without
    // conditions or without fields.
    std::string BuildWhere() const;

    // Header row, column count and captions, with widths and heights fitted
    // to the captions. 1, or 0 without a grid.
    int SetupColumns();

    // Replaces the data rows by one page of the select's records.
    // 1: done (also with no records); -1: no database or no grid; -2: no
    // fields (the grid is untouched); -3: database error, described by
    // GetLastError. A select that cannot be opened leaves the previous rows.
    int Fill(CAdoDatabase* database);
    // Called for every row a fill appends, with its texts as read (one per
    // field): it may point any of them elsewhere, to a text that outlives
    // the fill, for a column whose text follows from others.
    using RowFilter = std::function<void(std::string_view* texts, int count)>;
    void SetRowFilter(RowFilter filter) { m_rowFilter = std::move(filter); }

    // The column of a field, compared without regard to case; -1 if none.
    int FieldIndex(const std::string& field) const;
    // The grid's text of a field in a row; empty without a grid or for a
    // field not declared.
    std::string GetFieldText(int row, const std::string& field) const;
    // 1, or -1 without a grid or for a field not declared. Nothing is redrawn.
    int SetFieldText(int row, const std::string& field, const std::string& text);

    // Column widths kept per screen (section) in res/gridpos.ini below the
    // host folder, key "ColumnWidth", widths in pixels joined by ",". Loading
    // clamps each width to 1..400 (below 1 gives 80) and leaves the columns
    // without a width as they are.
    static void LoadColumnWidths(CGridCtrl* grid, const std::string& section);
    static void SaveColumnWidths(CGridCtrl* grid, const std::string& section);
    // Loads the widths now and saves them when the grid's window goes,
    // whichever way it goes: the screen's window destroyed, the screen
    // deleted with its window up, or the host's window deleted with the
    // screen in it. A list screen calls it once after SetupColumns and saves
    // nothing in its own OnDestroy. Nothing happens without the grid's window.
    static void KeepColumnWidths(CGridCtrl* grid, const std::string& section);

private:
    void ApplyProfileColors();
    // Appends the records of the page; false on a database error.
    bool AppendPage(CAdoRecordset& records);

    int m_pageSize = kDefaultPageSize;
    int m_pageIndex = 0;
    std::string m_lastError;
    CAdoDatabase* m_database = nullptr;
    CGridCtrl* m_grid = nullptr;
    std::string m_table;
    std::string m_selectText;
    std::string m_order;
    std::vector<std::string> m_fields;
    std::vector<std::string> m_conditions;
    std::map<std::string, std::string> m_captions;
    RowFilter m_rowFilter;
};
