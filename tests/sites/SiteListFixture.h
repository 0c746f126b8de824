#pragma once
// The site list opened on the sites of SiteFixture.h, in a shown host
// window, with helpers to press its buttons and read its grid.
#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "sites/SiteIds.h"
#include "sites/SiteListView.h"
#include "tests/sites/SiteFixture.h"

#include <QPushButton>
#include <QWidget>

class SiteScreenTest : public SiteTest {
protected:
    void Open() {
        m_host.resize(900, 500);
        m_view.SetDatabase(&m_db);
        ASSERT_TRUE(m_view.Create(&m_host, CRect{0, 0, 900, 500}, 1));
        m_host.show();
        ProcessEvents();
    }
    CGridCtrl& Grid() { return m_view.Grid(); }
    std::string Text(int row, int col) { return Grid().GetItemText(row, col); }
    // Column col of every data row, joined with "|".
    std::string Column(int col) {
        std::string joined;
        for (int row = 1; row < Grid().GetRowCount(); ++row)
            joined += (row > 1 ? "|" : "") + Text(row, col);
        return joined;
    }
    QWidget* Button(int id) { return FindButton(&m_host, id); }
    void Press(int id) { PressButton(&m_host, id); }
    // Runs the query dialog: types text and confirms.
    void Query(const std::string& text) {
        m_seam.ExpectDialog([text](CDialog& d) {
            EXPECT_EQ(d.GetWindowText(), "站点查询");
            SetControlText(d.GetDlgItem(6001), text);
            d.SendCommand(IDOK);
        });
        Press(SiteIds::kQuery);
    }

    QWidget m_host;
    CDestroyWindowFirst<CSiteListView> m_view; // as the module hands it out
};
