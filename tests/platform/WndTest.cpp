#include "platform/Wnd.h"
#include "platform/Controls.h"

#include "tests/support/TestSupport.h"

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

std::vector<std::string> g_log;

class LoggingWnd : public CWnd {
public:
    explicit LoggingWnd(std::string name, int handles = -1)
        : m_name(std::move(name)), m_handles(handles) {}
    std::string m_name;
    int m_handles;
    std::vector<int> commands;
    std::vector<NotifyInfo> notes;
    std::vector<std::pair<int, int>> sizes;

protected:
    bool OnCreate() override {
        g_log.push_back(m_name + ".create");
        return true;
    }
    void OnDestroy() override { g_log.push_back(m_name + ".destroy"); }
    void OnSize(int cx, int cy) override { sizes.push_back({cx, cy}); }
    bool OnCommand(int id, int code) override {
        if (id != m_handles && m_handles != 0)
            return false;
        commands.push_back(id * 1000 + code);
        return true;
    }
    bool OnNotify(const NotifyInfo& info) override {
        if (m_handles != 0)
            return false;
        notes.push_back(info);
        return true;
    }
};

} // namespace

namespace {
// A screen with a child window as its member; neither class destroys its
// window in its own destructor.
class ScreenWithChild : public LoggingWnd {
public:
    ScreenWithChild() : LoggingWnd("screen") {}
    LoggingWnd child{"child"};

protected:
    bool OnCreate() override {
        LoggingWnd::OnCreate();
        return child.Create(this, CRect{0, 0, 50, 50}, 6010);
    }
};
} // namespace

TEST(Wnd, OnDestroyRunsOnceOnWholeObjectsWhicheverWayTheWindowGoes) {
    const std::vector<std::string> lifetime{"screen.create", "child.create", "screen.destroy",
                                            "child.destroy"};
    g_log.clear();
    auto host = std::make_unique<QWidget>();
    ScreenWithChild screen;
    ASSERT_TRUE(screen.Create(host.get(), CRect{0, 0, 100, 100}, 1));
    host.reset(); // Qt deletes the window with its host
    EXPECT_FALSE(screen.IsWindow());
    EXPECT_FALSE(screen.child.IsWindow());
    screen.DestroyWindow();
    EXPECT_EQ(g_log, lifetime);

    // Deleted with its window up.
    g_log.clear();
    QWidget stays;
    auto* held = new CDestroyWindowFirst<ScreenWithChild>;
    ASSERT_TRUE(held->Create(&stays, CRect{0, 0, 100, 100}, 1));
    delete held;
    EXPECT_EQ(g_log, lifetime);
    EXPECT_TRUE(stays.findChildren<QWidget*>().isEmpty());
}

namespace {
using Sides = std::vector<int>;
Sides SidesOf(const CRect& r) {
    return {r.left, r.top, r.right, r.bottom};
}
} // namespace

// The edge a creator asks for lies within the window's rectangle and around
// its client area, where the object's controls and child windows live; the
// sizes reach OnSize, and destroying runs the parent's handler, then the
// child's, and removes every window.
TEST(Wnd, BorderAndClientEdgeSurroundTheClientArea) {
    g_log.clear();
    QWidget host;
    host.resize(400, 300);
    LoggingWnd wnd("w"), child("child");
    ASSERT_TRUE(wnd.Create(&host, CRect{10, 20, 210, 120}, 7, WS_BORDER, WS_EX_CLIENTEDGE));
    EXPECT_EQ(SidesOf(wnd.GetWindowRect()), (Sides{10, 20, 210, 120}));
    EXPECT_EQ(SidesOf(wnd.GetClientRect()), (Sides{0, 0, 194, 94}));
    ASSERT_TRUE(child.Create(&wnd, CRect{20, 20, 70, 60}, 6010, WS_BORDER));
    EXPECT_EQ(SidesOf(child.GetClientRect()), (Sides{0, 0, 48, 38}));
    EXPECT_EQ(wnd.GetDlgItem(6010), child.Widget());
    EXPECT_EQ(child.GetParent(), &wnd);
    EXPECT_EQ(child.GetDlgCtrlID(), 6010);

    host.show();
    wnd.MoveWindow(CRect{0, 0, 300, 200});
    ProcessEvents();
    EXPECT_EQ(wnd.sizes.back(), std::make_pair(294, 194));
    const QImage shown = host.grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), host.palette().color(QPalette::WindowText)) << "the border";
    EXPECT_EQ(shown.pixelColor(3, 3), shown.pixelColor(4, 4)) << "the client area begins at 3";
    EXPECT_NE(shown.pixelColor(2, 2), shown.pixelColor(3, 3)) << "the sunken edge ends at 2";
    EXPECT_EQ(shown.pixelColor(23, 23), shown.pixelColor(0, 0)) << "the child's border";

    wnd.DestroyWindow();
    EXPECT_TRUE(host.findChildren<QWidget*>().isEmpty()) << "the edges go with the windows";
    EXPECT_EQ(g_log,
              (std::vector<std::string>{"w.create", "child.create", "w.destroy", "child.destroy"}));
}

TEST(Wnd, UnhandledCommandsAndNotificationsGoOnToTheParent) {
    QWidget host;
    LoggingWnd screen("screen", 0), panel("panel", 42);
    ASSERT_TRUE(screen.Create(&host, CRect{0, 0, 300, 200}, 1));
    ASSERT_TRUE(panel.Create(&screen, CRect{0, 0, 300, 28}, 0));
    auto* button = new QPushButton(panel.Widget());
    SetControlId(button, 6001);
    ConnectCommands(button);
    button->click();
    EXPECT_EQ(screen.commands, std::vector<int>{6001000});
    EXPECT_TRUE(panel.commands.empty());

    panel.SendCommand(42);
    EXPECT_EQ(panel.commands, std::vector<int>{42000});

    NotifyInfo info;
    info.id = 8001;
    info.code = NM_DBLCLK;
    info.row = 3;
    info.column = 2;
    EXPECT_TRUE(panel.SendNotify(info));
    ASSERT_EQ(screen.notes.size(), 1u);
    EXPECT_EQ(screen.notes[0].row, 3);
    EXPECT_EQ(screen.notes[0].code, NM_DBLCLK);
}

TEST(Wnd, PostedCommandsRunAfterTheCurrentHandlerInPostingOrder) {
    QWidget host;
    LoggingWnd wnd("w", 0);
    ASSERT_TRUE(wnd.Create(&host, CRect{0, 0, 10, 10}, 1));
    wnd.PostCommand(2);
    wnd.PostCommand(1);
    wnd.SendCommand(3);
    EXPECT_EQ(wnd.commands, std::vector<int>{3000});
    ProcessEvents();
    EXPECT_EQ(wnd.commands, (std::vector<int>{3000, 2000, 1000}));

    wnd.PostCommand(4);
    wnd.DestroyWindow(); // a command posted to a window that is gone is dropped
    ProcessEvents();
    EXPECT_EQ(wnd.commands.size(), 3u);
}

TEST(Wnd, ControlTextsAreGbkAndMultiLineEditsUseCrLf) {
    QWidget host;
    CWnd wnd;
    ASSERT_TRUE(wnd.Create(&host, CRect{0, 0, 10, 10}, 1));
    auto* edit = new QLineEdit(wnd.Widget());
    SetControlId(edit, 6001);
    auto* area = new QPlainTextEdit(wnd.Widget());
    SetControlId(area, 6022);
    auto* combo = new QComboBox(wnd.Widget());
    SetControlId(combo, 6009);
    combo->addItems({QString(), QStringLiteral("制造商"), QStringLiteral("贸易商")});
    combo->setCurrentIndex(-1);

    EXPECT_TRUE(wnd.SetDlgItemText(6001, "北京贸易"));
    EXPECT_EQ(edit->text(), QStringLiteral("北京贸易"));
    EXPECT_EQ(wnd.GetDlgItemText(6001), "北京贸易");

    wnd.SetDlgItemText(6022, "第一行\r\n第二行");
    EXPECT_EQ(area->toPlainText(), QStringLiteral("第一行\n第二行"));
    EXPECT_EQ(wnd.GetDlgItemText(6022), "第一行\r\n第二行");

    EXPECT_EQ(wnd.GetDlgItemText(6009), "");
    combo->setCurrentIndex(2);
    EXPECT_EQ(wnd.GetDlgItemText(6009), "贸易商");
    EXPECT_FALSE(wnd.SetDlgItemText(9999, "x"));
    EXPECT_EQ(wnd.GetDlgItemText(9999), "");
}

TEST(Wnd, ComboChoiceIsSelectedByCaseInsensitivePrefix) {
    QWidget host;
    CWnd wnd;
    ASSERT_TRUE(wnd.Create(&host, CRect{0, 0, 10, 10}, 1));
    auto* combo = new QComboBox(wnd.Widget());
    combo->addItems({QString(), QStringLiteral("Trader"), QStringLiteral("贸易商")});
    EXPECT_EQ(SelectComboString(combo, "tra"), 1);
    EXPECT_EQ(SelectComboString(combo, "贸易"), 2);
    EXPECT_EQ(SelectComboString(combo, ""), -1);
    EXPECT_EQ(SelectComboString(combo, "其他"), -1);
    EXPECT_EQ(combo->currentIndex(), -1);
}
