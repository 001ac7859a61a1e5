// The tree control over a model of its own.
#include "platform/ui/treeview.h"

#include "platform/ui/imagelist.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <new>

namespace ui {

class TreeViewModel : public QAbstractItemModel {
public:
    explicit TreeViewModel(TreeView* tree) : QAbstractItemModel(tree), tree_(tree) {}

    const std::vector<Node*>& siblings(const Node* parent) const
    {
        return parent ? parent->children_ : tree_->roots_;
    }
    // The children the view knows of.
    int shown(const Node* parent) const { return parent ? parent->shown_ : tree_->rootsShown_; }
    Node* node(const QModelIndex& index) const { return static_cast<Node*>(index.internalPointer()); }
    QModelIndex indexOf(const Node* n) const
    {
        return n ? createIndex(n->row_, 0, const_cast<Node*>(n)) : QModelIndex();
    }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override
    {
        if (column != 0 || row < 0) return {};
        const Node* p = parent.isValid() ? node(parent) : nullptr;
        if (row >= shown(p)) return {};
        return createIndex(row, 0, siblings(p)[size_t(row)]);
    }
    QModelIndex parent(const QModelIndex& index) const override
    {
        return index.isValid() ? indexOf(node(index)->parent_) : QModelIndex();
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        if (parent.isValid() && parent.column() != 0) return 0;
        return shown(parent.isValid() ? node(parent) : nullptr);
    }
    int columnCount(const QModelIndex& = {}) const override { return 1; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid()) return {};
        const Node* n = node(index);
        switch (role) {
        case Qt::DisplayRole:
            return n->text_;
        case Qt::CheckStateRole:
            if (tree_->checkboxes_) return n->checked_ ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::DecorationRole:
            // Pictures are drawn only in the styles that have them (odd numbers).
            if (tree_->images_ && n->image_ > 0 && (tree_->style_ & 1)) {
                const QPixmap p = tree_->images_->picture(n->image_);
                if (!p.isNull()) return p;
            }
            return {};
        }
        return {};
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::CheckStateRole) return false;
        Node* n = node(index);
        n->checked_ = value.toInt() == Qt::Checked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        if (tree_->onNodeCheck) tree_->onNodeCheck(*n);
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid()) return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (tree_->checkboxes_) f |= Qt::ItemIsUserCheckable;
        return f;
    }

    using QAbstractItemModel::beginInsertRows;
    using QAbstractItemModel::beginResetModel;
    using QAbstractItemModel::endInsertRows;
    using QAbstractItemModel::endResetModel;
    void changed(const Node* n)
    {
        const QModelIndex i = indexOf(n);
        emit dataChanged(i, i);
    }
    void allChanged()
    {
        beginResetModel();
        endResetModel();
    }

private:
    TreeView* tree_;
};

class TreeViewWidget : public QTreeView {
public:
    explicit TreeViewWidget(TreeView* tree) : QTreeView(tree), tree_(tree)
    {
        setHeaderHidden(true);
        setUniformRowHeights(true);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setSelectionMode(QAbstractItemView::SingleSelection);
        // The one column is as wide as the widest node shown, or the view:
        // a node wider than the view is scrolled to sideways.
        header()->setStretchLastSection(false);
        connect(this, &QTreeView::expanded, this, [this](const QModelIndex& i) {
            Node* n = static_cast<Node*>(i.internalPointer());
            n->open_ = true;
            tree_->measureChildren(n);
        });
        connect(this, &QTreeView::collapsed, this,
                [](const QModelIndex& i) { static_cast<Node*>(i.internalPointer())->open_ = false; });
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QTreeView::resizeEvent(event);
        tree_->fitColumn();
    }
    void changeEvent(QEvent* event) override
    {
        QTreeView::changeEvent(event);
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) tree_->measureAll();
    }
    // Input and painting work on the whole tree.
    bool viewportEvent(QEvent* event) override
    {
        if (event->type() == QEvent::Paint) tree_->announceNodes();
        return QTreeView::viewportEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        tree_->announceNodes();
        QTreeView::mousePressEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        tree_->announceNodes();
        QPointer<TreeView> guard(tree_);
        if (runKeyHandlers(*event, tree_->onKeyDown, {}) || !guard) return;
        QTreeView::keyPressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        tree_->announceNodes();
        QPointer<TreeView> guard(tree_);
        const QModelIndex at = indexAt(event->position().toPoint());
        QTreeView::mouseReleaseEvent(event);
        if (guard && at.isValid() && event->button() == Qt::LeftButton && tree_->onNodeClick)
            tree_->onNodeClick(*static_cast<Node*>(at.internalPointer()));
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        tree_->announceNodes();
        QPointer<TreeView> guard(tree_);
        QTreeView::mouseDoubleClickEvent(event);
        if (guard && event->button() == Qt::LeftButton && tree_->onDblClick) tree_->onDblClick();
    }

private:
    TreeView* tree_;
};

// ---------------------------------------------------------------- nodes

Node::Node(TreeView* tree, Node* parent, const QString& key, const QString& text)
    : tree_(tree), parent_(parent), key_(key), text_(text)
{
}

void Node::setText(const QString& text)
{
    text_ = text;
    tree_->nodeChanged(this);
    if (tree_->isShown(this) && tree_->isOpen(parent_)) tree_->measure(this);
}

void Node::setChecked(bool checked)
{
    if (checked_ == checked) return;
    checked_ = checked;
    tree_->nodeChanged(this);
}

bool Node::Expanded() const
{
    tree_->announceNodes();
    return tree_->view_->isExpanded(tree_->model_->indexOf(this));
}

void Node::setExpanded(bool expanded)
{
    tree_->announceNodes();
    tree_->view_->setExpanded(tree_->model_->indexOf(this), expanded);
}

bool Node::Selected() const
{
    return tree_->SelectedItem() == this;
}

void Node::setSelected(bool selected)
{
    if (selected)
        tree_->setSelectedItem(this);
    else if (Selected())
        tree_->setSelectedItem(nullptr);
}

Node* Node::Next() const
{
    const std::vector<Node*>& s = tree_->model_->siblings(parent_);
    return size_t(row_ + 1) < s.size() ? s[size_t(row_ + 1)] : nullptr;
}

Node* Node::Previous() const
{
    return row_ > 0 ? tree_->model_->siblings(parent_)[size_t(row_ - 1)] : nullptr;
}

void Node::setImage(int index)
{
    image_ = index;
    tree_->nodeChanged(this);
}

void Node::EnsureVisible()
{
    for (Node* p = parent_; p; p = p->parent_) p->setExpanded(true);
    tree_->announceNodes();
    tree_->view_->scrollTo(tree_->model_->indexOf(this));
}

Node& Nodes::Add(Node* relative, int relationship, const QString& key, const QString& text, int image)
{
    TreeView& t = *tree_;
    if (relative && relative->tree_ != tree_) raiseControlError(errElementNotFound);
    const quint32 hash = key.isEmpty() ? 0 : TreeNodeKeys::hashOf(key);
    if (!key.isEmpty() && t.byKey_.find(key, hash)) raiseControlError(errKeyNotUnique);
    if (relationship < tvwFirst || relationship > tvwChild) raiseControlError(errInvalidPropertyValue);

    Node* parent = nullptr;
    size_t pos = 0;
    if (!relative) {
        pos = relationship == tvwFirst ? 0 : t.roots_.size();
    } else if (relationship == tvwChild) {
        parent = relative;
        pos = relative->children_.size();
    } else {
        parent = relative->parent_;
        const size_t count = t.model_->siblings(parent).size();
        switch (relationship) {
        case tvwFirst: pos = 0; break;
        case tvwLast: pos = count; break;
        case tvwNext: pos = size_t(relative->row_ + 1); break;
        case tvwPrevious: pos = size_t(relative->row_); break;
        }
    }
    Node* n = t.newNode(parent, key, text);
    n->image_ = image;
    n->index_ = int(t.nodeCount_);
    std::vector<Node*>& list = t.siblings(parent);
    if (pos == list.size()) {
        // Appended: the view hears of it later, with its siblings.
        n->row_ = int(pos);
        list.push_back(n);
        t.announceSoon(parent);
    } else {
        // Inserted before others: the rows after it move now.
        t.announceNodes();
        t.model_->beginInsertRows(t.model_->indexOf(parent), int(pos), int(pos));
        list.insert(list.begin() + std::ptrdiff_t(pos), n);
        for (size_t i = pos; i < list.size(); ++i) list[i]->row_ = int(i);
        ++t.shownChildren(parent);
        t.model_->endInsertRows();
    }
    if (!key.isEmpty()) t.byKey_.insert(n, hash);
    return *n;
}

Node& Nodes::Add(const QString& relativeKey, int relationship, const QString& key, const QString& text, int image)
{
    Node* relative = nullptr;
    if (!relativeKey.isEmpty()) relative = &Item(relativeKey);
    return Add(relative, relationship, key, text, image);
}

void Nodes::Clear()
{
    TreeView& t = *tree_;
    t.model_->beginResetModel();
    t.roots_.clear();
    t.rootsShown_ = 0;
    t.unannounced_.clear();
    t.byKey_.clear();
    t.destroyNodes();
    t.model_->endResetModel();
    t.widest_ = 0;
    t.fitColumn();
}

int Nodes::Count() const
{
    return int(tree_->nodeCount_);
}

Node& Nodes::Item(int index) const
{
    if (index < 1 || index > Count()) raiseControlError(errIndexOutOfBounds);
    return *tree_->nodeAt(size_t(index - 1));
}

Node& Nodes::Item(const QString& key) const
{
    if (Node* n = find(key)) return *n;
    raiseControlError(errElementNotFound);
}

Node* Nodes::find(const QString& key) const
{
    return key.isEmpty() ? nullptr : tree_->byKey_.find(key, TreeNodeKeys::hashOf(key));
}

// Keys are short codes: a light hash of their characters, mixed so that
// its low bits (the table's index) depend on all of them.
quint32 TreeNodeKeys::hashOf(const QString& key)
{
    quint64 h = 1469598103934665603ull;
    for (QChar c : key) h = (h ^ c.unicode()) * 1099511628211ull;
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return quint32(h);
}

Node* TreeNodeKeys::find(const QString& key, quint32 hash) const
{
    if (slots_.empty()) return nullptr;
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask; slots_[i].index; i = (i + 1) & mask) {
        if (slots_[i].hash != hash) continue;
        Node* n = tree_->nodeAt(slots_[i].index - 1);
        if (n->Key() == key) return n;
    }
    return nullptr;
}

void TreeNodeKeys::insert(const Node* node, quint32 hash)
{
    if ((count_ + 1) * 2 > slots_.size()) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(std::max<size_t>(64, old.size() * 2), Slot());
        for (const Slot& s : old)
            if (s.index) place(s);
    }
    place({hash, quint32(node->Index())});
    ++count_;
}

void TreeNodeKeys::place(Slot slot)
{
    const size_t mask = slots_.size() - 1;
    size_t i = slot.hash & mask;
    while (slots_[i].index) i = (i + 1) & mask;
    slots_[i] = slot;
}

void TreeNodeKeys::clear()
{
    slots_.clear();
    slots_.shrink_to_fit();
    count_ = 0;
}

// ---------------------------------------------------------------- tree

struct TreeView::NodeBlock {
    static constexpr size_t size = 256;
    alignas(Node) unsigned char bytes[size * sizeof(Node)];
};

TreeView::TreeView(QWidget* parent)
    : ControlWidget(parent), nodes_(this), byKey_(this), model_(new TreeViewModel(this)), view_(new TreeViewWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    view_->setModel(model_);
    setFocusProxy(view_);
    applyStyle();
    setHideSelection(true);
}

TreeView::~TreeView()
{
    delete view_;
    view_ = nullptr;
    destroyNodes();
}

Node* TreeView::newNode(Node* parent, const QString& key, const QString& text)
{
    const size_t used = nodeCount_ % NodeBlock::size;
    if (used == 0) blocks_.push_back(std::unique_ptr<NodeBlock>(new NodeBlock));  // left unfilled
    Node* n = new (blocks_.back()->bytes + used * sizeof(Node)) Node(this, parent, key, text);
    ++nodeCount_;
    return n;
}

Node* TreeView::nodeAt(size_t i) const
{
    return std::launder(reinterpret_cast<Node*>(blocks_[i / NodeBlock::size]->bytes + (i % NodeBlock::size) * sizeof(Node)));
}

void TreeView::destroyNodes()
{
    for (size_t i = 0; i < nodeCount_; ++i) nodeAt(i)->~Node();
    nodeCount_ = 0;
    blocks_.clear();
}

Node* TreeView::SelectedItem() const
{
    const QModelIndexList selected = view_->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? nullptr : model_->node(selected.first());
}

void TreeView::setSelectedItem(Node* node)
{
    QItemSelectionModel* sel = view_->selectionModel();
    if (!node || node->tree_ != this) {
        sel->clearSelection();
        return;
    }
    announceNodes();
    sel->setCurrentIndex(model_->indexOf(node), QItemSelectionModel::ClearAndSelect);
}

void TreeView::setCheckboxes(bool on)
{
    if (checkboxes_ == on) return;
    checkboxes_ = on;
    model_->allChanged();
    measureAll();
}

void TreeView::setLineStyle(int style)
{
    lineStyle_ = style;
    applyStyle();
}

void TreeView::setStyle(int style)
{
    style_ = style;
    applyStyle();
}

void TreeView::setImageList(ui::ImageList* images)
{
    images_ = images;
    if (images) view_->setIconSize(QSize(images->ImageWidth(), images->ImageHeight()));
    view_->viewport()->update();
    measureAll();
}

void TreeView::setHideSelection(bool on)
{
    hideSelection_ = on;
    applyHideSelection(view_, palette(), on);
}

QWidget* TreeView::viewport() const
{
    return view_->viewport();
}

QRect TreeView::nodeRect(const Node& node) const
{
    const_cast<TreeView*>(this)->announceNodes();
    return view_->visualRect(model_->indexOf(&node));
}

// Lines at the root give the top-level nodes their plus and minus signs;
// the styles without plus/minus signs still let a node be opened by a
// double click (the look of the lines follows the desktop's style).
void TreeView::applyStyle()
{
    view_->setRootIsDecorated(lineStyle_ == tvwRootLines);
    view_->setItemsExpandable(true);
    view_->viewport()->update();
    measureAll();
}

void TreeView::nodeChanged(Node* node)
{
    if (isShown(node)) model_->changed(node);
}

bool TreeView::isShown(const Node* node) const
{
    for (; node; node = node->parent_)
        if (node->row_ >= (node->parent_ ? node->parent_->shown_ : rootsShown_)) return false;
    return true;
}

void TreeView::announceSoon(Node* parent)
{
    // Listed once: when it gets its first child the view has not seen.
    if (shownChildren(parent) == int(siblings(parent).size()) - 1) unannounced_.push_back(parent);
    if (announcePending_) return;
    announcePending_ = true;
    QTimer::singleShot(0, this, [this] { announceNodes(); });
}

void TreeView::announceNodes()
{
    announcePending_ = false;
    if (unannounced_.empty()) return;
    std::vector<Node*> parents = std::move(unannounced_);
    unannounced_.clear();
    // A parent is added before its children: in the order of adding, every
    // parent is in the view before its new children are announced.
    std::sort(parents.begin(), parents.end(),
              [](const Node* a, const Node* b) { return (a ? a->index_ : 0) < (b ? b->index_ : 0); });
    for (Node* parent : parents) {
        int& shown = shownChildren(parent);
        const int count = int(siblings(parent).size());
        if (shown >= count) continue;
        const int desde = shown;
        model_->beginInsertRows(model_->indexOf(parent), shown, count - 1);
        shown = count;
        model_->endInsertRows();
        if (isOpen(parent)) measureChildren(parent, desde);
    }
}

// A node's width is measured once, when it comes into sight (added under
// an open parent, or its parent opened), and the column keeps the widest
// so far: painting and scrolling measure nothing. A node closed from sight
// again leaves the column as wide as it was.
bool TreeView::isOpen(const Node* node) const
{
    for (; node; node = node->parent_)
        if (!node->open_) return false;
    return true;
}

void TreeView::measure(const Node* node)
{
    int depth = view_->rootIsDecorated() ? 1 : 0;
    for (const Node* p = node->parent_; p; p = p->parent_) ++depth;
    const int width = depth * view_->indentation() + view_->sizeHintForIndex(model_->indexOf(node)).width();
    if (width <= widest_) return;
    widest_ = width;
    fitColumn();
}

void TreeView::measureChildren(const Node* parent, int from)
{
    const std::vector<Node*>& list = parent ? parent->children_ : roots_;
    const int shown = parent ? parent->shown_ : rootsShown_;
    for (int i = from; i < shown; ++i) {
        const Node* n = list[size_t(i)];
        measure(n);
        // a node opened before its parent was closed shows its children again
        if (n->shown_ > 0 && n->open_) measureChildren(n);
    }
}

void TreeView::measureAll()
{
    if (!view_) return;  // while the view is being made or destroyed
    widest_ = 0;
    measureChildren(nullptr);
    fitColumn();
}

void TreeView::fitColumn()
{
    if (!view_) return;
    QHeaderView* h = view_->header();
    const int width = std::max(widest_, view_->viewport()->width());
    if (h->count() > 0 && h->sectionSize(0) != width) h->resizeSection(0, width);
}

// A picture of the whole tree (a grab) shows the nodes not yet announced.
void TreeView::paintEvent(QPaintEvent*)
{
    announceNodes();
}

}  // namespace ui
