// The tree control as the tree lookup drives it: keys, the order of adding,
// the old error numbers, placement, checks and their events.
#include "platform/ui/treeview.h"

#include "qt_app.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

using testutil::errorOf;

// The texts of a node's children, in order.
QStringList childTexts(const ui::Node& parent)
{
    QStringList out;
    for (const ui::Node* n = parent.Child(); n; n = n->Next()) out << n->Text();
    return out;
}

void sendKey(QWidget* w, int key, const QString& text = {})
{
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &e);
}

TEST(TreeView, KeysOrderAndNavigation)
{
    testApp();
    ui::TreeView tree;
    ui::Nodes& nodes = tree.Nodes();
    nodes.Add(nullptr, ui::tvwLast, "A", "Consulta...").setExpanded(true);
    // Rows as the family builder adds them: every parent before its children.
    const char* rows[][3] = {{"A", "A01", "01 - Bebidas"},
                             {"A01", "A0101", "0101 - Aguas"},
                             {"A01", "A0102", "0102 - Jugos"},
                             {"A", "A02", "02 - Limpieza"}};
    for (auto& r : rows) nodes.Add(QString::fromLatin1(r[0]), ui::tvwChild, r[1], r[2]);

    EXPECT_EQ(nodes.Count(), 5);
    QStringList order;
    for (int i = 1; i <= nodes.Count(); ++i) order << nodes.Item(i).Key();
    EXPECT_EQ(order, QStringList({"A", "A01", "A0101", "A0102", "A02"}));
    ui::Node& aguas = nodes.Item(QStringLiteral("A0101"));
    EXPECT_EQ(aguas.Parent()->Key(), "A01");
    EXPECT_EQ(aguas.Next()->Key(), "A0102");
    EXPECT_EQ(aguas.Next()->Next(), nullptr);
    EXPECT_EQ(aguas.Child(), nullptr);
    EXPECT_EQ(nodes.Item(QStringLiteral("A")).Parent(), nullptr);
    EXPECT_EQ(childTexts(nodes.Item(QStringLiteral("A"))), QStringList({"01 - Bebidas", "02 - Limpieza"}));
    EXPECT_TRUE(nodes.Item(QStringLiteral("A")).Expanded());
    EXPECT_FALSE(nodes.Item(QStringLiteral("A01")).Expanded());
    // Scrolling a node into view opens its parents.
    aguas.EnsureVisible();
    EXPECT_TRUE(nodes.Item(QStringLiteral("A01")).Expanded());

    // Selection: none at first, then the node chosen by code.
    EXPECT_EQ(tree.SelectedItem(), nullptr);
    tree.setSelectedItem(&aguas);
    EXPECT_EQ(tree.SelectedItem(), &aguas);
    EXPECT_TRUE(aguas.Selected());

    // Clearing leaves nothing; the same keys can be used again.
    nodes.Clear();
    EXPECT_EQ(nodes.Count(), 0);
    EXPECT_EQ(tree.SelectedItem(), nullptr);
    EXPECT_EQ(nodes.Add(QString(), ui::tvwLast, "A", "x").Index(), 1);
}

TEST(TreeView, OldErrorNumbers)
{
    testApp();
    ui::TreeView tree;
    ui::Nodes& nodes = tree.Nodes();
    nodes.Add(nullptr, ui::tvwLast, "A", "raiz");
    struct Case {
        const char* what;
        std::function<void()> f;
        long error;
    };
    const Case cases[] = {
        {"a key used twice", [&] { nodes.Add("A", ui::tvwChild, "A", "otra"); }, 35602},
        {"unknown relative", [&] { nodes.Add("Z", ui::tvwChild, "B", "b"); }, 35601},
        {"unknown key", [&] { (void)nodes.Item(QStringLiteral("Z")); }, 35601},
        {"index 0", [&] { (void)nodes.Item(0); }, 35600},
        {"index past the end", [&] { (void)nodes.Item(2); }, 35600},
        {"nodes without keys", [&] { nodes.Add("A", ui::tvwChild, "", "1"); nodes.Add("A", ui::tvwChild, "", "2"); }, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(errorOf(c.f), c.error) << c.what;
    EXPECT_EQ(nodes.Count(), 3);  // the failed adds left nothing behind
    EXPECT_EQ(nodes.find(QStringLiteral("B")), nullptr);
}

TEST(TreeView, RelationshipsPlaceTheNode)
{
    testApp();
    struct Case {
        int relationship;
        QStringList expected;  // children of the root after adding "n" relative to "b"
    };
    const Case cases[] = {
        {ui::tvwFirst, {"n", "a", "b", "c"}},
        {ui::tvwLast, {"a", "b", "c", "n"}},
        {ui::tvwNext, {"a", "b", "n", "c"}},
        {ui::tvwPrevious, {"a", "n", "b", "c"}},
    };
    for (const Case& c : cases) {
        ui::TreeView tree;
        ui::Node& root = tree.Nodes().Add(nullptr, ui::tvwLast, "R", "R");
        for (const char* k : {"a", "b", "c"}) tree.Nodes().Add("R", ui::tvwChild, k, k);
        tree.Nodes().Add("b", c.relationship, "n", "n");
        EXPECT_EQ(childTexts(root), c.expected) << c.relationship;
        EXPECT_EQ(tree.Nodes().Item(5).Key(), "n");  // still the fifth added
    }
}

// The tree as its view shows it: texts indented by their level.
QStringList viewTexts(const QAbstractItemModel& m, const QModelIndex& parent = {}, const QString& indent = {})
{
    QStringList out;
    for (int r = 0; r < m.rowCount(parent); ++r) {
        const QModelIndex i = m.index(r, 0, parent);
        out << indent + i.data().toString();
        out << viewTexts(m, i, indent + u' ');
    }
    return out;
}

QStringList nodeTexts(const ui::Node* first, const QString& indent = {})
{
    QStringList out;
    for (const ui::Node* n = first; n; n = n->Next()) out << indent + n->Text() << nodeTexts(n->Child(), indent + u' ');
    return out;
}

TEST(TreeView, TheViewShowsEveryNodeInItsPlace)
{
    testApp();
    ui::TreeView tree;
    tree.show();
    const QAbstractItemModel& view = *tree.findChild<QTreeView*>()->model();
    ui::Nodes& nodes = tree.Nodes();
    auto shown = [&] { return viewTexts(view) == nodeTexts(&nodes.Item(1)); };
    // Each step adds nodes, then something that asks the view; it then
    // shows the whole tree in order.
    struct Step {
        const char* what;
        std::function<void()> add;
        std::function<void()> ask;
    };
    const Step steps[] = {
        {"appended at every level, then the event loop",
         [&] {
             nodes.Add(nullptr, ui::tvwLast, "R", "R").setExpanded(true);
             for (const char* k : {"a", "b"}) nodes.Add("R", ui::tvwChild, k, k);
             nodes.Add("a", ui::tvwChild, "a1", "a1");
             nodes.Add("a1", ui::tvwChild, "a11", "a11");
         },
         [] { QApplication::processEvents(); }},
        {"appended, then a place asked", [&] { nodes.Add("b", ui::tvwChild, "b1", "b1"); },
         [&] { (void)tree.nodeRect(nodes.Item(QStringLiteral("b1"))); }},
        {"appended, then put before others",
         [&] {
             nodes.Add("a1", ui::tvwChild, "a12", "a12");
             nodes.Add("a", ui::tvwFirst, "p", "p");
             nodes.Add("a12", ui::tvwPrevious, "q", "q");
         },
         [] {}},
        {"appended under a node the view has not seen, then selected",
         [&] {
             nodes.Add("R", ui::tvwChild, "c", "c");
             nodes.Add("c", ui::tvwChild, "c1", "c1");
         },
         [&] { tree.setSelectedItem(&nodes.Item(QStringLiteral("c1"))); }},
    };
    for (const Step& s : steps) {
        s.add();
        s.ask();
        EXPECT_TRUE(shown()) << s.what << ": " << viewTexts(view).join(u',').toStdString();
    }
    EXPECT_EQ(tree.SelectedItem(), &nodes.Item(QStringLiteral("c1")));
    // A text changed on a node the view already shows reaches it.
    nodes.Item(QStringLiteral("a11")).setText(QStringLiteral("cambiado"));
    EXPECT_TRUE(shown());
}

TEST(TreeView, ManyKeysAreEachFoundAgain)
{
    testApp();
    ui::TreeView tree;
    ui::Nodes& nodes = tree.Nodes();
    nodes.Add(nullptr, ui::tvwLast, "A", "A");
    for (int i = 0; i < 3000; ++i) nodes.Add("A", ui::tvwChild, QStringLiteral("k%1").arg(i), QString::number(i));
    int found = 0;
    for (int i = 0; i < 3000; ++i) found += nodes.Item(QStringLiteral("k%1").arg(i)).Text() == QString::number(i);
    EXPECT_EQ(found, 3000);
    EXPECT_EQ(nodes.find(QStringLiteral("k3000")), nullptr);
    EXPECT_EQ(errorOf([&] { nodes.Add("A", ui::tvwChild, "k1234", "again"); }), 35602);
}

TEST(TreeView, UserChecksFireNodeCheckAndCodeChecksDoNot)
{
    testApp();
    ui::TreeView tree;
    tree.setCheckboxes(true);
    ui::Nodes& nodes = tree.Nodes();
    nodes.Add(nullptr, ui::tvwLast, "A", "A").setExpanded(true);
    nodes.Add("A", ui::tvwChild, "A1", "A1");
    nodes.Add("A1", ui::tvwChild, "A11", "A11");
    nodes.Add("A", ui::tvwChild, "A2", "A2");
    // The tree lookup's handler: the branch follows the clicked node.
    std::function<void(ui::Node&)> propagate = [&](ui::Node& n) {
        for (ui::Node* c = n.Child(); c; c = c->Next()) {
            c->setChecked(n.Checked());
            propagate(*c);
        }
    };
    int events = 0;
    tree.onNodeCheck = [&](ui::Node& n) {
        ++events;
        propagate(n);
    };
    tree.show();
    tree.setSelectedItem(&nodes.Item(QStringLiteral("A")));
    QWidget* view = tree.findChild<QTreeView*>();
    sendKey(view, Qt::Key_Space, " ");
    EXPECT_EQ(events, 1);
    for (int i = 1; i <= nodes.Count(); ++i) EXPECT_TRUE(nodes.Item(i).Checked()) << i;
    sendKey(view, Qt::Key_Space, " ");
    EXPECT_EQ(events, 2);
    EXPECT_FALSE(nodes.Item(QStringLiteral("A11")).Checked());

    // A double click on a node fires DblClick.
    int dbl = 0;
    tree.onDblClick = [&] { ++dbl; };
    const QPoint at = tree.nodeRect(nodes.Item(QStringLiteral("A2"))).center();
    QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(at), QPointF(tree.viewport()->mapToGlobal(at)),
                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree.viewport(), &e);
    EXPECT_EQ(dbl, 1);
}

}  // namespace
