#include "sites/SiteListView.h"

#include "database/AdoDatabase.h"
#include "database/LikeCondition.h"
#include "database/StatementBatch.h"
#include "platform/HostFolder.h"
#include "platform/Interaction.h"
#include "sites/CsvExporter.h"
#include "sites/RegistrationLaunch.h"
#include "sites/SiteEditDialog.h"
#include "sites/SiteIds.h"
#include "toolkit/InputDialog.h"
#include "widgets/ButtonPicture.h"

#include <algorithm>
#include <vector>

using namespace SiteIds;

namespace {

constexpr int kFixed = CRowLayout::kFixed;
constexpr int kStretch = CRowLayout::kStretch;

constexpr const char* kTable = "SiteData";
constexpr const char* kCategoryPattern = "/信息网%";
constexpr const char* kOrder = " order by keyid desc ";
constexpr int kPageSize = 5000;
constexpr const char* kChosen = "√";
constexpr const char* kNotChosen = " ";

// Panel buttons draw over the panel's colour; the others are plain image
// buttons in the panel's row.
enum class ButtonKind { Panel, Image };

struct ToolbarButton {
    const char* caption;
    int id;
    int width;
    ButtonKind kind;
};

constexpr ToolbarButton kButtons[] = {
    {"选择", kChoose, 50, ButtonKind::Panel},
    {"反选", kInvert, 50, ButtonKind::Panel},
    {"编辑", kEdit, 50, ButtonKind::Image},
    {"查询", kQuery, 50, ButtonKind::Panel},
    {"访问", kVisit, 50, ButtonKind::Image},
    {"注册网络黄页", kRegister, 120, ButtonKind::Image},
    {"重新开始", kRestart, 80, ButtonKind::Image},
    {"导出", kExport, 50, ButtonKind::Panel},
};

struct Column {
    const char* field;
    const char* caption;
};

// In the order of SiteIds' columns. The literal blank is the choice marker.
constexpr Column kColumns[] = {
    {"KeyId", "编号"},        {"' '", ""},
    {"Name", "站点名称"},     {"Score", "综合指数"},
    {"UserName", "用户名称"}, {"RegisterStatus", "注册结果"},
    {"Homepage", "站点主页"}, {"IsSelected", ""},
};

} // namespace

CSiteListView::CSiteListView() = default;
CSiteListView::~CSiteListView() = default;

bool CSiteListView::OnCreate() {
    m_layout.SetParent(this);
    BuildToolbar();
    BuildGrid();
    Refill();
    const CRect client = GetClientRect();
    m_layout.Arrange(client.Width(), client.Height());
    return true;
}

void CSiteListView::BuildToolbar() {
    CRowLayout::Row* row = m_layout.AddRow(28, kFixed);
    row->SetCellGap(0);
    m_toolbar.Create(CRect{}, this, 0);
    m_layout.AddSharedCell(row, &m_toolbar, 100, kStretch);

    m_toolbar.AddRow(2, kFixed);
    row = m_toolbar.AddRow(18, kFixed);
    row->SetCellGap(0);
    std::vector<QWidget*> buttons;
    for (const ToolbarButton& b : kButtons)
        buttons.push_back(
            b.kind == ButtonKind::Panel
                ? m_toolbar.AddButton(row, b.caption, b.id, b.width, kFixed)
                : m_toolbar.Layout().AddButton(row, b.caption, b.id, b.width, kFixed));
    SetButtonPictures(buttons, HostPath("images/item.gif"), RGB(255, 255, 255));
}

void CSiteListView::BuildGrid() {
    CRowLayout::Row* row = m_layout.AddRow(100, kStretch);
    row->SetCellGap(0);
    m_grid.Create(this, CRect{}, kGrid);
    m_layout.AddSharedCell(row, &m_grid, 100, kStretch);
    m_grid.SetFixedRowCount(1);
    m_grid.SetEditable(false);
    m_grid.SetListMode(true);
    m_grid.EnableTitleTips(false);

    m_binding.Attach(&m_grid);
    m_binding.SetPageSize(kPageSize);
    m_binding.SetTable(kTable);
    for (const Column& column : kColumns)
        m_binding.AddField(column.field, column.caption);
    ResetFilter();
    m_binding.SetOrder(kOrder);
    // Every fill marks the chosen sites ("1" in IsSelected) as it adds their
    // rows; a blank stays for 0 or NULL.
    m_binding.SetRowFilter([](std::string_view* texts, int count) {
        if (count > kIsSelectedColumn && texts[kIsSelectedColumn] == "1")
            texts[kMarkerColumn] = kChosen;
    });
    m_binding.SetupColumns();
    CDataGrid::KeepColumnWidths(&m_grid, kClassName);
}

// Back to the sites of the directory alone: " ClassPath like '/信息网%' ",
// in the form that matches the same sites on either engine.
void CSiteListView::ResetFilter() {
    m_binding.ClearConditions();
    m_binding.AddCondition(" " + BuildLikeCondition(m_database, "ClassPath", kCategoryPattern) +
                           " ");
}

void CSiteListView::Refill() {
    m_binding.SetPageIndex(0);
    m_binding.Fill(m_database); // a failed fill keeps the rows it had
}

void CSiteListView::OnDestroy() {
    m_layout.Clear();
}

void CSiteListView::OnSize(int cx, int cy) {
    m_layout.Arrange(cx, cy);
}

bool CSiteListView::OnCommand(int id, int code) {
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case kEdit:
        EditSite();
        return true;
    case kChoose:
    case kInvert:
        ChooseSelectedRows(id == kInvert);
        return true;
    case kQuery:
        QuerySites();
        return true;
    case kVisit:
        VisitSite();
        return true;
    case kRegister:
        LaunchRegistration(m_database, this);
        return true;
    case kRestart:
        RestartRegistration(m_database, this);
        return true;
    case kExport:
        ExportAccounts();
        return true;
    default:
        return false;
    }
}

bool CSiteListView::OnNotify(const NotifyInfo& info) {
    if (info.id != kGrid)
        return false;
    switch (info.code) {
    case NM_DBLCLK:
        PostCommand(kEdit);
        return true;
    case NM_CLICK:
        if (info.column == kMarkerColumn && info.row >= 1)
            ToggleChoice(info.row);
        return true;
    case NM_RCLICK:
        ShowContextMenu(info.screenPoint);
        return true;
    default:
        return false;
    }
}

// The choice runs after this notification, as a command of the screen; a
// dismissed menu runs nothing.
void CSiteListView::ShowContextMenu(const CPoint& screenPoint) {
    MenuRequest menu;
    menu.items = {{kEdit, "编辑", "item.gif"}, {kVisit, "访问", "item.gif"}};
    menu.screenPoint = screenPoint;
    if (const int id = ShowPopupMenu(this, menu))
        PostCommand(id);
}

void CSiteListView::ChooseSelectedRows(bool invert) {
    const CCellRange range = m_grid.GetSelectedCellRange();
    if (!range.IsValid()) {
        AfxMessageBox("未选择站点", MB_OK, this);
        return;
    }
    CWaitCursor wait;
    CStatementBatch batch(m_database); // thousands of rows take a moment, not minutes
    for (int row = range.minRow; row <= range.maxRow; ++row) {
        if (m_grid.GetItemState(row, kMarkerColumn) & kGridCellSelected)
            SetChoice(row, !invert || m_grid.GetItemText(row, kMarkerColumn) == kNotChosen);
    }
}

void CSiteListView::ToggleChoice(int row) {
    SetChoice(row, m_grid.GetItemText(row, kMarkerColumn) == kNotChosen);
}

// The marker and the stored choice change together; a failed update is not
// reported, the marker already shows the new state.
void CSiteListView::SetChoice(int row, bool chosen) {
    m_grid.SetItemText(row, kMarkerColumn, chosen ? kChosen : kNotChosen);
    m_grid.RedrawRow(row);
    if (m_database)
        m_database->Execute(std::string("update siteData set IsSelected=") + (chosen ? "1" : "0") +
                            " where keyid=" + m_grid.GetItemText(row, kKeyColumn));
}

void CSiteListView::EditSite() {
    const CCellRange range = m_grid.GetSelectedCellRange();
    if (!range.IsValid())
        return;
    const int row = range.minRow;
    CSiteEditDialog dialog;
    dialog.InitModal(this);
    dialog.SetDatabase(m_database);
    dialog.Document().SetString(CHtmlForm::kParameters, "Keyid",
                                m_grid.GetItemText(row, kKeyColumn));
    if (dialog.DoModal() == IDOK)
        ShowSavedValues(row, dialog.Document());
}

// The values the editor saved go into the row's columns of the same names;
// the rest of the row stays as the last fill read it.
void CSiteListView::ShowSavedValues(int row, CIniFile& form) {
    std::vector<std::string> keys;
    form.GetKeyNames(CHtmlForm::kParameters, &keys);
    for (const std::string& key : keys) {
        const int column = m_binding.FieldIndex(key);
        if (column >= 0)
            m_grid.SetItemText(row, column, form.GetString(CHtmlForm::kParameters, key));
    }
    m_grid.RedrawRow(row);
}

void CSiteListView::QuerySites() {
    CInputDialog dialog;
    dialog.InitModal(this);
    dialog.SetTitle("站点查询");
    dialog.AddEditField("Name", "站点名称");
    if (dialog.DoModal() != IDOK)
        return;
    // Quotes go; "%" and "_" stay wildcards.
    std::string text = dialog.GetValue("Name");
    text.erase(std::remove(text.begin(), text.end(), '\''), text.end());
    ResetFilter();
    if (!text.empty())
        m_binding.AddCondition(" " + BuildLikeCondition(m_database, "Name", "%" + text + "%") +
                               " ");
    CWaitCursor wait;
    Refill();
}

// The accounts of every site the current filter matches, without the page
// limit or an order. Nothing is reported, whatever the result.
void CSiteListView::ExportAccounts() {
    FileDialogRequest request;
    request.save = true;
    request.defaultExtension = ".csv";
    request.filter = "CSV文本文件 (*.csv)|*.csv|所有文件 (*.*)|*.*||";
    std::string path;
    if (!Interaction().ChooseFile(nullptr, request, path))
        return;
    CWaitCursor wait;
    CCsvExporter exporter;
    exporter.SetDatabase(m_database);
    exporter.ExportQuery(
        "select Keyid,Name,UserName,UserPass  from SiteData " + m_binding.BuildWhere(), path);
}

void CSiteListView::VisitSite() {
    const CCellPos focus = m_grid.GetFocusCell();
    if (!focus.IsValid())
        return;
    const std::string homepage = m_binding.GetFieldText(focus.row, "Homepage");
    if (!homepage.empty())
        OpenWebAddress(homepage); // nothing is reported when it is not opened
}
