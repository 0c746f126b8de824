#pragma once
// The publishing task list: the task categories as a tree (NimbrelClass) on
// the left, the tasks of the selected category and of its subcategories in
// a grid (Nimbrel, newest first, at most 200) on the right, and a strip of
// buttons above both. From here the user adds, renames and deletes
// categories, adds, edits, copies and deletes tasks, and publishes the
// focused task. Every change goes to the database at once; the screen keeps
// nothing but what the tree and the grid show.
//
// The host gets the object from listPublishTask, which stores its database
// (SetDatabase), and creates the window; the first top-level category is
// then selected and shown. The grid's column widths are kept in
// res/gridpos.ini under "CPublishTaskListView".
#include "platform/Wnd.h"
#include "toolkit/ClassTree.h"
#include "toolkit/DataGrid.h"
#include "toolkit/LayoutPanel.h"
#include "toolkit/RowLayout.h"
#include "toolkit/ScreenWnd.h"
#include "widgets/GridCtrl.h"

#include <string>

class CAdoDatabase;

class CPublishTaskListView : public CScreenWnd {
public:
    // The module hands it out as CDestroyWindowFirst<CPublishTaskListView>.
    CPublishTaskListView();
    ~CPublishTaskListView() override;

    // The host's database, not owned; it outlives the window.
    void SetDatabase(CAdoDatabase* database) { m_database = database; }

    // Shows the tasks whose ClassPath starts with path, replacing the rows.
    void ShowCategory(const std::string& path);

    CClassTree& Tree() { return m_tree; }
    CGridCtrl& Grid() { return m_grid; }

protected:
    bool OnCreate() override;
    void OnSize(int cx, int cy) override;
    bool OnCommand(int id, int code) override;
    bool OnNotify(const NotifyInfo& info) override;

private:
    void BuildButtons();
    void BuildTreeAndGrid();
    void ShowSelectedCategory();

    // Categories.
    void ShowCategoryMenu();
    void AddCategory();
    void RenameCategory();
    void DeleteCategory();
    bool CategoryIsEmpty(int key);

    // Tasks.
    void AddTask();
    void EditTask();
    void CopyTask();
    void DeleteTasks();
    void Publish();
    int InsertCopy(int source, int category);
    int InsertTaskRow(int key);
    int RefreshRow(int row);
    // The key of a row: the integer value of its column 0.
    int RowKey(int row) const;
    // The selected category's key (0 for the root or none), and its item.
    int CaretKey(HTREEITEM* caret = nullptr) const;
    std::string CaretPath() const;

    CLayoutPanel m_panel;
    CRowLayout m_layout;
    CAdoDatabase* m_database = nullptr;
    CClassTree m_tree;
    CGridCtrl m_grid;
    CDataGrid m_dataGrid;
    const std::string m_table = "Nimbrel";
    const std::string m_keyField = "KeyId";
};
