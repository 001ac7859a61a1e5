// The list control as the lookup windows drive it: rows in display order,
// sorting by the texts as shown, the old error numbers, selection, check
// boxes, column widths and the events.
#include "platform/ui/listview.h"

#include "platform/ui/imagelist.h"
#include "qt_app.h"

#include <QApplication>
#include <QCollator>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeView>

#include <gtest/gtest.h>

#include <numeric>

namespace {

using testutil::errorOf;

// A list of `columns` columns with one row per text, sub-item 1 = "s" + row.
struct Lista {
    struct App {
        App() { testApp(); }
    } app;
    ui::ListView list;
    explicit Lista(int columns = 3)
    {
        for (int c = 0; c < columns; ++c) list.ColumnHeaders().Add(0, {}, QStringLiteral("C%1").arg(c + 1), 1000);
        list.resize(400, 300);
    }
    void add(const QStringList& texts)
    {
        for (const QString& t : texts) {
            ui::ListItem& it = list.ListItems().Add(0, {}, t);
            if (list.ColumnHeaders().Count() > 1) it.setSubItems(1, QStringLiteral("s%1").arg(t));
        }
    }
    QStringList texts(int sub = 0) const
    {
        QStringList out;
        auto& items = const_cast<ui::ListView&>(list).ListItems();
        for (int i = 1; i <= items.Count(); ++i)
            out << (sub == 0 ? items.Item(i).Text() : items.Item(i).SubItems(sub));
        return out;
    }
    QTreeView* view() const { return list.findChild<QTreeView*>(); }
    void key(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, qtKey, mods, text);
        QApplication::sendEvent(view(), &press);
    }
};

void mouse(QWidget* w, QEvent::Type type, QPoint at)
{
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void click(QWidget* w, QPoint at)
{
    mouse(w, QEvent::MouseButtonPress, at);
    mouse(w, QEvent::MouseButtonRelease, at);
}

TEST(ListView, SortsByTheTextsAsShown)
{
    struct Case {
        const char* what;
        QStringList texts;
        int order;
        QStringList expected;
    };
    const Case cases[] = {
        {"dates sort as text", {"10/01/26", "02/03/25", "01/12/26"}, ui::lvwAscending,
         {"01/12/26", "02/03/25", "10/01/26"}},
        {"amounts sort as text", {"3", "100", "20"}, ui::lvwAscending, {"100", "20", "3"}},
        {"letter case is ignored", {"b", "C", "a"}, ui::lvwAscending, {"a", "b", "C"}},
        {"accented letters sort with their letter", {"b", "á", "a"}, ui::lvwAscending, {"a", "á", "b"}},
        {"descending", {"b", "C", "a"}, ui::lvwDescending, {"C", "b", "a"}},
        {"empty texts first", {"x", "", "a"}, ui::lvwAscending, {"", "a", "x"}},
    };
    for (const Case& c : cases) {
        Lista l;
        l.add(c.texts);
        l.list.setSortOrder(c.order);
        l.list.setSortKey(0);
        l.list.setSorted(true);
        EXPECT_EQ(l.texts(), c.expected) << c.what;
        // The sub-items travel with their rows.
        QStringList subs;
        for (const QString& t : c.expected) subs << QStringLiteral("s%1").arg(t);
        EXPECT_EQ(l.texts(1), subs) << c.what;
    }
}

// An order the caller gives (here: by length, letters ignored): texts in
// that order already stay as added, equal ones too, whichever the direction.
TEST(ListView, SortsByTheOrderGiven)
{
    struct Case {
        const char* what;
        QStringList texts;
        int order;
        QStringList expected;
    };
    const Case cases[] = {
        {"in order already, not as letters", {"zz", "aaa", "b", "bbbb"}, ui::lvwAscending, {"b", "zz", "aaa", "bbbb"}},
        {"in order, ties kept", {"b", "a", "cc", "aa"}, ui::lvwAscending, {"b", "a", "cc", "aa"}},
        {"descending in order, ties kept", {"cc", "aa", "b", "a"}, ui::lvwDescending, {"cc", "aa", "b", "a"}},
        {"one out of order", {"a", "ccc", "bb", "d"}, ui::lvwAscending, {"a", "d", "bb", "ccc"}},
        {"descending from ascending, ties kept", {"b", "a", "cc"}, ui::lvwDescending, {"cc", "b", "a"}},
    };
    for (const Case& c : cases) {
        Lista l;
        l.list.setTextOrder([](QStringView a, QStringView b) { return int(a.size() - b.size()); });
        l.add(c.texts);
        l.list.setSortOrder(c.order);
        l.list.setSorted(true);
        EXPECT_EQ(l.texts(), c.expected) << c.what;
    }
}

// Plain ASCII columns are ordered without the collator: they must come out
// as the collation orders them, punctuation and blanks included, equal
// texts in the order they were added; a text beyond ASCII sorts the whole
// column by the collation.
TEST(ListView, SortMatchesTheCollationForEveryKindOfText)
{
    QCollator collator(QLocale(QLocale::Spanish, QLocale::Spain));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const QStringList ascii = {"a-b", "a b", "A_b", "ab", "a.b", "ab ", "AB", "10", "9", "1,5", "1.5", "$5", "(x)",
                               "#1", "x/y", "x\\y", "~", "Zeta", "zeta", "", "a'b", "a\"b", "@a", "z9", "Z10"};
    QStringList mixed = ascii;
    mixed << QStringLiteral("ñandú") << QStringLiteral("nube") << QStringLiteral("Ñu") << QStringLiteral("ábaco");
    const QStringList inOrder = {"A001", "A002", "a003", "B001"};
    for (const QStringList& texts : {ascii, mixed, inOrder}) {
        for (int order : {ui::lvwAscending, ui::lvwDescending}) {
            // The expected order: by the collation, equal texts as added.
            std::vector<int> rows(size_t(texts.size()));
            std::iota(rows.begin(), rows.end(), 0);
            std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
                const int r = collator.compare(texts[a], texts[b]);
                return order == ui::lvwDescending ? r > 0 : r < 0;
            });
            QStringList expected;
            for (int r : rows) expected << QStringLiteral("s%1").arg(texts[r]);
            Lista l;
            l.add(texts);
            l.list.setSortOrder(order);
            l.list.setSorted(true);
            EXPECT_EQ(l.texts(1), expected) << texts.join(u'|').toStdString() << " order " << order;
        }
    }
}

TEST(ListView, SortKeyIndexesAndAddedItemsFollowTheOrder)
{
    Lista l;
    l.add({"1", "2", "3"});
    const QStringList subs = {"b", "c", "a"};
    for (int i = 1; i <= 3; ++i) l.list.ListItems().Item(i).setSubItems(2, subs[i - 1]);
    ui::ListItem& first = l.list.ListItems().Item(1);
    l.list.setSortKey(2);
    l.list.setSorted(true);
    EXPECT_EQ(l.texts(), QStringList({"3", "1", "2"}));
    EXPECT_EQ(first.Index(), 2);
    // Equal keys keep their order; an item added while sorted takes its place.
    l.list.ListItems().Add(0, {}, "4").setSubItems(2, "b");
    EXPECT_EQ(l.texts(), QStringList({"3", "1", "4", "2"}));
    // A changed text moves its row.
    l.list.ListItems().Item(1).setSubItems(2, "z");
    EXPECT_EQ(l.texts(), QStringList({"1", "4", "2", "3"}));
    // Sorting off keeps the rows where they are.
    l.list.setSorted(false);
    l.list.ListItems().Add(0, {}, "0").setSubItems(2, "a");
    EXPECT_EQ(l.texts().last(), "0");
}

TEST(ListView, ColumnClickSortsTheWayTheLookupsDo)
{
    Lista l;
    l.add({"b", "a", "c"});
    l.list.show();
    std::vector<int> clicked;
    // The voucher lookup's handler: flip the order, sort by the clicked column.
    l.list.onColumnClick = [&](ui::ColumnHeader& h) {
        clicked.push_back(h.Index());
        l.list.setSortOrder(l.list.SortOrder() == ui::lvwAscending ? ui::lvwDescending : ui::lvwAscending);
        l.list.setSortKey(h.Index() - 1);
        l.list.setSorted(true);
    };
    QHeaderView* header = l.view()->header();
    const QPoint first(header->sectionViewportPosition(0) + 5, header->height() / 2);
    click(header->viewport(), first);
    EXPECT_EQ(l.texts(), QStringList({"c", "b", "a"}));
    click(header->viewport(), first);
    EXPECT_EQ(l.texts(), QStringList({"a", "b", "c"}));
    EXPECT_EQ(clicked, std::vector<int>({1, 1}));
}

TEST(ListView, OldErrorNumbers)
{
    Lista l(3);
    l.add({"x"});
    ui::ListItem& it = l.list.ListItems().Item(1);
    ui::ListItems& items = l.list.ListItems();
    struct Case {
        const char* what;
        std::function<void()> f;
        long error;
    };
    const Case cases[] = {
        {"sub-item 1", [&] { it.setSubItems(1, "a"); }, 0},
        {"sub-item 2 (last column)", [&] { (void)it.SubItems(2); }, 0},
        {"sub-item at the column count", [&] { it.setSubItems(3, "a"); }, 380},
        {"reading it too", [&] { (void)it.SubItems(3); }, 380},
        {"its cell", [&] { it.ListSubItems(3).setBold(true); }, 380},
        {"sub-item 0", [&] { (void)it.SubItems(0); }, 380},
        {"item 0", [&] { (void)items.Item(0); }, 35600},
        {"item past the end", [&] { (void)items.Item(2); }, 35600},
        {"unknown key", [&] { (void)items.Item(QStringLiteral("k")); }, 35601},
        {"column past the end", [&] { (void)l.list.ColumnHeaders().Item(4); }, 35600},
        {"key used twice", [&] { items.Add(0, "k"); items.Add(0, "k"); }, 35602},
    };
    for (const Case& c : cases) EXPECT_EQ(errorOf(c.f), c.error) << c.what;
    EXPECT_EQ(items.Count(), 2);  // the second "k" was not added
    EXPECT_EQ(items.Item(QStringLiteral("k")).Index(), 2);
    // Without columns there is no sub-item at all.
    Lista noColumns(0);
    ui::ListView& bare = noColumns.list;
    EXPECT_EQ(errorOf([&] { bare.ListItems().Add().setSubItems(1, "a"); }), 380);
}

TEST(ListView, SelectedItemMayBeNone)
{
    Lista l;
    EXPECT_EQ(l.list.SelectedItem(), nullptr);
    l.add({"c", "a", "b"});
    // The first row added to an empty list is the selected one.
    ASSERT_NE(l.list.SelectedItem(), nullptr);
    EXPECT_EQ(l.list.SelectedItem()->Text(), "c");
    l.list.setSelectedItem(nullptr);
    EXPECT_EQ(l.list.SelectedItem(), nullptr);

    ui::ListItem& b = l.list.ListItems().Item(3);
    l.list.setSelectedItem(&b);
    EXPECT_TRUE(b.Selected());
    EXPECT_FALSE(l.list.ListItems().Item(1).Selected());
    // Sorting keeps the same item selected.
    l.list.setSorted(true);
    EXPECT_EQ(l.list.SelectedItem(), &b);
    EXPECT_EQ(b.Index(), 2);
    // Without MultiSelect selecting another replaces it; with it both stay.
    l.list.ListItems().Item(1).setSelected(true);
    EXPECT_FALSE(b.Selected());
    l.list.setMultiSelect(true);
    b.setSelected(true);
    EXPECT_TRUE(l.list.ListItems().Item(1).Selected());
    EXPECT_EQ(l.list.SelectedItem(), &b);  // the current one
    l.list.ListItems().Clear();
    EXPECT_EQ(l.list.SelectedItem(), nullptr);
    EXPECT_EQ(l.list.ListItems().Count(), 0);
}

TEST(ListView, CheckBoxesKeysAndDoubleClick)
{
    Lista l;
    l.add({"a", "b"});
    l.list.setCheckboxes(true);
    l.list.show();
    std::vector<QString> checkedByUser;
    l.list.onItemCheck = [&](ui::ListItem& it) { checkedByUser.push_back(it.Text()); };
    // Code sets checks without the event; Space toggles the selected row's.
    l.list.ListItems().Item(2).setChecked(true);
    l.key(Qt::Key_Space, Qt::NoModifier, " ");
    EXPECT_TRUE(l.list.ListItems().Item(1).Checked());
    EXPECT_EQ(checkedByUser, std::vector<QString>({"a"}));

    // KeyDown gets the old key codes; a handler that clears the code keeps
    // the list from acting on the key.
    std::vector<std::pair<int, int>> keys;
    l.list.onKeyDown = [&](int& code, int shift) {
        keys.push_back({code, shift});
        if (code == 40) code = 0;
    };
    l.key(Qt::Key_Return);
    l.key(Qt::Key_Insert, Qt::ShiftModifier);
    l.key(Qt::Key_Down);
    EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{{13, 0}, {45, 1}, {40, 0}}));
    EXPECT_EQ(l.list.SelectedItem()->Text(), "a");

    // A double click fires DblClick and never opens an editor on the text.
    int dbl = 0;
    l.list.onDblClick = [&] { ++dbl; };
    const QPoint cell = l.list.cellRect(1, 0).center();
    mouse(l.list.viewport(), QEvent::MouseButtonPress, cell);
    mouse(l.list.viewport(), QEvent::MouseButtonRelease, cell);
    mouse(l.list.viewport(), QEvent::MouseButtonDblClick, cell);
    l.key(Qt::Key_F2);
    EXPECT_EQ(dbl, 1);
    EXPECT_EQ(l.list.findChild<QLineEdit*>(), nullptr);
    EXPECT_EQ(l.list.ListItems().Item(2).Text(), "b");
}

TEST(ListView, ColumnWidthsInTwipsAndUserDrags)
{
    Lista l(3);
    ui::ColumnHeaders& cols = l.list.ColumnHeaders();
    std::vector<double> dragged;
    l.list.onColumnResize = [&](ui::ColumnHeader& h) { dragged.push_back(h.Width()); };
    cols.Item(1).setWidth(1234.5);  // a text width may be fractional
    cols.Item(2).setWidth(0);
    EXPECT_DOUBLE_EQ(cols.Item(1).Width(), 1234.5);
    EXPECT_DOUBLE_EQ(cols.Item(3).Left(), 1234.5);
    EXPECT_EQ(l.view()->header()->sectionSize(0), 82);
    EXPECT_TRUE(dragged.empty());  // code set them
    // The user drags the border of column 3 to 100 pixels.
    l.view()->header()->resizeSection(2, 100);
    EXPECT_EQ(dragged, std::vector<double>({1500}));
    EXPECT_DOUBLE_EQ(cols.Item(3).Width(), 1500);
    // Default width, insertion by position, clearing.
    EXPECT_DOUBLE_EQ(cols.Add(1, "k", "Primera").Width(), 1440);
    EXPECT_EQ(cols.Item(2).Text(), "C1");
    EXPECT_EQ(cols.Item(QStringLiteral("k")).Index(), 1);
    cols.Clear();
    EXPECT_EQ(cols.Count(), 0);
}

TEST(ListView, CellLooksAndIcons)
{
    Lista l(3);
    ui::ImageList images;
    QPixmap red(16, 16);
    red.fill(Qt::red);
    images.ListImages().Add(0, "a", QPixmap(16, 16));
    images.ListImages().Add(0, "b", red).setTag("FC");
    l.list.setSmallIcons(&images);
    ui::ListItem& it = l.list.ListItems().Add(0, {}, "x", 2, 2);
    ui::ListItem& none = l.list.ListItems().Add(0, {}, "y", 0, 7);
    it.ListSubItems(2).setBold(true);
    it.ListSubItems(2).setForeColor(33023);
    it.setSubItems(2, "nota");
    const QAbstractItemModel* m = l.view()->model();
    auto cell = [&](int row, int col, int role) { return m->data(m->index(row, col), role); };
    EXPECT_EQ(cell(0, 2, Qt::DisplayRole).toString(), "nota");
    EXPECT_TRUE(cell(0, 2, Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(cell(0, 1, Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(cell(0, 2, Qt::ForegroundRole).value<QBrush>().color(), QColor(0xFF, 0x80, 0x00));
    EXPECT_EQ(it.ListSubItems(2).ForeColor(), 33023);
    EXPECT_EQ(cell(0, 0, Qt::DecorationRole).value<QPixmap>().toImage().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_TRUE(cell(1, 0, Qt::DecorationRole).isNull());  // index beyond the images: no icon
    EXPECT_EQ(none.SmallIcon(), 7);
    EXPECT_EQ(images.ListImages().Item(2).Tag(), "FC");
    EXPECT_EQ(images.ListImages().Item(QStringLiteral("b")).Index(), 2);
}

}  // namespace
