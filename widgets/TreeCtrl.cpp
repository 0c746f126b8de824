#include "widgets/TreeCtrl.h"

#include "platform/CodePage.h"
#include "widgets/PictureFile.h"
#include "widgets/ScrollBarBands.h"

#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

// An item of the tree: the handle callers hold is the item itself. The text is
// kept as given, so that GBK bytes come back unchanged whatever Qt shows.
struct TreeItem : public QTreeWidgetItem {
    std::string text;
    std::uint32_t data = 0;
    int image = 0;
    mutable int rowGuess = 0; // where the item last stood among its siblings
};

namespace {

// Lets the user edit a label but never writes the edited text back, so the
// label reverts when the editor closes.
class RevertingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}
};

QIcon MakeIcon(const std::string& name, COLORREF transparent, const QSize& size) {
    QImage image = LoadPicture(name, CLR_NONE, transparent);
    if (image.isNull())
        return QIcon();
    if (image.size() != size)
        image = image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return QIcon(QPixmap::fromImage(image));
}

// Deletes items that are out of the tree. Qt deletes an item's children from
// the item's destructor, one stack frame per level, which a chain of many
// thousand categories overflows; here every item gives up its children before
// it is deleted, deepest first, so no destructor reaches further than one level.
void DeleteDetached(const QList<QTreeWidgetItem*>& items) {
    std::vector<QTreeWidgetItem*> topDown(items.begin(), items.end());
    for (std::size_t i = 0; i < topDown.size(); ++i)
        for (int child = 0; child < topDown[i]->childCount(); ++child)
            topDown.push_back(topDown[i]->child(child));
    for (auto it = topDown.rbegin(); it != topDown.rend(); ++it)
        for (QTreeWidgetItem* leaf : (*it)->takeChildren())
            delete leaf;
    for (QTreeWidgetItem* item : items)
        delete item;
}

// The tree's window: it empties itself without recursion before Qt's own
// teardown, whoever deletes it, and reports nothing on the way out.
class TreeWidget : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    ~TreeWidget() override {
        blockSignals(true);
        DeleteDetached(invisibleRootItem()->takeChildren());
    }

protected:
    // A click beside the items only takes the focus. Qt's view would clear
    // the selection and leave the caret item unmarked, while the owner's
    // commands still act on it.
    void mousePressEvent(QMouseEvent* event) override {
        if (indexAt(event->position().toPoint()).isValid())
            QTreeWidget::mousePressEvent(event);
        else
            setFocus(Qt::MouseFocusReason);
    }
};

} // namespace

struct CTreeCtrl::Private {
    std::vector<QIcon> icons;
    QSize iconSize{16, 15};
    bool editLabels = false;
    // Set while the control itself moves the caret; it reports once afterwards.
    bool quiet = false;
    QMetaObject::Connection caretConnection;

    QIcon IconFor(int image) const {
        return image >= 0 && std::size_t(image) < icons.size() ? icons[std::size_t(image)]
                                                               : QIcon();
    }
};

// Runs one change of the tree without reporting each caret move on the way;
// when the change is done and the caret item differs, the parent hears of it.
class CTreeCtrl::CaretWatch {
public:
    explicit CaretWatch(CTreeCtrl& ctrl)
        : m_ctrl(ctrl), m_before(ctrl.GetSelectedItem()), m_wasQuiet(ctrl.m_private->quiet) {
        m_ctrl.m_private->quiet = true;
    }
    ~CaretWatch() {
        m_ctrl.m_private->quiet = m_wasQuiet;
        QTreeWidget* tree = m_ctrl.Tree();
        if (!tree)
            return;
        HTREEITEM after = m_ctrl.GetSelectedItem();
        if (after == m_before)
            return;
        // The caret that Qt moves on deletion is shown selected like any other.
        if (after && !after->isSelected()) {
            m_ctrl.m_private->quiet = true;
            tree->setCurrentItem(after);
            m_ctrl.m_private->quiet = m_wasQuiet;
        }
        if (!m_wasQuiet)
            m_ctrl.NotifySelChanged();
    }
    CaretWatch(const CaretWatch&) = delete;
    CaretWatch& operator=(const CaretWatch&) = delete;

private:
    CTreeCtrl& m_ctrl;
    HTREEITEM m_before;
    bool m_wasQuiet;
};

CTreeCtrl::CTreeCtrl() : m_private(std::make_unique<Private>()) {}

CTreeCtrl::~CTreeCtrl() {
    // The window goes while this object is still whole, so that nothing it
    // emits on the way reaches a half-destroyed control.
    DestroyWindow();
}

QWidget* CTreeCtrl::CreateWidget(QWidget* parent) {
    auto* tree = new TreeWidget(parent);
    tree->setColumnCount(1);
    tree->setHeaderHidden(true);
    tree->header()->setStretchLastSection(true);
    tree->setRootIsDecorated(true);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setItemDelegate(new RevertingDelegate(tree));
    tree->setIconSize(m_private->iconSize);
    PaintScrollBarInBands(tree->verticalScrollBar());
    m_private->caretConnection =
        QObject::connect(tree, &QTreeWidget::currentItemChanged, tree, [this] {
            if (!m_private->quiet)
                NotifySelChanged();
        });
    ApplyEditLabelsTo(tree);
    return tree;
}

void CTreeCtrl::OnDestroy() {
    QObject::disconnect(m_private->caretConnection);
}

QTreeWidget* CTreeCtrl::Tree() const {
    return qobject_cast<QTreeWidget*>(Widget());
}

TreeItem* CTreeCtrl::ItemOf(HTREEITEM item) const {
    QTreeWidget* tree = Tree();
    if (!tree || !item || item == TVI_ROOT || item->treeWidget() != tree)
        return nullptr;
    return item;
}

void CTreeCtrl::NotifySelChanged() {
    CWnd* parent = GetParent();
    if (!parent)
        return;
    NotifyInfo info;
    info.id = GetDlgCtrlID();
    info.code = TVN_SELCHANGED;
    parent->SendNotify(info);
}

HTREEITEM CTreeCtrl::InsertItem(const std::string& text, int image, HTREEITEM parent) {
    QTreeWidget* tree = Tree();
    if (!tree)
        return nullptr;
    TreeItem* under = nullptr;
    if (parent && parent != TVI_ROOT) {
        under = ItemOf(parent);
        if (!under)
            return nullptr;
    }
    auto* item = new TreeItem;
    item->text = text;
    item->image = image;
    item->setText(0, FromGbk(text));
    item->setIcon(0, m_private->IconFor(image));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    if (under) {
        item->rowGuess = under->childCount();
        under->addChild(item);
    } else {
        item->rowGuess = tree->topLevelItemCount();
        tree->addTopLevelItem(item);
    }
    return item;
}

bool CTreeCtrl::DeleteItem(HTREEITEM item) {
    if (item == TVI_ROOT)
        return DeleteAllItems();
    TreeItem* own = ItemOf(item);
    if (!own)
        return false;
    CaretWatch watch(*this);
    QTreeWidget* tree = Tree();
    if (ContainsCaret(own))
        tree->setCurrentItem(CaretAfterDeleting(own));
    QTreeWidgetItem* parent = own->parent();
    QTreeWidgetItem* taken = parent ? parent->takeChild(parent->indexOfChild(own))
                                    : tree->takeTopLevelItem(tree->indexOfTopLevelItem(own));
    DeleteDetached({taken});
    return true;
}

bool CTreeCtrl::ContainsCaret(TreeItem* item) const {
    for (QTreeWidgetItem* at = Tree()->currentItem(); at; at = at->parent())
        if (at == item)
            return true;
    return false;
}

// Where the caret goes when item leaves with it: the next sibling, else the
// previous one, else the parent.
QTreeWidgetItem* CTreeCtrl::CaretAfterDeleting(TreeItem* item) const {
    QTreeWidget* tree = Tree();
    QTreeWidgetItem* parent = item->parent();
    int row = parent ? parent->indexOfChild(item) : tree->indexOfTopLevelItem(item);
    for (int near : {row + 1, row - 1}) {
        if (QTreeWidgetItem* sibling = parent ? parent->child(near) : tree->topLevelItem(near))
            return sibling;
    }
    return parent;
}

bool CTreeCtrl::DeleteAllItems() {
    QTreeWidget* tree = Tree();
    if (!tree)
        return false;
    CaretWatch watch(*this);
    DeleteDetached(tree->invisibleRootItem()->takeChildren());
    return true;
}

HTREEITEM CTreeCtrl::GetRootItem() const {
    QTreeWidget* tree = Tree();
    return tree ? static_cast<TreeItem*>(tree->topLevelItem(0)) : nullptr;
}

HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM item) const {
    TreeItem* own = ItemOf(item);
    return own ? static_cast<TreeItem*>(own->parent()) : nullptr;
}

HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM item) const {
    if (item == TVI_ROOT || !item)
        return GetRootItem();
    TreeItem* own = ItemOf(item);
    return own ? static_cast<TreeItem*>(own->child(0)) : nullptr;
}

// Walking a row of siblings is linear: each step finds the item where the
// previous step left it.
HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM item) const {
    TreeItem* own = ItemOf(item);
    if (!own)
        return nullptr;
    QTreeWidget* tree = Tree();
    QTreeWidgetItem* parent = own->parent();
    auto siblingAt = [&](int row) -> QTreeWidgetItem* {
        return parent ? parent->child(row) : tree->topLevelItem(row);
    };
    int row = own->rowGuess;
    if (siblingAt(row) != own)
        row = parent ? parent->indexOfChild(own) : tree->indexOfTopLevelItem(own);
    own->rowGuess = row;
    auto* next = static_cast<TreeItem*>(siblingAt(row + 1));
    if (next)
        next->rowGuess = row + 1;
    return next;
}

bool CTreeCtrl::ItemHasChildren(HTREEITEM item) const {
    TreeItem* own = ItemOf(item);
    return own && own->childCount() > 0;
}

int CTreeCtrl::GetCount() const {
    QTreeWidget* tree = Tree();
    if (!tree)
        return 0;
    int count = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        ++count;
    return count;
}

std::string CTreeCtrl::GetItemText(HTREEITEM item) const {
    TreeItem* own = ItemOf(item);
    return own ? own->text : std::string();
}

bool CTreeCtrl::SetItemText(HTREEITEM item, const std::string& text) {
    TreeItem* own = ItemOf(item);
    if (!own)
        return false;
    own->text = text;
    own->setText(0, FromGbk(text));
    return true;
}

std::uint32_t CTreeCtrl::GetItemData(HTREEITEM item) const {
    TreeItem* own = ItemOf(item);
    return own ? own->data : 0;
}

bool CTreeCtrl::SetItemData(HTREEITEM item, std::uint32_t data) {
    TreeItem* own = ItemOf(item);
    if (!own)
        return false;
    own->data = data;
    return true;
}

int CTreeCtrl::GetItemImage(HTREEITEM item) const {
    TreeItem* own = ItemOf(item);
    return own ? own->image : -1;
}

bool CTreeCtrl::SetItemImage(HTREEITEM item, int image) {
    TreeItem* own = ItemOf(item);
    if (!own)
        return false;
    own->image = image;
    own->setIcon(0, m_private->IconFor(image));
    return true;
}

bool CTreeCtrl::Expand(HTREEITEM item, bool expand) {
    TreeItem* own = ItemOf(item);
    if (!own)
        return false;
    own->setExpanded(expand);
    return true;
}

bool CTreeCtrl::IsExpanded(HTREEITEM item) const {
    TreeItem* own = ItemOf(item);
    return own && own->isExpanded();
}

HTREEITEM CTreeCtrl::GetSelectedItem() const {
    QTreeWidget* tree = Tree();
    return tree ? static_cast<TreeItem*>(tree->currentItem()) : nullptr;
}

bool CTreeCtrl::SelectItem(HTREEITEM item) {
    QTreeWidget* tree = Tree();
    if (!tree)
        return false;
    TreeItem* own = nullptr;
    if (item) {
        own = ItemOf(item);
        if (!own)
            return false;
    }
    CaretWatch watch(*this);
    if (own) {
        tree->setCurrentItem(own);
        tree->scrollToItem(own);
    } else {
        tree->setCurrentItem(nullptr);
        tree->clearSelection();
    }
    return true;
}

int CTreeCtrl::SetImageList(const std::vector<std::string>& names, COLORREF transparent, int cx,
                            int cy) {
    Private& p = *m_private;
    p.iconSize = QSize(cx, cy);
    p.icons.clear();
    int loaded = 0;
    for (const std::string& path : names) {
        p.icons.push_back(MakeIcon(path, transparent, p.iconSize));
        if (!p.icons.back().isNull())
            ++loaded;
    }
    if (QTreeWidget* tree = Tree()) {
        tree->setIconSize(p.iconSize);
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            auto* item = static_cast<TreeItem*>(*it);
            item->setIcon(0, p.IconFor(item->image));
        }
    }
    return loaded;
}

void CTreeCtrl::SetEditLabels(bool editLabels) {
    m_private->editLabels = editLabels;
    if (QTreeWidget* tree = Tree())
        ApplyEditLabelsTo(tree);
}

bool CTreeCtrl::GetEditLabels() const {
    return m_private->editLabels;
}

void CTreeCtrl::ApplyEditLabelsTo(QTreeWidget* tree) {
    tree->setEditTriggers(m_private->editLabels ? QAbstractItemView::SelectedClicked |
                                                      QAbstractItemView::EditKeyPressed
                                                : QAbstractItemView::NoEditTriggers);
}
