#pragma once
// The platform tree control: a window of items that carry a GBK text, an image
// index into the control's image list and a 32-bit data value. Items exist only
// while the window does; an item's handle stays valid until the item, one of
// its ancestors or the window is deleted.
//
// The caret item is the one the user or SelectItem made current. Whenever it
// changes (a click, a key, SelectItem, or the deletion of the caret item or of
// one of its ancestors), the parent window hears TVN_SELCHANGED with the
// control's id through OnNotify, once the tree is consistent again.
#include "platform/Wnd.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TreeItem;
using HTREEITEM = TreeItem*;

// Stands for the invisible parent of the top-level items when inserting or
// deleting. Walking up never yields it: GetParentItem of a top-level item is
// nullptr.
inline const HTREEITEM TVI_ROOT = reinterpret_cast<HTREEITEM>(~std::uintptr_t(0xFFFF));

class QTreeWidget;
class QTreeWidgetItem;

class CTreeCtrl : public CWnd {
public:
    CTreeCtrl();
    ~CTreeCtrl() override;

    // Adds an item as the last child of parent (nullptr or TVI_ROOT: the top
    // level). nullptr when there is no window or parent is not an item here.
    HTREEITEM InsertItem(const std::string& text, int image = 0, HTREEITEM parent = TVI_ROOT);
    // Deletes the item with its whole subtree (TVI_ROOT: every item). A caret
    // inside the subtree moves to the item's next sibling, else its previous
    // sibling, else its parent.
    bool DeleteItem(HTREEITEM item);
    bool DeleteAllItems();

    HTREEITEM GetRootItem() const; // the first top-level item
    HTREEITEM GetParentItem(HTREEITEM item) const;
    // The first child; of nullptr or TVI_ROOT the first top-level item.
    HTREEITEM GetChildItem(HTREEITEM item) const;
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const;
    bool ItemHasChildren(HTREEITEM item) const;
    int GetCount() const; // all items, at every depth

    std::string GetItemText(HTREEITEM item) const;
    bool SetItemText(HTREEITEM item, const std::string& text);
    std::uint32_t GetItemData(HTREEITEM item) const;
    bool SetItemData(HTREEITEM item, std::uint32_t data);
    int GetItemImage(HTREEITEM item) const;
    bool SetItemImage(HTREEITEM item, int image);

    // Expanding an item without children marks it expanded all the same.
    bool Expand(HTREEITEM item, bool expand = true);
    bool IsExpanded(HTREEITEM item) const;

    HTREEITEM GetSelectedItem() const;
    // Makes item the caret item (nullptr: none), opening its ancestors so
    // that it can be seen.
    bool SelectItem(HTREEITEM item);

    // The image list: one picture per file (path bytes), each shown at cx by
    // cy pixels, with the pixels of the transparent colour left out. A file
    // that cannot be read keeps its index with an empty picture. Works before
    // and after the window exists; gives the number of pictures read.
    int SetImageList(const std::vector<std::string>& paths, COLORREF transparent, int cx = 16,
                     int cy = 15);

    // Lets the user start editing a label in place (a click on the caret
    // item, or F2). Nothing accepts the edited text: the label reverts.
    void SetEditLabels(bool editLabels);
    bool GetEditLabels() const;

    QTreeWidget* Tree() const;

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void OnDestroy() override;

private:
    struct Private;
    class CaretWatch;

    TreeItem* ItemOf(HTREEITEM item) const;
    bool ContainsCaret(TreeItem* item) const;
    QTreeWidgetItem* CaretAfterDeleting(TreeItem* item) const;
    void NotifySelChanged();
    void ApplyEditLabelsTo(QTreeWidget* tree);

    std::unique_ptr<Private> m_private;
};
