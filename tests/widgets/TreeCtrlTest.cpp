#include "widgets/TreeCtrl.h"

#include "platform/CodePage.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The tree's owner: records the caret item's text at each notification.
class Owner : public CWnd {
public:
    CTreeCtrl* tree = nullptr;
    std::vector<std::string> carets;

protected:
    bool OnNotify(const NotifyInfo& info) override {
        if (info.id == 6014 && info.code == TVN_SELCHANGED)
            carets.push_back(tree->GetItemText(tree->GetSelectedItem()));
        return true;
    }
};

void Key(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

class TreeCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.Create(&host, CRect{0, 0, 400, 300}, 1));
        owner.tree = &tree;
        ASSERT_TRUE(tree.Create(&owner, CRect{0, 0, 200, 300}, 6014));
        host.show();
        root = tree.InsertItem("任务分类");
        a = tree.InsertItem("A", 0, root);
        b = tree.InsertItem("B", 0, root);
        c = tree.InsertItem("C", 0, a);
    }

    void Click(const QString& text) {
        QTreeWidget* view = tree.Tree();
        ClickAt(view->visualItemRect(view->findItems(text, Qt::MatchRecursive).value(0)).center());
    }
    void ClickAt(QPoint at) {
        QTreeWidget* view = tree.Tree();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view->viewport(), &event);
        }
    }

    QWidget host;
    Owner owner;
    CTreeCtrl tree;
    HTREEITEM root = nullptr, a = nullptr, b = nullptr, c = nullptr;
};

} // namespace

TEST_F(TreeCtrlTest, ItemsAreLastChildrenAndCarryTextDataAndImage) {
    EXPECT_EQ(tree.GetChildItem(TVI_ROOT), root);
    EXPECT_EQ(tree.GetChildItem(root), a);
    EXPECT_EQ(tree.GetNextSiblingItem(a), b);
    EXPECT_EQ(tree.GetNextSiblingItem(b), nullptr);
    EXPECT_EQ(tree.GetParentItem(c), a);
    EXPECT_EQ(tree.GetParentItem(root), nullptr); // the top level yields none
    EXPECT_TRUE(tree.ItemHasChildren(a));
    EXPECT_FALSE(tree.ItemHasChildren(b));
    EXPECT_EQ(tree.GetCount(), 4);

    EXPECT_EQ(tree.Tree()->topLevelItem(0)->text(0), QStringLiteral("任务分类"));
    ASSERT_TRUE(tree.SetItemText(b, "\x81\xFF")); // not GBK, yet kept byte for byte
    EXPECT_EQ(tree.GetItemText(b), "\x81\xFF");
    ASSERT_TRUE(tree.SetItemData(a, 0xFFFFFFFFu));
    ASSERT_TRUE(tree.SetItemImage(c, 3));
    EXPECT_EQ(tree.GetItemData(a), 0xFFFFFFFFu);
    EXPECT_EQ(tree.GetItemData(b), 0u);
    EXPECT_EQ(tree.GetItemImage(c), 3);

    EXPECT_TRUE(tree.Expand(b)); // marked even without children
    EXPECT_TRUE(tree.IsExpanded(b));
    EXPECT_FALSE(tree.IsExpanded(a));
}

TEST_F(TreeCtrlTest, SiblingWalksStayRightAfterDeletionsAndDeleteTakesTheSubtree) {
    std::vector<HTREEITEM> kids;
    for (int i = 0; i < 5; ++i)
        kids.push_back(tree.InsertItem(std::to_string(i), 0, b));
    auto walk = [&] {
        std::string seen;
        for (HTREEITEM k = tree.GetChildItem(b); k; k = tree.GetNextSiblingItem(k))
            seen += tree.GetItemText(k);
        return seen;
    };
    EXPECT_EQ(walk(), "01234");
    ASSERT_TRUE(tree.DeleteItem(kids[1]));
    EXPECT_EQ(walk(), "0234");
    ASSERT_TRUE(tree.DeleteItem(kids[0]));
    EXPECT_EQ(tree.GetNextSiblingItem(kids[3]), kids[4]);

    ASSERT_TRUE(tree.DeleteItem(a)); // with C
    EXPECT_EQ(tree.GetChildItem(root), b);
    EXPECT_EQ(tree.GetCount(), 5);
    ASSERT_TRUE(tree.DeleteItem(TVI_ROOT));
    EXPECT_EQ(tree.GetRootItem(), nullptr);
    EXPECT_EQ(tree.GetCount(), 0);
}

TEST_F(TreeCtrlTest, EveryCaretChangeReachesTheOwnerOnce) {
    ASSERT_TRUE(tree.SelectItem(c));
    EXPECT_TRUE(tree.IsExpanded(a)); // opened to show the caret
    ASSERT_TRUE(tree.SelectItem(c)); // no change, no word
    Click(QStringLiteral("B"));
    EXPECT_EQ(tree.GetSelectedItem(), b);
    // A click below the items leaves the caret item shown as selected.
    ClickAt(QPoint(20, 250));
    EXPECT_TRUE(tree.Tree()->currentItem()->isSelected());
    Key(tree.Tree(), Qt::Key_Up);
    EXPECT_EQ(owner.carets, (std::vector<std::string>{"C", "B", "C"}));

    // A caret that leaves with a subtree goes to the next sibling, else the parent.
    ASSERT_TRUE(tree.DeleteItem(a));
    EXPECT_EQ(tree.GetSelectedItem(), b);
    EXPECT_TRUE(tree.Tree()->currentItem()->isSelected());
    ASSERT_TRUE(tree.DeleteItem(b));
    EXPECT_EQ(tree.GetSelectedItem(), root);
    ASSERT_TRUE(tree.SelectItem(nullptr));
    ASSERT_TRUE(tree.DeleteAllItems()); // no caret, nothing to tell
    EXPECT_EQ(owner.carets, (std::vector<std::string>{"C", "B", "C", "B", "任务分类", ""}));

    tree.SelectItem(tree.InsertItem("x"));
    owner.DestroyWindow(); // the tree goes with it, without a word
    EXPECT_FALSE(tree.IsWindow());
    EXPECT_EQ(owner.carets.size(), 7u);
}

TEST_F(TreeCtrlTest, EditedLabelsRevert) {
    ASSERT_TRUE(tree.SelectItem(b));
    Key(tree.Tree(), Qt::Key_F2);
    EXPECT_EQ(tree.Tree()->findChild<QLineEdit*>(), nullptr); // not editable yet

    tree.SetEditLabels(true);
    Key(tree.Tree(), Qt::Key_F2);
    auto* editor = tree.Tree()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("新名"));
    Key(editor, Qt::Key_Return);
    ProcessEvents();
    EXPECT_EQ(tree.GetItemText(b), "B");
    EXPECT_EQ(tree.Tree()->currentItem()->text(0), QStringLiteral("B"));
}

TEST(TreeCtrl, ImageListLeavesTheTransparentColourOut) {
    TempHostFolder folder;
    QImage picture(16, 15, QImage::Format_RGB32);
    picture.fill(qRgb(0, 128, 255));
    picture.setPixel(3, 4, qRgb(255, 0, 0));
    ASSERT_TRUE(picture.save(FromPath(folder.Path("folder.bmp"))));

    QWidget host;
    CTreeCtrl tree; // the list is set before the window exists, as owners do
    EXPECT_EQ(
        tree.SetImageList({folder.Path("folder.bmp"), folder.Path("none.gif")}, RGB(0, 128, 255)),
        1);
    ASSERT_TRUE(tree.Create(&host, CRect{0, 0, 100, 100}, 1));
    for (int image : {0, 1, 9})
        tree.InsertItem("A", image);

    auto icon = [&](int row) { return tree.Tree()->topLevelItem(row)->icon(0); };
    QImage shown = icon(0).pixmap(16, 15).toImage();
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    EXPECT_EQ(shown.pixel(3, 4), qRgb(255, 0, 0));
    EXPECT_TRUE(icon(1).isNull()); // unreadable file
    EXPECT_TRUE(icon(2).isNull()); // beyond the list
}

// A chain of categories as deep as a table can make, loaded as the category
// tree loads it (the top expanded): clearing, deleting a branch and
// destroying the window, by its owner or with its host, must not recurse once
// per level.
TEST(TreeCtrl, DeepChainsAreTornDownWithoutRecursion) {
    constexpr int kDepth = 100000;
    auto host = std::make_unique<QWidget>();
    auto tree = std::make_unique<CTreeCtrl>();
    ASSERT_TRUE(tree->Create(host.get(), CRect{0, 0, 200, 300}, 6014));
    host->show();
    auto chain = [&](HTREEITEM top) {
        HTREEITEM at = top;
        for (int i = 0; i < kDepth; ++i)
            at = tree->InsertItem("x", 0, at);
        tree->Expand(top);
        ProcessEvents();
    };
    HTREEITEM top = tree->InsertItem("/");
    chain(top);
    ASSERT_TRUE(tree->SelectItem(tree->GetChildItem(top)));
    ASSERT_TRUE(tree->DeleteAllItems());
    EXPECT_EQ(tree->GetCount(), 0);

    top = tree->InsertItem("/");
    chain(top);
    HTREEITEM kept = tree->InsertItem("k", 0, top);
    ASSERT_TRUE(tree->DeleteItem(tree->GetChildItem(top)));
    EXPECT_EQ(tree->GetCount(), 2);
    EXPECT_EQ(tree->GetChildItem(top), kept);

    chain(kept);
    tree->DestroyWindow();
    EXPECT_FALSE(tree->IsWindow());

    ASSERT_TRUE(tree->Create(host.get(), CRect{0, 0, 200, 300}, 6014));
    chain(tree->InsertItem("/"));
    tree.reset(); // deleted with its window up
    ASSERT_TRUE((tree = std::make_unique<CTreeCtrl>())->Create(host.get(), CRect{}, 6014));
    chain(tree->InsertItem("/"));
    host.reset(); // the window goes with its host
    EXPECT_FALSE(tree->IsWindow());
}
