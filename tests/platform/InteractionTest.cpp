#include "platform/Interaction.h"
#include "platform/CodePage.h"
#include "platform/Dialog.h"
#include "platform/HostFolder.h"

#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

// Boxes and dialogs through the seam are what every screen test uses; the
// wait cursor's depth is seen only here.
TEST(Interaction, WaitCursorEndsWithItsScope) {
    ScriptedInteraction seam;
    {
        CWaitCursor wait;
        EXPECT_EQ(seam.WaitCursorDepth(), 1);
    }
    EXPECT_EQ(seam.WaitCursorDepth(), 0);
    EXPECT_EQ(seam.WaitCursorShown(), 1);
}

namespace {

MenuRequest CategoryMenu(QWidget* anchor = nullptr) {
    MenuRequest menu;
    menu.items = {{6001, "添加分类", "item.png"},
                  MenuItem::Separator(),
                  {6003, "修改分类名称"},
                  {6004, "删除分类"}};
    menu.anchor = anchor;
    return menu;
}

// Runs inside the loop of the next menu that opens: looks at the menu, then
// leaves it with the key.
void WhenMenuOpens(std::function<void(QMenu&)> look, int key) {
    QMetaObject::invokeMethod(
        qApp,
        [look, key] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) {
                ADD_FAILURE() << "no menu open";
                return;
            }
            look(*menu);
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(menu, &press);
            menu->close();
        },
        Qt::QueuedConnection);
}

} // namespace

TEST(Interaction, DesktopMenuOpensBelowItsAnchorAndGivesTheChosenId) {
    TempHostFolder folder;
    QImage picture(16, 15, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixel(3, 4, qRgb(255, 0, 0));
    ASSERT_TRUE(QDir().mkpath(FromGbk(folder.Path("images"))));
    ASSERT_TRUE(picture.save(FromGbk(folder.Path("images/item.png"))));
    QWidget window;
    window.setGeometry(100, 120, 300, 200);
    auto* button = new QPushButton(&window);
    button->setGeometry(10, 20, 60, 24);
    window.show();

    WhenMenuOpens(
        [button](QMenu& menu) {
            EXPECT_EQ(menu.pos(), button->mapToGlobal(QPoint(0, 24)));
            const QList<QAction*> actions = menu.actions();
            ASSERT_EQ(actions.size(), 4);
            EXPECT_EQ(actions[0]->text(), QStringLiteral("添加分类"));
            QImage icon = actions[0]->icon().pixmap(16, 15).toImage();
            EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
            EXPECT_EQ(icon.pixel(3, 4), qRgb(255, 0, 0));
            EXPECT_TRUE(actions[1]->isSeparator());
            EXPECT_TRUE(actions[2]->icon().isNull());
            menu.setActiveAction(actions[3]);
        },
        Qt::Key_Return);
    EXPECT_EQ(ShowPopupMenu(nullptr, CategoryMenu(button)), 6004);

    MenuRequest atPoint = CategoryMenu();
    atPoint.screenPoint = {140, 150};
    WhenMenuOpens([](QMenu& menu) { EXPECT_EQ(menu.pos(), QPoint(140, 150)); }, Qt::Key_Escape);
    EXPECT_EQ(ShowPopupMenu(nullptr, atPoint), 0);
}

TEST(Interaction, ScriptedMenusChooseOrDismissAndFailOnAnythingElse) {
    QWidget button;
    {
        ScriptedInteraction seam;
        seam.ExpectMenu(6003);
        seam.ExpectMenuDismiss();
        EXPECT_EQ(ShowPopupMenu(nullptr, CategoryMenu(&button)), 6003);
        EXPECT_EQ(ShowPopupMenu(nullptr, CategoryMenu()), 0);
        ASSERT_EQ(seam.Menus().size(), 2u);
        EXPECT_EQ(seam.Menus()[0].anchor, &button);
        EXPECT_EQ(seam.Menus()[0].items[2].text, "修改分类名称");
    }
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedInteraction seam;
            EXPECT_EQ(ShowPopupMenu(nullptr, CategoryMenu()), 0);
        },
        "unexpected popup menu");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedInteraction seam;
            seam.ExpectMenu(6002);
            EXPECT_EQ(ShowPopupMenu(nullptr, CategoryMenu()), 0);
        },
        "6002 is not among the entries");
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedInteraction seam;
            seam.ExpectMenuDismiss();
        },
        "popup menu answer(s) unused");
}

TEST(Interaction, OnlyWebAddressesAreOpened) {
    EXPECT_EQ(NormalizeWebAddress("http://www.example.com/a?b=1"), "http://www.example.com/a?b=1");
    EXPECT_EQ(NormalizeWebAddress("HTTPS://example.com"), "HTTPS://example.com");
    EXPECT_EQ(NormalizeWebAddress(" www.example.com "), "http://www.example.com");
    EXPECT_EQ(NormalizeWebAddress("example.com:8080/x"), "http://example.com:8080/x");
    EXPECT_EQ(NormalizeWebAddress("a-b.example.com#top"), "http://a-b.example.com#top");
    for (const char* refused :
         {"", "file:///etc/passwd", "javascript:alert(1)", "/usr/bin/xterm", "rm -rf", "-x",
          "http://", "http:///etc/passwd", "http://a.com/x y", "ftp://a.com", "localhost", "a.com.",
          "a..com", "a.com:", "a.com:80x", "www.a.com;rm", "www.a.com`id`", "a b.com",
          "http://a.com/\tx"}) {
        EXPECT_EQ(NormalizeWebAddress(refused), "") << refused;
    }
    // Bytes that are not GBK would be opened as "?", which starts a query.
    EXPECT_EQ(NormalizeWebAddress(std::string("http://\xff") + "S7/a"), "");
    EXPECT_EQ(NormalizeWebAddress("www.a.com/\x81"), "");

    // Texts of a megabyte that nearly pass take no longer than they are long.
    const std::string mega(1 << 20, 'a');
    std::string dots;
    for (int i = 0; i < (1 << 18); ++i)
        dots += "a.";
    for (const std::string& refused :
         {"http://" + mega + " x", "http://" + mega + "/" + mega + "\x01", dots + " ",
          dots + "a:" + mega, dots + "a/" + mega + " x"})
        EXPECT_EQ(NormalizeWebAddress(refused), "");
    EXPECT_EQ(NormalizeWebAddress("http://" + mega), "http://" + mega);
    EXPECT_EQ(NormalizeWebAddress(dots + "a/" + mega), "http://" + dots + "a/" + mega);

    ScriptedInteraction seam;
    EXPECT_FALSE(OpenWebAddress("mailto:a@b.c"));
    EXPECT_TRUE(OpenWebAddress("www.example.com"));
    EXPECT_EQ(seam.OpenedUrls(), std::vector<std::string>{"http://www.example.com"});
}

TEST(Interaction, OnlyProgramsOfTheHostFolderAreStarted) {
    TempHostFolder folder;
    ScriptedInteraction seam;
    for (const std::string& refused :
         {std::string("Korvald.exe"), std::string("sh"), std::string("./Korvald.exe"),
          std::string("/bin/sh"), HostPath("../Korvald.exe"), HostPath("data/../../sh"),
          HostFolder(), std::string()})
        EXPECT_FALSE(StartProgram(refused, "task=Nimbrel&Keyid=5")) << refused;
    EXPECT_TRUE(seam.Launches().empty());

    ASSERT_TRUE(StartProgram(HostPath("Korvald.exe"), "task=Nimbrel&Keyid=5"));
    ASSERT_EQ(seam.Launches().size(), 1u);
    EXPECT_EQ(seam.Launches()[0].path, HostPath("Korvald.exe"));
    EXPECT_EQ(seam.Launches()[0].parameters, "task=Nimbrel&Keyid=5");
}

TEST(Interaction, WindowsFilterBecomesQtFilter) {
    EXPECT_EQ(QtFileFilter("发布信息数据文件 (*.txt)|*.txt|所有文件 (*.*)|*.*||"),
              "发布信息数据文件 (*.txt);;所有文件 (*.*)");
    EXPECT_EQ(QtFileFilter("CSV|*.csv;*.txt||"), "CSV (*.csv *.txt)");
    EXPECT_EQ(QtFileFilter(""), "");
}
