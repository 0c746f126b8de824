#include "toolkit/LayoutPanel.h"

#include "platform/Controls.h"
#include "platform/SysColor.h"
#include "tests/support/TestSupport.h"
#include "toolkit/UiProfile.h"
#include "widgets/ImageButton.h"

#include <QAbstractButton>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int kFixed = CRowLayout::kFixed;

// A list screen as the real ones are built: a panel across the top of its
// layout holding two toolbar buttons, a label of its own below.
class Screen : public CWnd {
public:
    CLayoutPanel panel;
    CRowLayout layout{this};
    std::vector<int> commands;
    std::vector<NotifyInfo> notes;
    bool notifyResult = true;
    QWidget* add = nullptr;
    QWidget* choose = nullptr;
    QWidget* label = nullptr;

protected:
    bool OnCreate() override {
        if (!panel.Create(CRect{}, this, 0))
            return false;
        layout.AddSharedCell(layout.AddRow(28, kFixed), &panel, 100, CRowLayout::kStretch);
        label = layout.AddLabel(layout.AddRow(100, CRowLayout::kStretch), "列表", 0, 100, 0);
        CRowLayout::Row* row = panel.AddRow(24, kFixed);
        add = panel.AddButton(row, "添加", 6001, 60, kFixed);
        choose = panel.AddButton(row, "选择", 6002, 50, CRowLayout::kStretch);
        return true;
    }
    void OnSize(int cx, int cy) override { layout.Arrange(cx, cy); }
    bool OnCommand(int id, int) override {
        commands.push_back(id);
        return true;
    }
    bool OnNotify(const NotifyInfo& info) override {
        notes.push_back(info);
        return notifyResult;
    }
};

COLORREF PaintedColour(const std::string& profile) {
    TempHostFolder folder;
    if (!profile.empty())
        folder.Write("uiprofile.ini", profile);
    QWidget host;
    CWnd parent;
    parent.Create(&host, CRect{0, 0, 200, 50}, 1);
    CLayoutPanel panel;
    // Read at construction: a later change is for panels made after it.
    folder.Write("uiprofile.ini", "[LayoutCtrl]\r\nBackColor=65280\r\n");
    EXPECT_TRUE(panel.Create(CRect{0, 0, 100, 30}, &parent, 0));
    const QImage image = panel.Widget()->grab().toImage();
    return FromQColor(image.pixelColor(50, 15));
}

} // namespace

TEST(LayoutPanel, PaintsTheProfileColourReadAtConstructionElseThe3DFace) {
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    EXPECT_EQ(PaintedColour("[LayoutCtrl]\r\nBackColor=255\r\n"), RGB(255, 0, 0));
    EXPECT_EQ(PaintedColour("[layoutctrl]\r\nbackcolor=abc\r\n"), RGB(0, 0, 0));
    EXPECT_EQ(PaintedColour(""), face);
    EXPECT_EQ(PaintedColour("[LayoutCtrl]\r\nBackColor=\r\n"), face);
    EXPECT_EQ(PaintedColour("[DataGrid]\r\nBackColor=255\r\n"), face);
}

TEST(LayoutPanel, ProfileColoursOfTheGrid) {
    TempHostFolder folder;
    folder.Write("uiprofile.ini", "[DataGrid]\r\nBackColor=15788232\r\nFixedColor=\r\n");
    EXPECT_EQ(ProfileColor("DataGrid", "BackColor", 1), 0xF0E8C8u);
    EXPECT_EQ(ProfileColor("DataGrid", "FixedColor", 0xE0C487), 0xE0C487u);
    folder.Write("uiprofile.ini", "[DataGrid]\r\nFixedColor= 255x\r\n");
    EXPECT_EQ(ProfileColor("DataGrid", "FixedColor", 0xE0C487), 255u);
    EXPECT_EQ(ProfileColor("DataGrid", "BackColor", 0xF0E8C8), 0xF0E8C8u);
}

TEST(LayoutPanel, IsAChildWindowShownOnlyWithTheVisibleStyle) {
    QWidget host;
    CWnd parent;
    ASSERT_TRUE(parent.Create(&host, CRect{0, 0, 200, 50}, 1));
    CLayoutPanel orphan, hidden;
    EXPECT_FALSE(orphan.Create(CRect{0, 0, 100, 30}, nullptr, 0));
    ASSERT_TRUE(hidden.Create(CRect{0, 0, 100, 30}, &parent, 0, CLayoutPanel::kChild));
    EXPECT_TRUE(hidden.Widget()->isHidden());
}

class LayoutPanelInScreen : public ::testing::Test {
protected:
    void SetUp() override {
        host.show();
        ASSERT_TRUE(screen.Create(&host, CRect{0, 0, 400, 300}, 1));
    }
    TempHostFolder folder;
    QWidget host;
    Screen screen;
};

TEST_F(LayoutPanelInScreen, ButtonsAreTransparentAndTheirCommandsReachTheScreen) {
    auto* add = qobject_cast<CImageButton*>(screen.add);
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->parentWidget(), screen.panel.Widget());
    EXPECT_EQ(GetControlText(add), "添加");
    EXPECT_TRUE(add->IsTransparentDrawing());
    static_cast<QAbstractButton*>(screen.choose)->click();
    static_cast<QAbstractButton*>(screen.add)->click();
    EXPECT_EQ(screen.commands, (std::vector<int>{6002, 6001}));
}

TEST_F(LayoutPanelInScreen, NotificationsOfPanelChildrenReachTheScreenWithItsResult) {
    CWnd child;
    ASSERT_TRUE(child.Create(&screen.panel, CRect{0, 0, 10, 10}, 6005));
    for (bool result : {true, false}) {
        screen.notifyResult = result;
        EXPECT_EQ(child.SendNotify(NotifyInfo{6005, NM_DBLCLK, 3, 4, {}}), result);
    }
    ASSERT_EQ(screen.notes.size(), 2u);
    EXPECT_EQ(screen.notes[1].id, 6005);
    EXPECT_EQ(screen.notes[1].code, NM_DBLCLK);
    EXPECT_EQ(screen.notes[1].row, 3);
    EXPECT_EQ(screen.notes[1].column, 4);
}

TEST_F(LayoutPanelInScreen, ButtonsFollowThePanelWidth) {
    // The panel is the screen row's only cell: the full width, one gap in.
    // In the panel the stretching button takes what the fixed one leaves.
    EXPECT_EQ(screen.panel.Widget()->geometry(), QRect(2, 2, 400, 28));
    EXPECT_EQ(screen.add->geometry(), QRect(2, 2, 60, 24));
    EXPECT_EQ(screen.choose->geometry(), QRect(64, 2, 336, 24));
    screen.MoveWindow(CRect{0, 0, 300, 200});
    EXPECT_EQ(screen.choose->geometry(), QRect(64, 2, 236, 24));
}

TEST_F(LayoutPanelInScreen, DestroyingThePanelTakesItsButtonsOnly) {
    QPointer<QWidget> add = screen.add;
    screen.panel.DestroyWindow();
    EXPECT_TRUE(add.isNull());
    EXPECT_EQ(screen.panel.Layout().RowCount(), 0);
    EXPECT_TRUE(screen.IsWindow());
    EXPECT_EQ(screen.label->parentWidget(), screen.Widget());
    screen.MoveWindow(CRect{0, 0, 300, 200}); // the screen's layout skips the gone panel
    EXPECT_EQ(screen.label->geometry().width(), 300);
}
