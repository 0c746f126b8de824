#pragma once
// A tree control that shows a category table and keeps table and tree in step
// when categories are added or deleted. Each row of the table has a KeyId, the
// ParentId of its parent category (0 at the top level), a Name and the
// ClassPath stored when it was added. The tree has one root item with the
// root caption and item data 0; every other item carries its category's KeyId.
// All items show image 0 of the image list the owner attaches.
//
// The owner creates the window, sets database, root caption and table, and
// calls Load once; afterwards the tree changes through AddChild, DeleteBranch
// and the owner's own renaming. Failures are told to the user in message
// boxes and reported as results.
#include "widgets/TreeCtrl.h"

#include <string>
#include <vector>

class CAdoDatabase;

class CClassTree : public CTreeCtrl {
public:
    CClassTree();
    ~CClassTree() override;

    // Rebuilds the whole tree: the root item with the caption, expanded, and
    // below it every category reachable from ParentId 0. 1 on success; 0
    // without a table (the tree is left empty) or without a window. Without a
    // database the tree holds only the root item, and the result is 1.
    int Load();
    // Inserts the whole subtrees of the categories whose ParentId is the
    // parent's item data, siblings in key order, each category's children
    // read after its siblings' select is closed. A row whose key is already
    // on the way from the parent up to the top is left out, so a cycle of
    // parents ends there. 0 without a database or item, or at the first
    // select that fails or row whose key is not a 32-bit number: its error
    // shows in one message box, and what was loaded before it stays.
    int LoadChildren(HTREEITEM parent);
    // Stores a new category under parent (key: the table's highest + 1, taken
    // with InsertWithNextKey so that two desktops never take the same key;
    // ClassPath: the parent's path followed by the name) and adds its item as
    // parent's last child, neither selected nor expanded. The new item, or
    // nullptr when the insert failed (the statement and the error show in a
    // message box; also when no key is left below 2^31), or without a
    // database or parent item.
    HTREEITEM AddChild(HTREEITEM parent, const std::string& name);
    // Deletes the item's whole subtree from table and tree, bottom-up, one
    // statement per category. 1 on success; -1 at the first failure (its
    // error shows in a message box; what was deleted before stays deleted),
    // without a database, or for no item.
    int DeleteBranch(HTREEITEM item);
    // The category path: "/" for the root item, "/A/B/" for B below A below
    // the root; empty for no item. Always 1.
    int GetClassPath(HTREEITEM item, std::string& path) const;

    void SetDatabase(CAdoDatabase* database) { m_database = database; }
    CAdoDatabase* GetDatabase() const { return m_database; }
    void SetRootCaption(const std::string& caption) { m_rootCaption = caption; }
    const std::string& GetRootCaption() const { return m_rootCaption; }
    void SetTableName(const std::string& table) { m_table = table; }
    const std::string& GetTableName() const { return m_table; }
    // The root item of the last Load; nullptr before it and once it is gone.
    HTREEITEM GetRootClassItem() const { return m_root; }

private:
    class KeyPath;
    // Inserts the rows below parent whose keys are not on path; false when
    // the select fails.
    bool ReadChildren(HTREEITEM parent, const KeyPath& path, std::vector<HTREEITEM>& children);
    bool DeleteCategory(HTREEITEM item);
    std::vector<HTREEITEM> ChildrenOf(HTREEITEM item) const;
    void ShowError(const std::string& text);

    CAdoDatabase* m_database = nullptr; // the host's, not owned
    std::string m_rootCaption = "/";
    HTREEITEM m_root = nullptr;
    std::string m_table;
};
