#include "toolkit/LayoutPanel.h"

#include "platform/SysColor.h"
#include "tests/toolkit/DialogScript.h"
#include "widgets/ImageButton.h"

namespace {

// A list screen as the real ones are built: a panel with two toolbar buttons
// across the top of its layout.
class Screen : public CWnd {
public:
    CLayoutPanel panel;
    CRowLayout layout{this};
    std::vector<int> commands;

protected:
    bool OnCreate() override {
        EXPECT_TRUE(panel.Create(CRect{}, this, 0));
        layout.AddSharedCell(layout.AddRow(28, CRowLayout::kFixed), &panel, 100, 0);
        CRowLayout::Row* row = panel.AddRow(24, CRowLayout::kFixed);
        panel.AddButton(row, "添加", 6001, 60, CRowLayout::kFixed);
        panel.AddButton(row, "选择", 6002, 50, 0);
        return true;
    }
    void OnSize(int cx, int cy) override { layout.Arrange(cx, cy); }
    bool OnCommand(int id, int) override {
        commands.push_back(id);
        return true;
    }
};

} // namespace

TEST(LayoutPanel, PaintsTheProfileColourReadAtConstructionElseThe3DFace) {
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    const std::pair<std::string, COLORREF> cases[] = {{"[LayoutCtrl]\r\nBackColor=255\r\n", 255},
                                                      {"[layoutctrl]\r\nbackcolor=abc\r\n", 0},
                                                      {"", face},
                                                      {"[LayoutCtrl]\r\nBackColor=\r\n", face}};
    for (const auto& [profile, expected] : cases) {
        TempHostFolder folder;
        folder.Write("uiprofile.ini", profile);
        QWidget host;
        CWnd parent;
        ASSERT_TRUE(parent.Create(&host, CRect{0, 0, 200, 50}, 1));
        CLayoutPanel panel;
        // Read at construction: a later change is for panels made after it.
        folder.Write("uiprofile.ini", "[LayoutCtrl]\r\nBackColor=65280\r\n");
        ASSERT_TRUE(panel.Create(CRect{0, 0, 100, 30}, &parent, 0));
        EXPECT_EQ(FromQColor(panel.Widget()->grab().toImage().pixelColor(50, 15)), expected)
            << profile;
    }
}

TEST(LayoutPanel, ItsButtonsFollowItsWidthAndTheirCommandsReachTheScreen) {
    TempHostFolder folder;
    QWidget host;
    host.show();
    Screen screen;
    ASSERT_TRUE(screen.Create(&host, CRect{0, 0, 400, 300}, 1));
    auto* choose = Item<CImageButton>(screen.panel, 6002);
    ASSERT_NE(choose, nullptr);
    EXPECT_TRUE(choose->IsTransparentDrawing());
    // The panel is the screen row's only cell: the full width, one gap in.
    EXPECT_EQ(screen.panel.Widget()->geometry(), QRect(2, 2, 400, 28));
    screen.MoveWindow(CRect{0, 0, 300, 200});
    EXPECT_EQ(choose->geometry(), QRect(64, 2, 236, 24));
    choose->click();
    Click(screen.panel, 6001);
    EXPECT_EQ(screen.commands, (std::vector<int>{6002, 6001}));
}
