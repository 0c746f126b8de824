#include "tasks/PublishTaskListView.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "database/KeyedInsert.h"
#include "database/LikeCondition.h"
#include "database/SqlStatement.h"
#include "platform/HostFolder.h"
#include "platform/Interaction.h"
#include "tasks/PublishLaunch.h"
#include "tasks/TaskEditDialog.h"
#include "tasks/TaskIds.h"
#include "tasks/TaskRecord.h"
#include "toolkit/CategoryNameDialog.h"
#include "widgets/ButtonPicture.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace tasks::list;

namespace {

constexpr int kFixed = CRowLayout::kFixed;
constexpr int kStretch = CRowLayout::kStretch;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The text as an SQL string's content: single quotes doubled.
std::string SqlText(std::string text) {
    for (size_t at = 0; (at = text.find('\'', at)) != std::string::npos; at += 2)
        text.insert(at, 1, '\'');
    return text;
}

std::string Number(int value) {
    return std::to_string(value);
}

} // namespace

CPublishTaskListView::CPublishTaskListView() = default;

CPublishTaskListView::~CPublishTaskListView() = default;

bool CPublishTaskListView::OnCreate() {
    m_layout.SetParent(this);
    m_layout.SetRowGap(0);
    BuildButtons();
    BuildTreeAndGrid();
    HTREEITEM root = m_tree.GetRootClassItem();
    HTREEITEM first = root ? m_tree.GetChildItem(root) : nullptr;
    if (first)
        m_tree.SelectItem(first); // the tree reports it, which shows its tasks
    const CRect client = GetClientRect();
    m_layout.Arrange(client.Width(), client.Height());
    return true;
}

void CPublishTaskListView::BuildButtons() {
    CRowLayout::Row* strip = m_layout.AddRow(28, kFixed);
    strip->SetCellGap(0);
    m_panel.Create(CRect{}, this, 0);
    m_layout.AddSharedCell(strip, &m_panel, 100, kStretch);

    CRowLayout::Row* r = m_panel.AddRow(24, kFixed);
    std::vector<QWidget*> buttons;
    auto button = [&](const char* caption, int id, int width) {
        buttons.push_back(m_panel.AddButton(r, caption, id, width, kFixed));
    };
    button("分类", kCategoryMenu, 60);
    button("添加", kAddTask, 60);
    button("编辑", kEditTask, 60);
    button("复制", kCopyTask, 60);
    button("删除", kDeleteTasks, 60);
    button("发布信息", kPublishTask, 80);
    SetButtonPictures(buttons, "images/item.gif", kWhite);
    m_panel.AddRow(5, kFixed);
}

void CPublishTaskListView::BuildTreeAndGrid() {
    CRowLayout::Row* r = m_layout.AddRow(100, kStretch);
    r->SetCellGap(0);

    m_tree.Create(this, CRect{}, kCategoryTree);
    m_tree.SetEditLabels(true); // an edited label reverts: renaming has its own command
    m_tree.SetImageList({"images/folder.gif"}, kWhite, 16, 15);
    m_layout.AddSharedCell(r, &m_tree, 150, CRowLayout::kFixedWidth);
    m_tree.SetDatabase(m_database);
    m_tree.SetRootCaption("任务分类");
    m_tree.SetTableName("NimbrelClass");
    m_tree.Load();

    m_grid.Create(this, CRect{}, kTaskGrid);
    m_layout.AddSharedCell(r, &m_grid, 100, kStretch);
    m_grid.SetFixedRowCount(1);
    m_grid.SetEditable(false);
    m_grid.SetListMode(true);

    m_dataGrid.Attach(&m_grid);
    m_dataGrid.SetTable(m_table);
    m_dataGrid.AddField("KeyId", "序号");
    m_dataGrid.AddField("Title", "标题");
    m_dataGrid.AddField("LastTime", "时间");
    m_dataGrid.AddField("Progress", "发送进度");
    m_dataGrid.AddField("SuccessCount", "成功数");
    m_dataGrid.AddField("ErrorCount", "错误");
    m_dataGrid.AddField("Comment", "备注");
    m_dataGrid.SetOrder(" order by keyid desc ");
    m_dataGrid.SetupColumns();
    CDataGrid::KeepColumnWidths(&m_grid, "CPublishTaskListView"); // saved when the grid goes
}

void CPublishTaskListView::OnSize(int cx, int cy) {
    m_layout.Arrange(cx, cy);
}

// ---- Showing a category ----

void CPublishTaskListView::ShowCategory(const std::string& path) {
    m_dataGrid.ClearConditions();
    m_dataGrid.AddCondition(BuildLikeCondition(m_database, "classpath", path + "%") + " ");
    m_dataGrid.SetPageIndex(0);
    CWaitCursor wait;
    m_dataGrid.Fill(m_database); // a failed fill keeps the rows shown
}

void CPublishTaskListView::ShowSelectedCategory() {
    const std::string path = CaretPath();
    if (!path.empty())
        ShowCategory(path);
}

int CPublishTaskListView::CaretKey(HTREEITEM* caret) const {
    HTREEITEM item = m_tree.GetSelectedItem();
    if (caret)
        *caret = item;
    return item ? int(m_tree.GetItemData(item)) : 0;
}

int CPublishTaskListView::RowKey(int row) const {
    return std::atoi(m_grid.GetItemText(row, 0).c_str());
}

std::string CPublishTaskListView::CaretPath() const {
    std::string path;
    m_tree.GetClassPath(m_tree.GetSelectedItem(), path);
    return path;
}

// ---- Categories ----

// The category menu below the "分类" button; its choice runs once this
// handler has returned.
void CPublishTaskListView::ShowCategoryMenu() {
    QWidget* button = m_panel.GetDlgItem(kCategoryMenu);
    if (!button)
        return;
    MenuRequest menu;
    menu.items = {{kAddCategory, "添加分类"},
                  {kRenameCategory, "修改分类名称"},
                  {kDeleteCategory, "删除分类"}};
    menu.anchor = button;
    PostCommand(ShowPopupMenu(this, menu)); // 0 when dismissed, which nothing handles
}

void CPublishTaskListView::AddCategory() {
    HTREEITEM parent = m_tree.GetSelectedItem();
    if (!parent)
        parent = m_tree.GetRootClassItem();
    if (!parent)
        return;
    CCategoryNameDialog dialog;
    dialog.InitModal(this);
    if (dialog.DoModal() != IDOK)
        return;
    m_tree.AddChild(parent, dialog.GetName());
    m_tree.Expand(parent);
}

// The category's own row and the tasks filed directly in it take the new
// path; subcategories and their tasks keep the paths they were stored with.
void CPublishTaskListView::RenameCategory() {
    HTREEITEM item = nullptr;
    const int key = CaretKey(&item);
    if (key < 1) {
        AfxMessageBox("请选择分类!", MB_OK, this);
        return;
    }
    CCategoryNameDialog dialog;
    dialog.InitModal(this);
    dialog.SetName(m_tree.GetItemText(item));
    if (dialog.DoModal() != IDOK)
        return;
    m_tree.SetItemText(item, dialog.GetName());
    std::string path;
    m_tree.GetClassPath(item, path);
    // Failures are not reported.
    m_database->Execute("update NimbrelClass set name='" + SqlText(dialog.GetName()) +
                        "',classpath='" + SqlText(path) + "' where keyid=" + Number(key));
    m_database->Execute("update Nimbrel set classpath='" + SqlText(path) +
                        "' where TaskClass=" + Number(key));
}

void CPublishTaskListView::DeleteCategory() {
    HTREEITEM item = nullptr;
    const int key = CaretKey(&item);
    if (!item)
        return;
    if (key < 1) {
        AfxMessageBox("请选择分类!", MB_OK, this);
        return;
    }
    if (CategoryIsEmpty(key) &&
        AfxMessageBox("确定要删除选择的分类信息吗?", MB_OKCANCEL, this) == IDOK)
        m_tree.DeleteBranch(item);
}

// False, with the reason shown, when the category has subcategories or
// tasks or cannot be checked.
bool CPublishTaskListView::CategoryIsEmpty(int key) {
    struct Check {
        std::string sql;
        const char* message;
    };
    const Check checks[] = {
        {"Select * from NimbrelClass where parentid=" + Number(key), "目录非空，请先删除子目录"},
        {"Select * from Nimbrel where taskClass=" + Number(key), "目录非空，请先删除子任务"},
    };
    CAdoRecordset records;
    records.SetConnection(m_database->GetConnection());
    for (const Check& check : checks) {
        if (!records.Open(check.sql)) {
            AfxMessageBox(check.sql + "\r\n" + records.GetLastError(), MB_OK, this);
            return false;
        }
        if (!records.IsEOF()) {
            AfxMessageBox(check.message, MB_OK, this);
            return false;
        }
        records.Close();
    }
    return true;
}

// ---- Tasks ----

void CPublishTaskListView::AddTask() {
    const int category = CaretKey();
    if (category < 1) {
        AfxMessageBox("请选择任务分类!", MB_OK, this);
        return;
    }
    CTaskEditDialog editor;
    editor.InitModal(this);
    editor.SetDatabase(m_database);
    editor.SetClassPath(CaretPath());
    editor.SetClassKey(category);
    editor.DoModal();
    // A stored row counts, however the editor was closed.
    if (editor.GetTaskKey() < 0)
        return;
    const int row = InsertTaskRow(editor.GetTaskKey());
    m_grid.SetFocusCell(row, 1);
    m_grid.SetSelectedRange(row, 0, row, m_grid.GetColumnCount() - 1, false, true);
    m_grid.Invalidate();
    if (editor.GetPublish())
        PostCommand(kPublishTask); // the new row is the focused one
}

// A row for the task below the header (the newest first), read from the
// database; its index.
int CPublishTaskListView::InsertTaskRow(int key) {
    const int row = m_grid.InsertRow(Number(key), m_grid.GetRowCount() > 1 ? 1 : -1);
    m_grid.SetItemData(row, 0, key);
    RefreshRow(row);
    return row;
}

void CPublishTaskListView::EditTask() {
    const CCellRange selection = m_grid.GetSelectedCellRange();
    if (!selection.IsValid()) {
        AfxMessageBox("请选择要编辑的任务!", MB_OK, this);
        return;
    }
    CTaskEditDialog editor;
    editor.InitModal(this);
    editor.SetDatabase(m_database);
    editor.SetTaskKey(RowKey(selection.minRow));
    if (editor.DoModal() == IDCANCEL)
        return;
    RefreshRow(selection.minRow);
    if (editor.GetPublish())
        Publish();
}

// A copy of the focused task in the category selected in the tree, opened
// in the editor; the selection stays where it was.
void CPublishTaskListView::CopyTask() {
    const int category = CaretKey();
    if (category < 1) {
        AfxMessageBox("请选择任务!", MB_OK, this);
        return;
    }
    const CCellPos focus = m_grid.GetFocusCell();
    if (!focus.IsValid()) {
        AfxMessageBox("请选择一个任务", MB_OK, this);
        return;
    }
    const int key = InsertCopy(RowKey(focus.row), category);
    if (key < 0)
        return;
    CTaskEditDialog editor;
    editor.InitModal(this);
    editor.SetDatabase(m_database);
    editor.SetTaskKey(key);
    editor.DoModal();
    InsertTaskRow(key);
    m_grid.Invalidate();
}

// Stores a new task in the category with the texts and TotalCount of the
// source task; its key, or -1 with the failure shown.
int CPublishTaskListView::InsertCopy(int source, int category) {
    CAdoRecordset task;
    task.SetConnection(m_database->GetConnection());
    if (!task.Open("Select * from Nimbrel where keyid=" + Number(source))) {
        AfxMessageBox(task.GetLastError(), MB_OK, this);
        return -1;
    }
    CSqlInsert insert;
    SetNewTaskFields(insert, CaretPath(), category);
    for (const char* text : {"UserName", "Title", "Content", "Comment", "SiteName"})
        insert.SetText(text, task.GetText(text));
    insert.SetNumber("TotalCount", task.GetInt("TotalCount"));
    task.Close();
    const int key = InsertAndGetKey(m_database, insert);
    if (key < 0)
        AfxMessageBox(insert.BuildSql() + "\r\n" + m_database->GetLastError(), MB_OK, this);
    return key;
}

// Deletes the selected tasks from the last row up, with their worker files;
// a failed delete asks whether to go on, and its row leaves the grid too.
void CPublishTaskListView::DeleteTasks() {
    const CCellRange selection = m_grid.GetSelectedCellRange();
    if (!selection.IsValid()) {
        AfxMessageBox("请选择要删除的信息", MB_OK, this);
        return;
    }
    if (AfxMessageBox("确定要删除选择的信息吗?", MB_OKCANCEL, this) != IDOK)
        return;
    std::vector<int> removed;
    for (int row = selection.maxRow; row >= selection.minRow; --row) {
        if ((m_grid.GetItemState(row, 1) & kGridCellSelected) == 0)
            continue;
        removed.push_back(row);
        const std::string key = SqlText(m_grid.GetItemText(row, 0));
        const bool deleted =
            m_database->Execute("delete from " + m_table + " where " + m_keyField + " =" + key);
        for (const char* extension : {".log", ".ini"})
            std::remove(HostPath("data/nimbrel" + key + extension).c_str());
        if (!deleted &&
            AfxMessageBox(m_database->GetLastError() + "\r\n\r\n是否继续?", MB_YESNO, this) == IDNO)
            break;
    }
    for (int row : removed)
        m_grid.DeleteRow(row);
    m_grid.Invalidate();
}

void CPublishTaskListView::Publish() {
    const CCellPos focus = m_grid.GetFocusCell();
    if (!focus.IsValid()) {
        AfxMessageBox("请选择一个任务", MB_OK, this);
        return;
    }
    const std::string key = m_grid.GetItemText(focus.row, 0);
    if (!key.empty())
        LaunchPublishing(this, m_database, key);
}

// Reads the row's task again: 1 when it was refreshed, 0 otherwise.
int CPublishTaskListView::RefreshRow(int row) {
    if (row >= m_grid.GetRowCount())
        return 0;
    const int key = RowKey(row);
    if (key < 1)
        return 0;
    const std::string sql = "select * from Nimbrel where keyid=" + Number(key);
    CAdoRecordset task;
    task.SetConnection(m_database->GetConnection());
    if (!task.Open(sql)) {
        AfxMessageBox(sql + "\r\n" + task.GetLastError(), MB_OK, this);
        return 0;
    }
    m_grid.SetItemImage(row, 0, task.GetInt("FDStatus"));
    // SiteName and TotalCount are no columns here: SetFieldText skips them.
    for (const char* text : {"SiteName", "Title", "LastTime"})
        m_dataGrid.SetFieldText(row, text, task.GetText(text));
    for (const char* count : {"TotalCount", "Progress", "SuccessCount", "ErrorCount"})
        m_dataGrid.SetFieldText(row, count, Number(task.GetInt(count)));
    m_grid.RedrawRow(row);
    task.Close();
    return 1;
}

// ---- Messages ----

bool CPublishTaskListView::OnCommand(int id, int code) {
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case kCategoryMenu:
        ShowCategoryMenu();
        return true;
    case kAddCategory:
        AddCategory();
        return true;
    case kRenameCategory:
        RenameCategory();
        return true;
    case kDeleteCategory:
        DeleteCategory();
        return true;
    case kAddTask:
        AddTask();
        return true;
    case kEditTask:
        EditTask();
        return true;
    case kDeleteTasks:
        DeleteTasks();
        return true;
    case kCopyTask:
        CopyTask();
        return true;
    case kPublishTask:
        Publish();
        return true;
    }
    return false;
}

bool CPublishTaskListView::OnNotify(const NotifyInfo& info) {
    if (info.id == kCategoryTree && info.code == TVN_SELCHANGED) {
        ShowSelectedCategory();
        return true;
    }
    if (info.id == kTaskGrid && info.code == NM_DBLCLK) {
        PostCommand(kEditTask);
        return true;
    }
    return false;
}
