#pragma once
// The tree control: nodes with keys and texts under one another, with check
// boxes and lines as the old control drew them.
//
//   ui::TreeView tree;
//   tree.Nodes().Add(nullptr, ui::tvwLast, "A", "Consulta...").setExpanded(true);
//   tree.Nodes().Add("A", ui::tvwChild, "A01", "01 - Bebidas");
//   tree.onNodeCheck = [&](ui::Node& n) { ... };
//
// Nodes live in a model of the tree's own and keep their address until the
// tree is cleared. Nodes().Item(i) walks them in the order they were added.
// Errors (legacy::VbError): a key already in use raises 35602, an unknown
// relative key 35601, an index out of range 35600.
#include "platform/ui/controlsupport.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace ui {

class TreeView;
class TreeViewModel;
class TreeViewWidget;
class ImageList;

enum TreeRelationshipConstants : int { tvwFirst = 0, tvwLast = 1, tvwNext = 2, tvwPrevious = 3, tvwChild = 4 };
enum TreeLineStyleConstants : int { tvwTreeLines = 0, tvwRootLines = 1 };
enum TreeStyleConstants : int {
    tvwTextOnly = 0,
    tvwPictureText = 1,
    tvwPlusMinusText = 2,
    tvwPlusPictureText = 3,
    tvwTreelinesText = 4,
    tvwTreelinesPictureText = 5,
    tvwTreelinesPlusMinusText = 6,
    tvwTreelinesPlusMinusPictureText = 7,
};

class Node {
public:
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    const QString& Key() const { return key_; }
    // 1-based position in the order the nodes were added.
    int Index() const { return index_; }
    const QString& Text() const { return text_; }
    void setText(const QString& text);
    bool Checked() const { return checked_; }
    // Setting it from code fires no NodeCheck.
    void setChecked(bool checked);
    bool Expanded() const;
    void setExpanded(bool expanded);
    bool Selected() const;
    void setSelected(bool selected);
    // First child, next sibling, parent: nullptr when there is none.
    Node* Child() const { return children_.empty() ? nullptr : children_.front(); }
    Node* Next() const;
    Node* Previous() const;
    Node* Parent() const { return parent_; }
    int Children() const { return int(children_.size()); }
    // Image index (1-based) into the tree's ImageList; 0: none.
    int Image() const { return image_; }
    void setImage(int index);
    // Expands the node's parents and scrolls the tree so that it is visible.
    void EnsureVisible();

    TreeView* treeView() const { return tree_; }

private:
    friend class Nodes;
    friend class TreeView;
    friend class TreeViewModel;
    friend class TreeViewWidget;
    Node(TreeView* tree, Node* parent, const QString& key, const QString& text);
    TreeView* tree_;
    Node* parent_;
    std::vector<Node*> children_;
    QString key_;
    QString text_;
    int index_ = 0;
    int row_ = 0;    // position among its siblings
    int shown_ = 0;  // children the view has been told of
    int image_ = 0;
    bool checked_ = false;
    bool open_ = false;  // expanded in the view (its signals keep it)
};

// The nodes by key, in one flat table of key hashes and node numbers (a
// tree loses its nodes only all at once, so none is ever taken out alone).
class TreeNodeKeys {
public:
    explicit TreeNodeKeys(const TreeView* tree) : tree_(tree) {}
    static quint32 hashOf(const QString& key);
    Node* find(const QString& key, quint32 hash) const;
    // The node's key is not in the table yet.
    void insert(const Node* node, quint32 hash);
    void clear();

private:
    struct Slot {
        quint32 hash = 0;
        quint32 index = 0;  // the node's Index; 0: free
    };
    void place(Slot slot);
    const TreeView* tree_;
    std::vector<Slot> slots_;  // a power of two long, at most half full
    size_t count_ = 0;
};

class Nodes {
public:
    // Adds a node. With no relative it goes last at the top level (tvwFirst
    // puts it first there); with a relative: tvwChild as its last child,
    // tvwLast / tvwFirst as its last / first sibling, tvwNext / tvwPrevious
    // just after / before it. `key` "" means no key.
    Node& Add(Node* relative = nullptr, int relationship = tvwLast, const QString& key = {},
              const QString& text = {}, int image = 0);
    // The relative named by its key ("" as no relative).
    Node& Add(const QString& relativeKey, int relationship = tvwLast, const QString& key = {},
              const QString& text = {}, int image = 0);
    void Clear();
    int Count() const;
    // 1-based, in the order of adding.
    Node& Item(int index) const;
    Node& Item(const QString& key) const;
    // nullptr when no node has that key.
    Node* find(const QString& key) const;

private:
    friend class TreeView;
    explicit Nodes(TreeView* tree) : tree_(tree) {}
    TreeView* tree_;
};

class TreeView : public ControlWidget {
    Q_OBJECT
public:
    explicit TreeView(QWidget* parent = nullptr);
    ~TreeView() override;

    ui::Nodes& Nodes() { return nodes_; }

    // The selected node; nullptr when none.
    Node* SelectedItem() const;
    void setSelectedItem(Node* node);

    bool Checkboxes() const { return checkboxes_; }
    void setCheckboxes(bool on);
    int LineStyle() const { return lineStyle_; }
    void setLineStyle(int style);
    int Style() const { return style_; }
    void setStyle(int style);
    ui::ImageList* ImageList() const { return images_; }
    void setImageList(ui::ImageList* images);
    // When true (the default) the selection is not shown while the tree has
    // no focus.
    bool HideSelection() const { return hideSelection_; }
    void setHideSelection(bool on);

    // Left, Top, Width, Height (twips), Name and SetFocus: ControlWidget.

    // Events.
    // The user checked or unchecked a node (not fired when code sets Checked).
    std::function<void(Node&)> onNodeCheck;
    std::function<void(Node&)> onNodeClick;
    std::function<void()> onDblClick;
    std::function<void(int& KeyCode, int Shift)> onKeyDown;

    // The view inside, for tests that click or look at it.
    QWidget* viewport() const;
    // The node's on-screen rectangle in viewport() coordinates (empty when
    // hidden under a collapsed parent).
    QRect nodeRect(const Node& node) const;

private:
    friend class Node;
    friend class ui::Nodes;
    friend class TreeViewModel;
    friend class TreeViewWidget;
    void applyStyle();
    void nodeChanged(Node* node);
    std::vector<Node*>& siblings(Node* parent) { return parent ? parent->children_ : roots_; }
    int& shownChildren(Node* parent) { return parent ? parent->shown_ : rootsShown_; }
    bool isShown(const Node* node) const;
    void announceSoon(Node* parent);
    void announceNodes();
    // The column's width follows the nodes in sight (treeview.cpp).
    bool isOpen(const Node* node) const;  // it and its parents expanded (nullptr: the top level)
    void measure(const Node* node);
    void measureChildren(const Node* parent, int from = 0);
    void measureAll();
    void fitColumn();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ui::Nodes nodes_;
    // The nodes live in blocks of the tree's own, made as the tree grows
    // and freed when it is cleared (no allocation of its own per node).
    Node* newNode(Node* parent, const QString& key, const QString& text);
    void destroyNodes();
    struct NodeBlock;
    friend class TreeNodeKeys;
    Node* nodeAt(size_t i) const;  // 0-based, in order of adding
    std::vector<std::unique_ptr<NodeBlock>> blocks_;
    size_t nodeCount_ = 0;
    std::vector<Node*> roots_;
    // Nodes appended since the view last heard of them are announced to it
    // in one go per parent (when the event loop runs, and at once before
    // anything that needs their place in the view or a picture of the
    // tree), so that building a big tree costs little more than storing it.
    int rootsShown_ = 0;
    std::vector<Node*> unannounced_;  // parents with children not yet shown (nullptr: the top level)
    bool announcePending_ = false;
    TreeNodeKeys byKey_;
    TreeViewModel* model_;
    TreeViewWidget* view_;
    ui::ImageList* images_ = nullptr;
    int lineStyle_ = tvwTreeLines;
    int style_ = tvwTreelinesPlusMinusPictureText;
    bool checkboxes_ = false;
    bool hideSelection_ = true;
    int widest_ = 0;  // pixels the widest node measured needs
};

}  // namespace ui
