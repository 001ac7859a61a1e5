#pragma once
// What a person sees of a window's layout, for the screenshot tests of every
// window: call ExpectWholeLabels(window) once the window is shown.
#include "platform/ui/fitting.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QHeaderView>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace testutil {

namespace layout {

// Pixels a label's caption keeps free from the control beside it.
inline constexpr int kGap = 4;
// Pixels a button's caption keeps free from each side of its button.
inline constexpr int kButtonGap = 2;

// A control as a failure names it: its name, or its caption when it has no
// name, and its class.
inline std::string Name(const QWidget* w)
{
    QString name = w->objectName();
    if (name.isEmpty()) {
        if (const auto* b = qobject_cast<const QAbstractButton*>(w))
            name = u'"' + b->text() + u'"';
        else if (const auto* l = qobject_cast<const QLabel*>(w))
            name = u'"' + l->text() + u'"';
    }
    return (name + u' ' + QString::fromLatin1(w->metaObject()->className())).toStdString();
}

// A caption as drawn: "&&" is one "&", a single "&" marks the access key.
inline QString Shown(QString text)
{
    return text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(u'&').replace(u'\x01', u'&');
}

// The controls a person places: the window's own children and those of the
// plain containers in it (panels, frames, group boxes); the parts a compound
// control is built of (a list's view, a scroll area's bars, a combo box's
// edit) are that control's business.
inline bool IsContainer(const QWidget* w, const QWidget& window)
{
    if (w == &window)
        return true;
    if (w->objectName().startsWith(QLatin1String("qt_")))
        return false;
    const QMetaObject* m = w->metaObject();
    return m == &QWidget::staticMetaObject || m == &QFrame::staticMetaObject || m == &QGroupBox::staticMetaObject;
}

// A control stacked above a panel, frame or group box that is not its
// container, wholly inside the panel's border (and below a group box's
// title): it looks as if it were in it.
inline bool LiesOn(const QWidget& above, const QWidget& panel, const QWidget& window)
{
    if (&panel == &window || !IsContainer(&panel, window))
        return false;
    const QObjectList& order = panel.parentWidget()->children();
    if (order.indexOf(const_cast<QWidget*>(&above)) < order.indexOf(const_cast<QWidget*>(&panel)))
        return false;
    QRect inside = panel.geometry();
    if (const auto* g = qobject_cast<const QGroupBox*>(&panel)) {
        inside.adjust(3, 3, -3, -3);
        if (!g->title().isEmpty())
            inside.setTop(inside.top() + QFontMetrics(g->font()).height());
    } else if (const auto* f = qobject_cast<const QFrame*>(&panel)) {
        inside.adjust(f->frameWidth(), f->frameWidth(), -f->frameWidth(), -f->frameWidth());
    }
    return inside.contains(above.geometry());
}

// A label without frame or background shows nothing but its caption, which
// is checked on its own.
inline bool OnlyCaption(const QWidget& w)
{
    const auto* l = qobject_cast<const QLabel*>(&w);
    return l && l->frameShape() == QFrame::NoFrame && !l->autoFillBackground();
}

inline bool Shows(const QWidget* w, const QWidget& window)
{
    return !w->isWindow() && w->isVisibleTo(&window) && !w->objectName().startsWith(QLatin1String("qt_"));
}

// A box as tall as its font's lines, and as wide as the longest text it
// takes, in its widest plain form: as many of the font's widest capital
// letter or digit as its length allows; a box without a set length shows the
// text it holds (a hint shown as its text) whole.
inline void ExpectWholeText(const QLineEdit& t)
{
    QStyleOptionFrame opt;
    opt.initFrom(&t);
    opt.rect = t.rect();
    opt.lineWidth = t.hasFrame() ? t.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, &t) : 0;
    opt.midLineWidth = 0;
    opt.state |= QStyle::State_Sunken;
    opt.features = QStyleOptionFrame::None;
    const QMargins m = t.textMargins();
    const QRect inside = t.style()->subElementRect(QStyle::SE_LineEditContents, &opt, &t);
    const QFontMetrics fm(t.font());
    // the text's lines, descenders included, between the frame's top and
    // bottom (a combo box's own edit is the combo box's business)
    if (!qobject_cast<const QComboBox*>(t.parentWidget())) {
        EXPECT_LE(fm.height(), inside.height() - m.top() - m.bottom())
            << Name(&t) << ": its text is cut at the top or bottom (" << t.height() << " pixels high)";
    }
    if (t.echoMode() != QLineEdit::Normal)
        return;
    const bool sinLargo = t.maxLength() >= 32767;
    if (sinLargo && t.text().isEmpty())
        return;
    // the edit keeps 2 pixels free on each side of its text, and 1 for the cursor
    const int room = inside.width() - m.left() - m.right() - 4 - 1;
    QChar widest = u'0';
    for (const char16_t c : u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")
        if (c && fm.horizontalAdvance(QChar(c)) > fm.horizontalAdvance(widest))
            widest = QChar(c);
    const QString longest = sinLargo ? t.text() : QString(t.maxLength(), widest);
    const int width = fm.horizontalAdvance(longest);
    EXPECT_LE(width, room) << Name(&t) << ": \"" << longest.toStdString() << "\" (" << longest.size()
                           << " characters) needs " << width << " pixels, the box has " << room;
}

// A combo box as tall as its font's lines in the field that shows its item.
// Not part of ExpectWholeLabels yet: the lookup windows' combo boxes are
// still lower than a 12-point font; a window's test calls it for its own.
inline void ExpectWholeText(const QComboBox& c)
{
    QStyleOptionComboBox opt;
    opt.initFrom(&c);
    opt.rect = c.rect();
    opt.editable = c.isEditable();
    opt.frame = c.hasFrame();
    const QRect field = c.style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, &c);
    EXPECT_LE(QFontMetrics(c.font()).height(), field.height())
        << Name(&c) << ": its item is cut at the top or bottom (" << c.height() << " pixels high)";
}

// A button's caption lies within the part of the button the style leaves
// for it, with a little room on each side.
inline void ExpectWholeCaption(const QPushButton& b)
{
    if (b.text().isEmpty())
        return;
    const QStyleOptionButton opt = ui::ButtonStyleOption(b);
    const QRect inside = b.style()->subElementRect(QStyle::SE_PushButtonContents, &opt, &b);
    const QString shown = Shown(b.text());
    const QFontMetrics fm(b.font());
    int width = fm.horizontalAdvance(shown) + 2 * kButtonGap;
    if (!b.icon().isNull())
        width += b.iconSize().width() + 4;
    EXPECT_LE(width, inside.width()) << Name(&b) << " \"" << shown.toStdString() << "\" fills its button edge to edge or is cut";
    EXPECT_LE(fm.height(), inside.height()) << Name(&b) << " \"" << shown.toStdString() << "\" is cut at the top or bottom";
}

// A label's caption: whole, and clear of the controls beside and above it.
inline void ExpectWholeCaption(const QLabel& l, const QWidget& window)
{
    if (l.wordWrap() || l.text().isEmpty() || l.textFormat() == Qt::RichText)
        return;
    const QString shown = Shown(l.text());
    const std::string name = Name(&l);
    const int width = QFontMetrics(l.font()).horizontalAdvance(shown);
    const QRect text = l.contentsRect();
    EXPECT_LE(width, text.width()) << name << " \"" << shown.toStdString() << "\" is cut";
    EXPECT_LE(QFontMetrics(l.font()).height(), text.height())
        << name << " \"" << shown.toStdString() << "\" loses its top or its descenders";
    // the caption as drawn, in the container's coordinates, with the room
    // it keeps free around it
    const bool right = l.alignment() & Qt::AlignRight;
    const QRect drawn(l.mapToParent(QPoint(right ? text.right() + 1 - width : text.left(), text.top())),
                      QSize(width, text.height()));
    const QRect clear = drawn.adjusted(-kGap, 0, kGap, 0);
    for (const QObject* o : l.parentWidget()->children()) {
        const auto* other = qobject_cast<const QWidget*>(o);
        if (other && other != &l && !other->isWindow() && !other->isHidden() && !LiesOn(l, *other, window)) {
            EXPECT_FALSE(other->geometry().intersects(clear))
                << name << " \"" << shown.toStdString() << "\" runs into " << Name(other);
        }
    }
}

// Two horizontal (or two vertical) scroll bars side by side for one view.
inline void ExpectOneScrollBarPerDirection(const QWidget& window)
{
    std::vector<std::pair<const QScrollBar*, QRect>> bars;
    for (const QScrollBar* s : window.findChildren<QScrollBar*>())
        if (s->window() == &window && s->isVisibleTo(&window))
            bars.emplace_back(s, QRect(s->mapTo(&window, QPoint(0, 0)), s->size()));
    for (std::size_t i = 0; i < bars.size(); ++i) {
        for (std::size_t j = i + 1; j < bars.size(); ++j) {
            const auto& [a, ra] = bars[i];
            const auto& [b, rb] = bars[j];
            if (a->orientation() != b->orientation())
                continue;
            const bool horizontal = a->orientation() == Qt::Horizontal;
            const int thick = horizontal ? std::max(ra.height(), rb.height()) : std::max(ra.width(), rb.width());
            // each bar grown by its own thickness across: does it reach the other?
            const QRect near = horizontal ? ra.adjusted(0, -thick, 0, thick) : ra.adjusted(-thick, 0, thick, 0);
            EXPECT_FALSE(near.intersects(rb)) << Name(a) << " and " << Name(b) << " are stacked: two scroll bars for one direction";
        }
    }
}

}  // namespace layout

// Fails for every visible control of `window` that
// - lies partly outside its container or outside the window,
// - overlaps a sibling control,
// - is a label whose caption is wider or taller than the label (in the
//   label's own font) or comes within a few pixels of another control,
// - is a button whose caption does not fit inside it with a little room,
// - is a text box lower than its font's lines, or too narrow for the
//   longest text it takes (or, without a set length, for the text it shows),
// and for two scroll bars of one direction stacked together.
inline void ExpectWholeLabels(const QWidget& window)
{
    const QRect inWindow(QPoint(0, 0), window.size());
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (w->window() != &window || !w->isVisibleTo(&window))
            continue;
        const std::string name = layout::Name(w);
        const QRect r(w->mapTo(&window, QPoint(0, 0)), w->size());
        EXPECT_TRUE(inWindow.contains(r)) << name << " lies outside the window: " << r.x() << ',' << r.y() << ' '
                                          << r.width() << 'x' << r.height() << " in " << inWindow.width() << 'x'
                                          << inWindow.height();
        const QWidget* p = w->parentWidget();
        if (p != &window) {
            EXPECT_TRUE(QRect(QPoint(0, 0), p->size()).contains(w->geometry())) << name << " lies outside its container";
        }
        if (layout::IsContainer(p, window) && layout::Shows(w, window)) {
            const QObjectList& siblings = p->children();
            for (qsizetype i = siblings.indexOf(const_cast<QWidget*>(w)) + 1; i < siblings.size(); ++i) {
                const auto* other = qobject_cast<const QWidget*>(siblings[i]);
                if (other && layout::Shows(other, window) && !layout::OnlyCaption(*w) && !layout::OnlyCaption(*other) &&
                    !layout::LiesOn(*other, *w, window)) {
                    EXPECT_FALSE(other->geometry().intersects(w->geometry())) << name << " overlaps " << layout::Name(other);
                }
            }
        }
        if (const auto* l = qobject_cast<const QLabel*>(w))
            layout::ExpectWholeCaption(*l, window);
        else if (const auto* b = qobject_cast<const QPushButton*>(w))
            layout::ExpectWholeCaption(*b);
        else if (const auto* t = qobject_cast<const QLineEdit*>(w))
            layout::ExpectWholeText(*t);
    }
    layout::ExpectOneScrollBarPerDirection(window);
}

}  // namespace testutil

namespace testutil::layout {

// The fonts a window's picture test shows it in: 8, 9, 12, 14 and 16 points
// of "Segoe UI" (drawn in Liberation Sans) and 12 points of the other two
// fonts the desktops put in its place ("Calibri" drawn in DejaVu Sans,
// "Courier New" in Liberation Mono); alto is the height of their lines in
// pixels as installed.
struct PictureFont {
    const char* fuente;
    int puntos;
    int alto;
};
inline constexpr PictureFont kPictureFonts[] = {{"Segoe UI", 8, 12},  {"Segoe UI", 9, 14},  {"Segoe UI", 12, 17},
                                                {"Segoe UI", 14, 21}, {"Segoe UI", 16, 23}, {"Calibri", 12, 19},
                                                {"Courier New", 12, 18}};

// The program's font (the one the desktop gives windows that do not take
// the user's) set to a picture font for as long as this lives.
class ProgramFont {
public:
    explicit ProgramFont(const PictureFont& f) : antes_(QApplication::font())
    {
        QFont nueva(QString::fromLatin1(f.fuente));
        nueva.setPointSize(f.puntos);
        QApplication::setFont(nueva);
    }
    ~ProgramFont() { QApplication::setFont(antes_); }
    ProgramFont(const ProgramFont&) = delete;
    ProgramFont& operator=(const ProgramFont&) = delete;

private:
    QFont antes_;
};

// <build>/<base>_<points>[_<font>].png, the font named when it is not
// "Segoe UI".
inline QString PicturePath(const QString& base, const PictureFont& f)
{
    QString archivo = base + QStringLiteral("_%1").arg(f.puntos);
    if (QLatin1String(f.fuente) != QLatin1String("Segoe UI"))
        archivo += u'_' + QString::fromLatin1(f.fuente).replace(u' ', u'_');
    return QDir(QStringLiteral(VORDANE_BINARY_DIR)).filePath(archivo + QStringLiteral(".png"));
}

// The window as shown, to its picture, and checked by ExpectWholeLabels.
inline void Picture(QWidget& window, const QString& archivo)
{
    EXPECT_TRUE(window.grab().save(archivo)) << archivo.toStdString();
    ExpectWholeLabels(window);
}

}  // namespace testutil::layout

namespace testutil::layout {

// A label that wraps its caption: its lines, at its width, within its
// height, and the label clear of the controls beside it.
inline void ExpectWholeLines(const QLabel& l)
{
    const std::string name = Name(&l);
    EXPECT_LE(l.heightForWidth(l.width()), l.height())
        << name << ": its lines need " << l.heightForWidth(l.width()) << " pixels, it has " << l.height();
    for (const QObject* o : l.parentWidget()->children()) {
        const auto* other = qobject_cast<const QWidget*>(o);
        if (other && other != &l && !other->isWindow() && !other->isHidden()) {
            EXPECT_FALSE(other->geometry().intersects(l.geometry())) << name << " runs into " << Name(other);
        }
    }
}

}  // namespace testutil::layout

namespace testutil::layout {

// A tool bar's buttons: each as large as its caption needs, and inside the
// bar.
inline void ExpectWholeToolBar(const QToolBar& bar)
{
    for (const QToolButton* b : bar.findChildren<QToolButton*>()) {
        if (!b->isVisibleTo(&bar) || b->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const std::string name = '"' + b->text().toStdString() + "\" of " + Name(&bar);
        EXPECT_LE(b->sizeHint().height(), b->height()) << name << " is cut at the top or bottom";
        EXPECT_LE(b->sizeHint().width(), b->width()) << name << " is cut";
        EXPECT_TRUE(QRect(QPoint(0, 0), bar.size()).contains(b->geometry())) << name << " lies outside its bar";
    }
}

}  // namespace testutil::layout

namespace testutil::layout {

// Every item a view shows (a tree's open nodes, a list's cells) can be read
// whole: its text with its picture, check box and margins (and a node's
// indent) fits its column, and the column can be scrolled far enough to
// show it: by the view's own bar, or by `reach` pixels of the bar of
// another control that scrolls it. `column` >= 0: that column's cells
// alone (where the others keep widths of their own design, their borders
// dragged by the user).
inline void ExpectWholeItems(const QTreeView& view, int reach = -1, int column = -1)
{
    const QAbstractItemModel* m = view.model();
    const QHeaderView* h = view.header();
    if (reach < 0)
        reach = view.horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff ? 0 : view.horizontalScrollBar()->maximum();
    const int seen = view.viewport()->width() + reach;
    std::vector<QModelIndex> parents{QModelIndex()};
    while (!parents.empty()) {
        const QModelIndex parent = parents.back();
        parents.pop_back();
        for (int row = 0; row < m->rowCount(parent); ++row) {
            for (int col = 0; col < m->columnCount(parent); ++col) {
                if (column >= 0 && col != column) continue;
                const QModelIndex i = m->index(row, col, parent);
                const int need = view.visualRect(i).left() - view.columnViewportPosition(col) +
                                 view.sizeHintForIndex(i).width();
                const std::string what = Name(&view) + " \"" + i.data().toString().toStdString() + '"';
                EXPECT_LE(need, h->sectionSize(col)) << what << " needs " << need << " pixels, its column is cut";
                EXPECT_LE(h->sectionPosition(col) + std::min(need, h->sectionSize(col)), seen)
                    << what << " lies beyond what its view scrolls to";
            }
            const QModelIndex first = m->index(row, 0, parent);
            if (view.isExpanded(first)) parents.push_back(first);
        }
    }
}

}  // namespace testutil::layout
