#include "toolkit/ClassTree.h"

#include "database/AdoDatabase.h"
#include "database/AdoRecordset.h"
#include "database/KeyedInsert.h"
#include "database/SqlStatement.h"
#include "platform/Interaction.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <unordered_set>

namespace {

// Item data are 32-bit values that the table holds as signed keys; they go
// into statements as the signed number.
std::string KeyText(std::uint32_t data) {
    return std::to_string(static_cast<std::int32_t>(data));
}

// The row's key read from its decimal text: keys of the embedded database
// are 64-bit, and two keys that differ by 2^32 must not read as one.
bool ReadKey(CAdoRecordset& rs, std::int32_t& key) {
    const char* text = rs.GetString("keyid");
    if (!text)
        return false;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
        return false;
    key = static_cast<std::int32_t>(value);
    return true;
}

} // namespace

// The keys from the item being filled up to the top of the tree. A row whose
// key is already among them is its own ancestor: loading it would never end.
class CClassTree::KeyPath {
public:
    KeyPath(const CClassTree& tree, HTREEITEM item) {
        for (HTREEITEM at = item; at; at = tree.GetParentItem(at))
            m_keys.insert(tree.GetItemData(at));
    }
    bool Contains(std::uint32_t key) const { return m_keys.count(key) != 0; }
    void Push(std::uint32_t key) {
        m_keys.insert(key);
        m_order.push_back(key);
    }
    void Pop() {
        m_keys.erase(m_keys.find(m_order.back()));
        m_order.pop_back();
    }

private:
    std::unordered_multiset<std::uint32_t> m_keys;
    std::vector<std::uint32_t> m_order; // pushed keys, latest last
};

CClassTree::CClassTree() = default;

CClassTree::~CClassTree() = default;

int CClassTree::Load() {
    DeleteAllItems();
    m_root = nullptr;
    if (m_table.empty())
        return 0;
    m_root = InsertItem(m_rootCaption, 0, TVI_ROOT);
    if (!m_root)
        return 0;
    SetItemData(m_root, 0);
    LoadChildren(m_root);
    Expand(m_root);
    return 1;
}

// Depth first, as a recursion over the children would go, but with the
// pending siblings kept here, so a deep table cannot exhaust the stack.
int CClassTree::LoadChildren(HTREEITEM parent) {
    if (!m_database || !parent || parent == TVI_ROOT)
        return 0;
    KeyPath path(*this, parent);
    struct Level {
        std::vector<HTREEITEM> items;
        std::size_t next = 0;
    };
    std::vector<Level> levels(1);
    if (!ReadChildren(parent, path, levels.back().items))
        return 0;
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.items.size()) {
            levels.pop_back();
            if (!levels.empty())
                path.Pop(); // the key of the item whose children these were
            continue;
        }
        HTREEITEM item = level.items[level.next++];
        path.Push(GetItemData(item));
        Level children;
        // A server that is gone would fail every select that follows: the
        // first failure ends the load with its one message.
        if (!ReadChildren(item, path, children.items))
            return 0;
        levels.push_back(std::move(children));
    }
    return 1;
}

bool CClassTree::ReadChildren(HTREEITEM parent, const KeyPath& path,
                              std::vector<HTREEITEM>& children) {
    CAdoRecordset rs;
    rs.SetConnection(m_database->GetConnection());
    const std::string sql = "select keyid,name from  " + m_table +
                            " where parentid=" + KeyText(GetItemData(parent)) + " order by keyid ";
    if (!rs.Open(sql)) {
        ShowError(rs.GetLastError());
        return false;
    }
    while (!rs.IsEOF()) {
        const char* name = rs.GetString("name");
        const std::string text = name ? name : "";
        std::int32_t signedKey = 0;
        if (!ReadKey(rs, signedKey)) {
            ShowError("The category \"" + text + "\" in " + m_table + " has the key " +
                      rs.GetText("keyid") + ", which is not a whole number from " +
                      "-2147483648 to 2147483647; the tree ends before it.");
            return false;
        }
        const auto key = static_cast<std::uint32_t>(signedKey);
        if (!path.Contains(key)) {
            if (HTREEITEM item = InsertItem(text, 0, parent)) {
                SetItemData(item, key);
                children.push_back(item);
            }
        }
        rs.MoveNext();
    }
    rs.Close();
    return true;
}

HTREEITEM CClassTree::AddChild(HTREEITEM parent, const std::string& name) {
    if (!m_database || !parent || parent == TVI_ROOT)
        return nullptr;
    std::string parentPath;
    GetClassPath(parent, parentPath);

    // The key is the table's highest + 1, taken with no other desktop
    // adding a category in between.
    CSqlInsert insert;
    insert.SetTableName(m_table);
    insert.SetNumber("ParentId", static_cast<std::int32_t>(GetItemData(parent)));
    insert.SetText("Name", name);
    insert.SetText("ClassPath", parentPath + name); // stored without the closing "/"
    const int key = InsertWithNextKey(m_database, insert, "KeyId");
    if (key < 0) {
        ShowError(insert.BuildSql() + "\r\n" + m_database->GetLastError());
        return nullptr;
    }
    HTREEITEM item = InsertItem(name, 0, parent);
    if (item)
        SetItemData(item, static_cast<std::uint32_t>(key));
    return item;
}

// Children before their parent, siblings in order, as a recursion would go;
// the first failure ends the whole deletion.
int CClassTree::DeleteBranch(HTREEITEM item) {
    if (!m_database || !item || item == TVI_ROOT)
        return -1;
    struct Level {
        HTREEITEM item;
        std::vector<HTREEITEM> children;
        std::size_t next = 0;
    };
    std::vector<Level> levels;
    levels.push_back({item, ChildrenOf(item)});
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next < level.children.size()) {
            HTREEITEM child = level.children[level.next++];
            levels.push_back({child, ChildrenOf(child)});
            continue;
        }
        if (!DeleteCategory(level.item))
            return -1;
        levels.pop_back();
    }
    return 1;
}

std::vector<HTREEITEM> CClassTree::ChildrenOf(HTREEITEM item) const {
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child))
        children.push_back(child);
    return children;
}

bool CClassTree::DeleteCategory(HTREEITEM item) {
    const std::string sql = "delete from " + m_table + " where keyid=" + KeyText(GetItemData(item));
    if (m_database->Execute(sql, nullptr, 1) < 1) {
        ShowError(m_database->GetLastError());
        return false;
    }
    if (item == m_root)
        m_root = nullptr;
    DeleteItem(item);
    return true;
}

int CClassTree::GetClassPath(HTREEITEM item, std::string& path) const {
    path.clear();
    if (!item || item == TVI_ROOT)
        return 1;
    if (item == m_root) {
        path = "/";
        return 1;
    }
    // Names from the item upwards; joined top-down once the walk ends.
    std::vector<std::string> names{GetItemText(item)};
    bool reachedRoot = false;
    for (HTREEITEM up = GetParentItem(item); up; up = GetParentItem(up)) {
        if (up == m_root) {
            reachedRoot = true;
            break;
        }
        names.push_back(GetItemText(up));
    }
    if (reachedRoot)
        path = "/";
    std::for_each(names.rbegin(), names.rend(), [&](const std::string& name) {
        path += name;
        path += '/';
    });
    return 1;
}

void CClassTree::ShowError(const std::string& text) {
    AfxMessageBox(text, MB_OK, this);
}
