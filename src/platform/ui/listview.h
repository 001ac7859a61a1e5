#pragma once
// The list control in report view: rows of an item text and sub-items under
// column headers, with check boxes, icons from an image list, bold or
// coloured cells and sorting by the texts as shown.
//
//   ui::ListView list;
//   list.ColumnHeaders().Add(0, "", "Fecha", 1200);
//   list.ColumnHeaders().Add(0, "", "Numero", 1500);
//   ui::ListItem& it = list.ListItems().Add();
//   it.setText("01/02/26");
//   it.setSubItems(1, "A0001");
//   it.ListSubItems(1).setBold(true);
//   ui::ListItem* sel = list.SelectedItem();   // nullptr when none
//
// The items live in a model of the list's own (no widget item per row), so
// a list of 100,000 rows fills quickly. Items and column headers keep their
// address until they are removed or the collection is cleared; an item's
// Index is its 1-based position in the current display order.
//
// Errors as the old control raised them (legacy::VbError): a sub-item index
// at or beyond the column count, or below 1, raises 380; an item or column
// index out of range raises 35600; an unknown key 35601; a key already in
// use 35602.
//
// Item texts can never be edited in place (the suite's windows cancel every
// label edit, so the list does not offer it).
#include "platform/ui/colors.h"
#include "platform/ui/controlsupport.h"

#include <QElapsedTimer>
#include <QFont>
#include <QHash>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace ui {

class ImageList;
class ListView;
class ListItem;
class ListViewModel;
class ListViewTree;

enum ListViewConstants : int { lvwIcon = 0, lvwSmallIcon = 1, lvwList = 2, lvwReport = 3 };
enum ListSortOrderConstants : int { lvwAscending = 0, lvwDescending = 1 };
enum ListColumnAlignmentConstants : int { lvwColumnLeft = 0, lvwColumnRight = 1, lvwColumnCenter = 2 };

// One cell of an item: index 0 is the item's own text, 1.. its sub-items.
// A light handle: keep the item, not the handle, across Adds and Clears.
class ListSubItem {
public:
    int Index() const { return index_; }
    QString Text() const;
    void setText(const QString& text);
    // The cell's text colour (BGR); the list's fore colour until set.
    VbColor ForeColor() const;
    void setForeColor(VbColor color);
    bool Bold() const;
    void setBold(bool bold);

private:
    friend class ListItem;
    ListSubItem(ListItem* item, int index) : item_(item), index_(index) {}
    ListItem* item_;
    int index_;
};

class ListItem {
public:
    ListItem(const ListItem&) = delete;
    ListItem& operator=(const ListItem&) = delete;
    ~ListItem();

    // 1-based position in the display order (sorting changes it).
    int Index() const;
    const QString& Key() const { return key_; }
    QString Text() const;
    void setText(const QString& text);
    // Sub-item i (1-based); 380 unless 1 <= i < ColumnHeaders().Count().
    QString SubItems(int index) const;
    void setSubItems(int index, const QString& text);
    // The cell of sub-item i (380 as above), for ForeColor and Bold.
    ListSubItem ListSubItems(int index);
    // The item's own text colour and weight (the first column's cell).
    VbColor ForeColor() const;
    void setForeColor(VbColor color);
    bool Bold() const;
    void setBold(bool bold);

    bool Checked() const { return checked_; }
    void setChecked(bool checked);
    bool Selected() const;
    void setSelected(bool selected);
    // 1-based indexes into the list's Icons / SmallIcons image lists; 0: none.
    int Icon() const { return icon_; }
    void setIcon(int index);
    int SmallIcon() const { return smallIcon_; }
    void setSmallIcon(int index);
    // Scrolls the list so that this item is visible.
    void EnsureVisible();

    ListView* listView() const { return list_; }

private:
    friend class ListItems;
    friend class ListSubItem;
    friend class ListView;
    friend class ListViewModel;
    struct Cell {
        QString text;
        VbColor foreColor = 0;
        bool hasForeColor = false;
        bool bold = false;
    };
    ListItem(ListView* list, const QString& key);
    Cell& cell(int index);                 // grows the cells, no range check
    const Cell* cellIf(int index) const;   // nullptr when never written
    void checkSubIndex(int index) const;   // raises 380
    void changed(int column);

    ListView* list_;
    QString key_;
    std::vector<Cell> cells_;  // [0] is the item text
    int row_ = -1;             // display row, kept by the list
    int icon_ = 0;
    int smallIcon_ = 0;
    bool checked_ = false;
};

class ListItems {
public:
    // Adds an item at 1-based display position `index` (0 appends; with
    // sorting on, the list places it by its text afterwards). `key` "" means
    // no key.
    ListItem& Add(int index = 0, const QString& key = {}, const QString& text = {}, int icon = 0,
                  int smallIcon = 0);
    void Clear();
    int Count() const;
    // 1-based, in display order.
    ListItem& Item(int index) const;
    ListItem& Item(const QString& key) const;
    void Remove(int index);

private:
    friend class ListView;
    explicit ListItems(ListView* list) : list_(list) {}
    ListView* list_;
};

class ColumnHeader {
public:
    ColumnHeader(const ColumnHeader&) = delete;
    ColumnHeader& operator=(const ColumnHeader&) = delete;

    int Index() const { return index_; }  // 1-based
    const QString& Key() const { return key_; }
    // The sub-item index the column shows (Index - 1).
    int SubItemIndex() const { return index_ - 1; }
    QString Text() const { return text_; }
    void setText(const QString& text);
    // In twips. A drag of the column border by the user changes it.
    double Width() const { return width_; }
    void setWidth(double twips);
    // Position of the column's left edge within the list's rows, in twips.
    double Left() const;
    int Alignment() const { return alignment_; }
    void setAlignment(int alignment);

private:
    friend class ColumnHeaders;
    friend class ListView;
    friend class ListViewModel;
    ColumnHeader(ListView* list, const QString& key, const QString& text, double width, int alignment);
    ListView* list_;
    int index_ = 0;
    QString key_;
    QString text_;
    double width_;
    int alignment_;
};

class ColumnHeaders {
public:
    // Adds a column at 1-based `index` (0 appends). A width below 0 gives the
    // old control's default width of 1440 twips.
    ColumnHeader& Add(int index = 0, const QString& key = {}, const QString& text = {}, double width = -1,
                      int alignment = lvwColumnLeft);
    void Clear();
    int Count() const;
    ColumnHeader& Item(int index) const;
    ColumnHeader& Item(const QString& key) const;
    void Remove(int index);

private:
    friend class ListView;
    explicit ColumnHeaders(ListView* list) : list_(list) {}
    ListView* list_;
};

class ListView : public ControlWidget {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);
    ~ListView() override;

    ui::ListItems& ListItems() { return items_; }
    ui::ColumnHeaders& ColumnHeaders() { return headers_; }

    // The selected item (the current one when it is selected, else the first
    // selected in display order); nullptr when nothing is selected. As in the
    // old control, the first item added to an empty list becomes the
    // selected one; setSelectedItem(nullptr) leaves the list with none.
    ListItem* SelectedItem() const;
    // Selects the item (only it, unless MultiSelect) and makes it current;
    // nullptr clears the selection.
    void setSelectedItem(ListItem* item);

    int View() const { return view_; }
    void setView(int view);  // only the report view is drawn
    bool Checkboxes() const { return checkboxes_; }
    void setCheckboxes(bool on);
    bool Sorted() const { return sorted_; }
    // Turning sorting on sorts at once and keeps the list sorted as items
    // are added or their texts change.
    void setSorted(bool on);
    // The sub-item index sorted by (0: the item text).
    int SortKey() const { return sortKey_; }
    void setSortKey(int key);
    int SortOrder() const { return sortOrder_; }
    void setSortOrder(int order);
    // The order the texts sort in (below, at or above 0); none: the
    // collation of the suite's language, without regard to case.
    using TextOrder = std::function<int(QStringView, QStringView)>;
    void setTextOrder(TextOrder order);
    bool MultiSelect() const { return multiSelect_; }
    void setMultiSelect(bool on);
    bool FullRowSelect() const { return fullRowSelect_; }
    void setFullRowSelect(bool on);
    bool GridLines() const { return gridLines_; }
    void setGridLines(bool on);
    // When true (the default) the selection is not shown while the list has
    // no focus.
    bool HideSelection() const { return hideSelection_; }
    void setHideSelection(bool on);
    // The list's font: font() / setFont() of the widget.
    QFont Font() const { return font(); }
    VbColor ForeColor() const { return foreColor_; }
    void setForeColor(VbColor color);

    ImageList* SmallIcons() const { return smallIcons_; }
    void setSmallIcons(ImageList* images);
    ImageList* Icons() const { return icons_; }
    void setIcons(ImageList* images);

    // Left, Top, Width, Height (twips), Name and SetFocus: ControlWidget.
    void Refresh();

    // Events.
    std::function<void(ColumnHeader&)> onColumnClick;
    std::function<void(int& KeyCode, int Shift)> onKeyDown;
    std::function<void(int& KeyAscii)> onKeyPress;
    std::function<void()> onClick;
    std::function<void()> onDblClick;
    // The user checked or unchecked an item (not fired when code sets Checked).
    std::function<void(ListItem&)> onItemCheck;
    // The user dragged a column border; the header's Width is already the new one.
    std::function<void(ColumnHeader&)> onColumnResize;

    // The view inside, for tests that click or look at it.
    QWidget* viewport() const;
    // The on-screen rectangle of a cell (display row 0-based, column 0-based),
    // in viewport() coordinates.
    QRect cellRect(int row, int column) const;
    // Twips a cell of column `column` (1-based) needs to show `text` whole in
    // the list's font: the cell's margins, and in the first column the
    // check box and the small icon beside the text.
    double CellWidth(int column, const QString& text) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    friend class ListItem;
    friend class ListItems;
    friend class ListSubItem;
    friend class ColumnHeader;
    friend class ColumnHeaders;
    friend class ListViewModel;
    friend class ListViewTree;

    void itemChanged(ListItem* item, int column);
    void announceRows() const;
    void announceSoon();
    void resortSoon();
    void ensureSorted() const;
    void sortNow();
    void renumberRows(int from);
    void syncColumns();
    void applyColumnWidth(ColumnHeader* header);
    void applySelectionMode();
    void headerResized(int section, int oldSize, int newSize);

    ui::ListItems items_;
    ui::ColumnHeaders headers_;
    std::vector<std::unique_ptr<ListItem>> rows_;   // in display order
    std::vector<std::unique_ptr<ColumnHeader>> columns_;
    QHash<QString, ListItem*> keys_;
    ListViewModel* model_;
    ListViewTree* tree_;
    ImageList* smallIcons_ = nullptr;
    ImageList* icons_ = nullptr;
    int view_ = lvwReport;
    int sortKey_ = 0;
    int sortOrder_ = lvwAscending;
    TextOrder textOrder_;
    VbColor foreColor_ = vbWindowText;
    bool checkboxes_ = false;
    bool sorted_ = false;
    bool sortPending_ = false;
    // Rows appended since the view last heard of them are announced to it in
    // one go, at most every few hundredths of a second while a fill goes on
    // (and at once before anything that needs their model position or a
    // picture of the list), so that a fill costs little more than storing
    // the texts, also with a yield after every row.
    int announced_ = 0;
    bool announcePending_ = false;
    mutable QElapsedTimer lastAnnounce_;
    bool multiSelect_ = false;
    bool fullRowSelect_ = false;
    bool gridLines_ = false;
    bool hideSelection_ = true;
    bool settingWidth_ = false;
};

}  // namespace ui
