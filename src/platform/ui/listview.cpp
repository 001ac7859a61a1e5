// The list control in report view over a model of its own.
#include "platform/ui/listview.h"

#include "platform/ui/controlsupport.h"
#include "platform/ui/imagelist.h"

#include <QAbstractItemModel>
#include <QCollator>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <numeric>

namespace ui {

// ---------------------------------------------------------------- model

class ListViewModel : public QAbstractItemModel {
public:
    explicit ListViewModel(ListView* list) : QAbstractItemModel(list), list_(list) {}

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override
    {
        if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
            return {};
        return createIndex(row, column);
    }
    QModelIndex parent(const QModelIndex&) const override { return {}; }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : list_->announced_;
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(list_->columns_.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid()) return {};
        const ListItem& item = *list_->rows_[size_t(index.row())];
        const ListItem::Cell* cell = item.cellIf(index.column());
        switch (role) {
        case Qt::DisplayRole:
            return cell ? cell->text : QString();
        case Qt::ForegroundRole:
            return QBrush(toQColor(cell && cell->hasForeColor ? cell->foreColor : list_->foreColor_));
        case Qt::FontRole:
            if (cell && cell->bold) {
                QFont f = list_->font();
                f.setBold(true);
                return f;
            }
            return {};
        case Qt::CheckStateRole:
            if (index.column() == 0 && list_->checkboxes_) return item.checked_ ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::DecorationRole:
            if (index.column() == 0 && list_->smallIcons_ && item.smallIcon_ > 0) {
                const QPixmap p = list_->smallIcons_->picture(item.smallIcon_);
                if (!p.isNull()) return p;
            }
            return {};
        case Qt::TextAlignmentRole:
            return alignment(index.column());
        }
        return {};
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        if (!index.isValid() || role != Qt::CheckStateRole || index.column() != 0) return false;
        ListItem& item = *list_->rows_[size_t(index.row())];
        item.checked_ = value.toInt() == Qt::Checked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        if (list_->onItemCheck) list_->onItemCheck(item);
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid()) return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
        if (index.column() == 0 && list_->checkboxes_) f |= Qt::ItemIsUserCheckable;
        return f;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
        if (role == Qt::DisplayRole) return list_->columns_[size_t(section)]->text_;
        if (role == Qt::TextAlignmentRole) return alignment(section);
        return {};
    }

    int alignment(int column) const
    {
        // The first column is always left-aligned, as in the old control.
        const int a = column > 0 && column < columnCount() ? list_->columns_[size_t(column)]->alignment_
                                                           : lvwColumnLeft;
        const int h = a == lvwColumnRight ? Qt::AlignRight : a == lvwColumnCenter ? Qt::AlignHCenter : Qt::AlignLeft;
        return h | Qt::AlignVCenter;
    }

    // The model's notifications, for the list.
    using QAbstractItemModel::beginInsertRows;
    using QAbstractItemModel::beginRemoveRows;
    using QAbstractItemModel::beginResetModel;
    using QAbstractItemModel::changePersistentIndex;
    using QAbstractItemModel::endInsertRows;
    using QAbstractItemModel::endRemoveRows;
    using QAbstractItemModel::endResetModel;
    using QAbstractItemModel::persistentIndexList;
    void columnsChanged()
    {
        beginResetModel();
        endResetModel();
    }
    void cellChanged(int row, int column)
    {
        if (row >= list_->announced_) return;  // the view has not seen the row yet
        const QModelIndex i = index(row, column);
        if (i.isValid()) emit dataChanged(i, i);
    }

private:
    ListView* list_;
};

// ---------------------------------------------------------------- view

namespace {

// Draws the selection over the first cell only, unless FullRowSelect.
class ListDelegate : public QStyledItemDelegate {
public:
    ListDelegate(ListView* list, QObject* parent) : QStyledItemDelegate(parent), list_(list) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() > 0 && !list_->FullRowSelect()) option->state &= ~QStyle::State_Selected;
    }

private:
    ListView* list_;
};

}  // namespace

class ListViewTree : public QTreeView {
public:
    explicit ListViewTree(ListView* list) : QTreeView(list), list_(list)
    {
        setRootIsDecorated(false);
        setUniformRowHeights(true);
        setItemsExpandable(false);
        setExpandsOnDoubleClick(false);
        setEditTriggers(QAbstractItemView::NoEditTriggers);  // no label editing
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setAllColumnsShowFocus(true);
        setTextElideMode(Qt::ElideRight);
        setItemDelegate(new ListDelegate(list, this));
        header()->setStretchLastSection(false);
        header()->setSectionsMovable(false);
        header()->setSectionsClickable(true);
        header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        QPointer<ListView> guard(list_);
        if (runKeyHandlers(*event, list_->onKeyDown, list_->onKeyPress) || !guard) return;
        QTreeView::keyPressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QPointer<ListView> guard(list_);
        QTreeView::mouseReleaseEvent(event);
        if (guard && event->button() == Qt::LeftButton && list_->onClick) list_->onClick();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        QPointer<ListView> guard(list_);
        QTreeView::mouseDoubleClickEvent(event);
        if (guard && event->button() == Qt::LeftButton && list_->onDblClick) list_->onDblClick();
    }
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QTreeView::drawRow(painter, option, index);
        if (!list_->GridLines()) return;
        painter->save();
        painter->setPen(palette().color(QPalette::Midlight));
        const QRect r = option.rect;
        painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        for (int c = 0; c < header()->count(); ++c) {
            const int x = columnViewportPosition(c) + columnWidth(c) - 1;
            painter->drawLine(x, r.top(), x, r.bottom());
        }
        painter->restore();
    }

public:
    // Pixels a cell of the 0-based column needs for `text`, measured as the
    // cells' own delegate measures them.
    int cellWidth(int column, const QString& text) const
    {
        QStyleOptionViewItem o;
        initViewItemOption(&o);
        o.features |= QStyleOptionViewItem::HasDisplay;
        o.text = text;
        if (column == 0 && list_->Checkboxes()) o.features |= QStyleOptionViewItem::HasCheckIndicator;
        if (column == 0 && list_->SmallIcons()) {
            o.features |= QStyleOptionViewItem::HasDecoration;
            o.decorationSize = iconSize();
        }
        return style()->sizeFromContents(QStyle::CT_ItemViewItem, &o, QSize(), this).width();
    }

private:
    ListView* list_;
};

// ---------------------------------------------------------------- cells

QString ListSubItem::Text() const
{
    const ListItem::Cell* c = item_->cellIf(index_);
    return c ? c->text : QString();
}

void ListSubItem::setText(const QString& text)
{
    item_->cell(index_).text = text;
    item_->changed(index_);
}

VbColor ListSubItem::ForeColor() const
{
    const ListItem::Cell* c = item_->cellIf(index_);
    return c && c->hasForeColor ? c->foreColor : item_->list_->ForeColor();
}

void ListSubItem::setForeColor(VbColor color)
{
    ListItem::Cell& c = item_->cell(index_);
    c.foreColor = color;
    c.hasForeColor = true;
    item_->changed(index_);
}

bool ListSubItem::Bold() const
{
    const ListItem::Cell* c = item_->cellIf(index_);
    return c && c->bold;
}

void ListSubItem::setBold(bool bold)
{
    item_->cell(index_).bold = bold;
    item_->changed(index_);
}

// ---------------------------------------------------------------- items

ListItem::ListItem(ListView* list, const QString& key) : list_(list), key_(key) {}

ListItem::~ListItem() = default;

ListItem::Cell& ListItem::cell(int index)
{
    if (size_t(index) >= cells_.size()) cells_.resize(size_t(index) + 1);
    return cells_[size_t(index)];
}

const ListItem::Cell* ListItem::cellIf(int index) const
{
    return size_t(index) < cells_.size() ? &cells_[size_t(index)] : nullptr;
}

void ListItem::checkSubIndex(int index) const
{
    if (index < 1 || index >= int(list_->columns_.size())) raiseControlError(errInvalidPropertyValue);
}

void ListItem::changed(int column)
{
    list_->itemChanged(this, column);
}

int ListItem::Index() const
{
    list_->ensureSorted();
    return row_ + 1;
}

QString ListItem::Text() const
{
    return ListSubItem(const_cast<ListItem*>(this), 0).Text();
}

void ListItem::setText(const QString& text)
{
    ListSubItem(this, 0).setText(text);
}

QString ListItem::SubItems(int index) const
{
    checkSubIndex(index);
    return ListSubItem(const_cast<ListItem*>(this), index).Text();
}

void ListItem::setSubItems(int index, const QString& text)
{
    checkSubIndex(index);
    ListSubItem(this, index).setText(text);
}

ListSubItem ListItem::ListSubItems(int index)
{
    checkSubIndex(index);
    return ListSubItem(this, index);
}

VbColor ListItem::ForeColor() const
{
    return ListSubItem(const_cast<ListItem*>(this), 0).ForeColor();
}

void ListItem::setForeColor(VbColor color)
{
    ListSubItem(this, 0).setForeColor(color);
}

bool ListItem::Bold() const
{
    return ListSubItem(const_cast<ListItem*>(this), 0).Bold();
}

void ListItem::setBold(bool bold)
{
    ListSubItem(this, 0).setBold(bold);
}

void ListItem::setChecked(bool checked)
{
    if (checked_ == checked) return;
    checked_ = checked;
    list_->model_->cellChanged(row_, 0);
}

bool ListItem::Selected() const
{
    list_->announceRows();
    return list_->tree_->selectionModel()->isRowSelected(row_, QModelIndex());
}

void ListItem::setSelected(bool selected)
{
    if (selected) {
        list_->setSelectedItem(this);
        return;
    }
    list_->announceRows();
    QItemSelectionModel* sel = list_->tree_->selectionModel();
    sel->select(list_->model_->index(row_, 0),
                QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

void ListItem::setIcon(int index)
{
    icon_ = index;
}

void ListItem::setSmallIcon(int index)
{
    smallIcon_ = index;
    list_->model_->cellChanged(row_, 0);
}

void ListItem::EnsureVisible()
{
    list_->ensureSorted();
    list_->announceRows();
    list_->tree_->scrollTo(list_->model_->index(row_, 0));
}

// ---------------------------------------------------------------- collections

ListItem& ListItems::Add(int index, const QString& key, const QString& text, int icon, int smallIcon)
{
    ListView& l = *list_;
    const int count = int(l.rows_.size());
    if (index < 0 || index > count + 1) raiseControlError(errIndexOutOfBounds);
    if (!key.isEmpty() && l.keys_.contains(key)) raiseControlError(errKeyNotUnique);
    if (index != 0) {
        l.ensureSorted();
        l.announceRows();
    }
    const int row = index == 0 ? count : index - 1;
    auto item = std::unique_ptr<ListItem>(new ListItem(list_, key));
    ListItem& added = *item;
    if (!text.isEmpty()) item->cell(0).text = text;
    item->icon_ = icon;
    item->smallIcon_ = smallIcon;
    item->row_ = row;
    if (row == count) {
        l.rows_.push_back(std::move(item));
        l.announceSoon();
    } else {
        l.model_->beginInsertRows({}, row, row);
        l.rows_.insert(l.rows_.begin() + row, std::move(item));
        l.renumberRows(row + 1);
        ++l.announced_;
        l.model_->endInsertRows();
    }
    if (!key.isEmpty()) l.keys_.insert(key, &added);
    // The first item of an empty list becomes the selected one, as in the
    // old control; setSelectedItem(nullptr) takes the selection away.
    if (count == 0) l.setSelectedItem(&added);
    if (l.sorted_) l.resortSoon();
    return added;
}

void ListItems::Clear()
{
    ListView& l = *list_;
    if (l.rows_.empty()) return;
    l.model_->beginResetModel();
    l.rows_.clear();
    l.announced_ = 0;
    l.keys_.clear();
    l.sortPending_ = false;
    l.model_->endResetModel();
}

int ListItems::Count() const
{
    return int(list_->rows_.size());
}

ListItem& ListItems::Item(int index) const
{
    list_->ensureSorted();
    if (index < 1 || index > Count()) raiseControlError(errIndexOutOfBounds);
    return *list_->rows_[size_t(index - 1)];
}

ListItem& ListItems::Item(const QString& key) const
{
    if (ListItem* item = list_->keys_.value(key)) return *item;
    raiseControlError(errElementNotFound);
}

void ListItems::Remove(int index)
{
    Item(index);
    ListView& l = *list_;
    l.announceRows();
    const int row = index - 1;
    l.model_->beginRemoveRows({}, row, row);
    l.keys_.remove(l.rows_[size_t(row)]->key_);
    l.rows_.erase(l.rows_.begin() + row);
    l.renumberRows(row);
    --l.announced_;
    l.model_->endRemoveRows();
}

ColumnHeader::ColumnHeader(ListView* list, const QString& key, const QString& text, double width, int alignment)
    : list_(list), key_(key), text_(text), width_(width), alignment_(alignment)
{
}

void ColumnHeader::setText(const QString& text)
{
    text_ = text;
    emit list_->model_->headerDataChanged(Qt::Horizontal, index_ - 1, index_ - 1);
}

void ColumnHeader::setWidth(double twips)
{
    width_ = std::max(0.0, twips);
    list_->applyColumnWidth(this);
}

double ColumnHeader::Left() const
{
    double left = 0;
    for (int i = 0; i < index_ - 1; ++i) left += list_->columns_[size_t(i)]->width_;
    return left;
}

void ColumnHeader::setAlignment(int alignment)
{
    alignment_ = alignment;
    emit list_->model_->headerDataChanged(Qt::Horizontal, index_ - 1, index_ - 1);
    list_->tree_->viewport()->update();
}

ColumnHeader& ColumnHeaders::Add(int index, const QString& key, const QString& text, double width, int alignment)
{
    ListView& l = *list_;
    const int count = Count();
    if (index < 0 || index > count + 1) raiseControlError(errIndexOutOfBounds);
    if (!key.isEmpty())
        for (const auto& c : l.columns_)
            if (c->key_ == key) raiseControlError(errKeyNotUnique);
    auto header = std::unique_ptr<ColumnHeader>(new ColumnHeader(list_, key, text, width < 0 ? 1440 : width,
                                                                 alignment));
    ColumnHeader& added = *header;
    l.columns_.insert(index == 0 ? l.columns_.end() : l.columns_.begin() + (index - 1), std::move(header));
    l.syncColumns();
    return added;
}

void ColumnHeaders::Clear()
{
    list_->columns_.clear();
    list_->syncColumns();
}

int ColumnHeaders::Count() const
{
    return int(list_->columns_.size());
}

ColumnHeader& ColumnHeaders::Item(int index) const
{
    if (index < 1 || index > Count()) raiseControlError(errIndexOutOfBounds);
    return *list_->columns_[size_t(index - 1)];
}

ColumnHeader& ColumnHeaders::Item(const QString& key) const
{
    if (!key.isEmpty())
        for (const auto& c : list_->columns_)
            if (c->key_ == key) return *c;
    raiseControlError(errElementNotFound);
}

void ColumnHeaders::Remove(int index)
{
    Item(index);
    list_->columns_.erase(list_->columns_.begin() + (index - 1));
    list_->syncColumns();
}

// ---------------------------------------------------------------- list

ListView::ListView(QWidget* parent)
    : ControlWidget(parent), items_(this), headers_(this), model_(new ListViewModel(this)), tree_(new ListViewTree(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tree_);
    // Opaque, so that a repaint inside the view (its scroll bars while a
    // fill goes on) does not repaint the list around it.
    tree_->setAutoFillBackground(true);
    tree_->setModel(model_);
    setFocusProxy(tree_);
    applySelectionMode();
    setHideSelection(true);
    connect(tree_->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= 0 && section < int(columns_.size()) && onColumnClick) onColumnClick(*columns_[size_t(section)]);
    });
    connect(tree_->header(), &QHeaderView::sectionResized, this,
            [this](int section, int oldSize, int newSize) { headerResized(section, oldSize, newSize); });
}

ListView::~ListView()
{
    // The view goes first, so that it asks nothing of the items being freed.
    delete tree_;
    tree_ = nullptr;
}

ListItem* ListView::SelectedItem() const
{
    const QItemSelectionModel* sel = tree_->selectionModel();
    const QModelIndex current = sel->currentIndex();
    if (current.isValid() && sel->isRowSelected(current.row(), QModelIndex()))
        return rows_[size_t(current.row())].get();
    int best = -1;
    for (const QModelIndex& i : sel->selectedRows())
        if (best < 0 || i.row() < best) best = i.row();
    return best >= 0 ? rows_[size_t(best)].get() : nullptr;
}

void ListView::setSelectedItem(ListItem* item)
{
    QItemSelectionModel* sel = tree_->selectionModel();
    if (!item || item->list_ != this) {
        sel->clearSelection();
        return;
    }
    announceRows();
    const QModelIndex i = model_->index(item->row_, 0);
    QItemSelectionModel::SelectionFlags how = QItemSelectionModel::Select | QItemSelectionModel::Rows;
    if (!multiSelect_) how |= QItemSelectionModel::Clear;
    sel->setCurrentIndex(i, how);
}

void ListView::setView(int view)
{
    view_ = view;
}

void ListView::setCheckboxes(bool on)
{
    if (checkboxes_ == on) return;
    checkboxes_ = on;
    if (announced_ > 0) emit model_->dataChanged(model_->index(0, 0), model_->index(announced_ - 1, 0));
}

void ListView::setSorted(bool on)
{
    sorted_ = on;
    if (on) sortNow();
}

void ListView::setSortKey(int key)
{
    sortKey_ = std::max(0, key);
    if (sorted_) sortNow();
}

void ListView::setSortOrder(int order)
{
    sortOrder_ = order == lvwDescending ? lvwDescending : lvwAscending;
    if (sorted_) sortNow();
}

void ListView::setTextOrder(TextOrder order)
{
    textOrder_ = std::move(order);
    if (sorted_) sortNow();
}

void ListView::setMultiSelect(bool on)
{
    multiSelect_ = on;
    applySelectionMode();
}

void ListView::setFullRowSelect(bool on)
{
    fullRowSelect_ = on;
    tree_->viewport()->update();
}

void ListView::setGridLines(bool on)
{
    gridLines_ = on;
    tree_->viewport()->update();
}

void ListView::setHideSelection(bool on)
{
    hideSelection_ = on;
    applyHideSelection(tree_, palette(), on);
}

void ListView::setForeColor(VbColor color)
{
    foreColor_ = color;
    tree_->viewport()->update();
}

void ListView::setSmallIcons(ImageList* images)
{
    smallIcons_ = images;
    if (images) tree_->setIconSize(QSize(images->ImageWidth(), images->ImageHeight()));
    tree_->viewport()->update();
}

void ListView::setIcons(ImageList* images)
{
    icons_ = images;
}

void ListView::Refresh()
{
    announceRows();
    tree_->viewport()->update();
}

QWidget* ListView::viewport() const
{
    return tree_->viewport();
}

QRect ListView::cellRect(int row, int column) const
{
    announceRows();
    return tree_->visualRect(model_->index(row, column));
}

double ListView::CellWidth(int column, const QString& text) const
{
    return double(pixelsToTwips(tree_->cellWidth(column - 1, text)));
}

void ListView::itemChanged(ListItem* item, int column)
{
    model_->cellChanged(item->row_, column);
    if (sorted_ && column == sortKey_) resortSoon();
}

void ListView::announceRows() const
{
    auto* self = const_cast<ListView*>(this);
    const int count = int(rows_.size());
    if (announced_ >= count) return;
    self->model_->beginInsertRows({}, announced_, count - 1);
    self->announced_ = count;
    self->model_->endInsertRows();
    lastAnnounce_.start();
}

void ListView::announceSoon()
{
    if (announcePending_) return;
    announcePending_ = true;
    constexpr qint64 cadenceMs = 40;
    const qint64 since = lastAnnounce_.isValid() ? lastAnnounce_.elapsed() : cadenceMs;
    QTimer::singleShot(int(std::max<qint64>(0, cadenceMs - since)), this, [this] {
        announcePending_ = false;
        announceRows();
    });
}

// A picture of the whole list (a grab) shows the rows not yet announced.
void ListView::paintEvent(QPaintEvent*)
{
    announceRows();
}

void ListView::resortSoon()
{
    if (sortPending_) return;
    sortPending_ = true;
    QTimer::singleShot(0, this, [this] { ensureSorted(); });
}

void ListView::ensureSorted() const
{
    if (!sortPending_) return;
    const_cast<ListView*>(this)->sortNow();
}

namespace {

const QCollator& listCollator()
{
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Spanish, QLocale::Spain));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

// The place of each printable ASCII character in the collation (0 for the
// rest), taken from the collator itself: characters the collation holds
// equal (a letter and its capital) share a place. Texts made only of these
// characters compare as their strings of places do, without the collator.
const std::array<char, 128>& asciiPlaces()
{
    static const std::array<char, 128> places = [] {
        const QCollator& c = listCollator();
        std::vector<char16_t> chars;
        for (char16_t ch = 0x20; ch < 0x7f; ++ch) chars.push_back(ch);
        auto text = [](char16_t ch) { return QString(QChar(ch)); };
        std::stable_sort(chars.begin(), chars.end(),
                         [&](char16_t a, char16_t b) { return c.compare(text(a), text(b)) < 0; });
        std::array<char, 128> p{};
        char place = 1;
        for (size_t i = 0; i < chars.size(); ++i) {
            if (i > 0 && c.compare(text(chars[i - 1]), text(chars[i])) != 0) ++place;
            p[chars[i]] = place;
        }
        return p;
    }();
    return places;
}

// Whether the text is made only of characters with a place.
bool hasAsciiPlaces(const QString& text)
{
    const std::array<char, 128>& places = asciiPlaces();
    for (QChar c : text)
        if (c.unicode() >= 128 || places[c.unicode()] == 0) return false;
    return true;
}

// Two texts of hasAsciiPlaces() by their places: below, at or above 0.
int compareByPlaces(const QString& a, const QString& b)
{
    const std::array<char, 128>& places = asciiPlaces();
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int d = places[a[i].unicode()] - places[b[i].unicode()];
        if (d != 0) return d;
    }
    return int(a.size() > b.size()) - int(a.size() < b.size());
}

// Whether a text that compared `r` (below, at or above 0) with the one
// before it may follow it.
bool follows(int r, bool descending)
{
    return descending ? r <= 0 : r >= 0;
}

// The order of n texts as the list sorts them, by `compare(i, j)`: equal
// texts keep their order. `inOrder`: they are known to be in order already.
template <class Compare>
std::vector<int> sortedOrder(size_t n, bool descending, bool inOrder, Compare compare)
{
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    if (!inOrder)
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return !follows(compare(size_t(a), size_t(b)), descending); });
    return order;
}

// Sort keys are made once per text; a column of plain ASCII texts (codes,
// numbers, dates) needs no collator at all. Rows read in order (a table in
// the order of its key) need no sort: the texts, which lie all over memory,
// are read once to learn both.
std::vector<int> listSortOrder(const std::vector<const QString*>& texts, bool descending)
{
    bool ascii = true, inOrder = true;
    for (size_t i = 0; i < texts.size() && ascii; ++i) {
        ascii = hasAsciiPlaces(*texts[i]);
        if (ascii && inOrder && i > 0) inOrder = follows(compareByPlaces(*texts[i], *texts[i - 1]), descending);
    }
    if (ascii)
        return sortedOrder(texts.size(), descending, inOrder,
                           [&](size_t a, size_t b) { return compareByPlaces(*texts[a], *texts[b]); });
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const QString* t : texts) keys.push_back(listCollator().sortKey(*t));
    inOrder = true;
    for (size_t i = 1; i < keys.size() && inOrder; ++i) inOrder = follows(keys[i].compare(keys[i - 1]), descending);
    return sortedOrder(keys.size(), descending, inOrder, [&](size_t a, size_t b) { return keys[a].compare(keys[b]); });
}

// The order of the texts by the order a caller gave; texts in that order
// already (rows read in the order of their key) are only compared each with
// the one before it.
std::vector<int> givenSortOrder(const std::vector<const QString*>& texts, bool descending,
                                const ListView::TextOrder& textOrder)
{
    const auto compare = [&](size_t a, size_t b) { return textOrder(*texts[a], *texts[b]); };
    bool inOrder = true;
    for (size_t i = 1; i < texts.size() && inOrder; ++i) inOrder = follows(compare(i, i - 1), descending);
    return sortedOrder(texts.size(), descending, inOrder, compare);
}

}  // namespace

// Sorted as the texts read, by the order given or by the collation of the
// suite's language and without regard to case: dates and amounts sort as
// text. Items of equal
// text keep their order.
void ListView::sortNow()
{
    sortPending_ = false;
    announceRows();
    if (rows_.size() < 2) return;
    const size_t n = rows_.size();
    static const QString none;
    std::vector<const QString*> texts;
    texts.reserve(n);
    for (const auto& item : rows_) {
        const ListItem::Cell* c = item->cellIf(sortKey_);
        texts.push_back(c ? &c->text : &none);
    }
    const bool descending = sortOrder_ == lvwDescending;
    const std::vector<int> order =
        textOrder_ ? givenSortOrder(texts, descending, textOrder_) : listSortOrder(texts, descending);
    bool moved = false;
    for (size_t i = 0; i < n && !moved; ++i) moved = order[i] != int(i);
    if (!moved) return;

    emit model_->layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = model_->persistentIndexList();
    std::vector<ListItem*> persistentItems;
    persistentItems.reserve(size_t(persistent.size()));
    for (const QModelIndex& i : persistent) persistentItems.push_back(rows_[size_t(i.row())].get());
    std::vector<std::unique_ptr<ListItem>> sorted(n);
    for (size_t i = 0; i < n; ++i) sorted[i] = std::move(rows_[size_t(order[i])]);
    rows_ = std::move(sorted);
    renumberRows(0);
    for (int i = 0; i < persistent.size(); ++i)
        model_->changePersistentIndex(persistent[i],
                                      model_->index(persistentItems[size_t(i)]->row_, persistent[i].column()));
    emit model_->layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ListView::renumberRows(int from)
{
    for (size_t i = size_t(from); i < rows_.size(); ++i) rows_[i]->row_ = int(i);
}

void ListView::syncColumns()
{
    for (size_t i = 0; i < columns_.size(); ++i) columns_[i]->index_ = int(i + 1);
    settingWidth_ = true;  // the header rebuilds its sections: no user drag
    model_->columnsChanged();
    settingWidth_ = false;
    for (const auto& c : columns_) applyColumnWidth(c.get());
}

void ListView::applyColumnWidth(ColumnHeader* header)
{
    settingWidth_ = true;
    tree_->header()->resizeSection(header->index_ - 1, twipsToPixels((long long)(header->width_ + 0.5)));
    settingWidth_ = false;
}

void ListView::applySelectionMode()
{
    tree_->setSelectionMode(multiSelect_ ? QAbstractItemView::ExtendedSelection
                                         : QAbstractItemView::SingleSelection);
}

void ListView::headerResized(int section, int, int newSize)
{
    if (settingWidth_ || section < 0 || section >= int(columns_.size())) return;
    ColumnHeader& c = *columns_[size_t(section)];
    c.width_ = double(pixelsToTwips(newSize));
    if (onColumnResize) onColumnResize(c);
}

}  // namespace ui
