#pragma once
// The site directory: the information sites of SiteData whose category path
// begins with "/信息网", with the accounts the company holds there. The user
// chooses the sites to work on (the choice is stored at once, in IsSelected),
// searches them by name, opens a site's home page, edits the account of one
// site, exports the accounts as CSV and hands the registration of accounts on
// the chosen sites to Korvald.exe. Ids and grid columns: sites/SiteIds.h.
#include "platform/Wnd.h"
#include "toolkit/DataGrid.h"
#include "toolkit/LayoutPanel.h"
#include "toolkit/RowLayout.h"
#include "toolkit/ScreenWnd.h"
#include "widgets/GridCtrl.h"

#include <string>

class CAdoDatabase;
class CIniFile;

class CSiteListView : public CScreenWnd {
public:
    // The section of res/gridpos.ini that keeps the column widths.
    static constexpr char kClassName[] = "CSiteListView";

    CSiteListView();
    ~CSiteListView() override;

    // The host's database (not owned), set before the window is created.
    void SetDatabase(CAdoDatabase* database) { m_database = database; }
    CAdoDatabase* GetDatabase() const { return m_database; }

    CGridCtrl& Grid() { return m_grid; }
    CDataGrid& Binding() { return m_binding; }

protected:
    bool OnCreate() override;
    void OnDestroy() override;
    void OnSize(int cx, int cy) override;
    bool OnCommand(int id, int code) override;
    bool OnNotify(const NotifyInfo& info) override;

private:
    void BuildToolbar();
    void BuildGrid();
    // Fills the grid from the first row on, the chosen sites marked.
    void Refill();

    void ChooseSelectedRows(bool invert);
    void SetChoice(int row, bool chosen);
    void ToggleChoice(int row);
    void ShowContextMenu(const CPoint& screenPoint);
    void EditSite();
    void ShowSavedValues(int row, CIniFile& form);
    void QuerySites();
    void VisitSite();
    void ExportAccounts();
    void ResetFilter();

    CAdoDatabase* m_database = nullptr;
    CLayoutPanel m_toolbar;
    CGridCtrl m_grid;
    CDataGrid m_binding;
    CRowLayout m_layout;
};
