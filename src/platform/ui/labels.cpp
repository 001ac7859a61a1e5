#include "platform/ui/labels.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QPointer>

#include <algorithm>

namespace ui {
namespace {

// The caption as the label draws it: "&&" is one "&", a single "&" marks
// the access key and takes no room.
QString Shown(const QLabel* l)
{
    QString t = l->text();
    t.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    t.remove(u'&');
    t.replace(u'\x01', u'&');
    return t;
}

// What the label needs around its caption: frame, margin and indent.
int Chrome(const QLabel* l, const QFontMetrics& fm)
{
    int indent = l->indent();
    if (indent < 0)
        indent = l->frameWidth() > 0 ? fm.horizontalAdvance(u'x') / 2 : 0;
    return l->width() - l->contentsRect().width() + 2 * l->margin() + indent;
}

constexpr int kGap = 4;  // pixels kept free between a caption and its neighbour

// The room on the label's line: from the container's left edge to its right
// edge, cut (a little before them) by the controls beside the label that
// share its line.
std::pair<int, int> Room(const QLabel* l)
{
    const QWidget* parent = l->parentWidget();
    const QRect own = l->geometry();
    int left = parent->contentsRect().left();
    int right = parent->contentsRect().right() + 1;
    for (const QObject* o : parent->children()) {
        const auto* w = qobject_cast<const QWidget*>(o);
        if (!w || w == l || w->isWindow() || w->isHidden())
            continue;
        const QRect g = w->geometry();
        if (g.bottom() < own.top() || g.top() > own.bottom())
            continue;
        if (g.left() > own.left())
            right = std::min(right, g.left() - kGap);
        else if (g.right() < own.right())
            left = std::max(left, g.right() + 1 + kGap);
    }
    return {left, right};
}

void Fit(QLabel* l)
{
    if (l->wordWrap() || l->text().isEmpty() || l->textFormat() == Qt::RichText || !l->parentWidget())
        return;
    // a layout sizes its labels itself
    if (const QLayout* layout = l->parentWidget()->layout(); layout && layout->indexOf(l) >= 0)
        return;
    const QString text = Shown(l);
    QFontMetrics fm(l->font());
    const int needed = fm.horizontalAdvance(text) + Chrome(l, fm);
    const auto [roomLeft, roomRight] = Room(l);
    const bool toLeft = l->alignment() & Qt::AlignRight;
    const QRect g = l->geometry();
    // what is visible of the label: its own width, cut by its neighbours
    const int room = toLeft ? g.right() + 1 - roomLeft : roomRight - g.left();
    const int visible = std::min(g.width(), room);
    if (needed <= visible)
        return;
    int width = needed;
    if (needed > room) {
        QFont f = l->font();
        int stretch = 100;
        int w = needed;
        while (w > room && stretch > 80) {
            stretch -= 2;
            f.setStretch(stretch);
            w = QFontMetrics(f).horizontalAdvance(text) + Chrome(l, fm);
        }
        l->setFont(f);
        width = w;
    }
    width = std::max(width, std::min(g.width(), room));
    if (toLeft)
        l->setGeometry(g.right() + 1 - width, g.top(), width, g.height());
    else
        l->setGeometry(g.left(), g.top(), width, g.height());
}

class AtShow : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w->isWindow())
                FitLabels(w);
        }
        return false;
    }
};

}  // namespace

void FitLabels(QWidget* window)
{
    if (!window)
        return;
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->window() == window)
            Fit(l);
}

void FitLabelsOnShow()
{
    static QPointer<AtShow> filter;
    if (!filter && qApp) {
        filter = new AtShow(qApp);
        qApp->installEventFilter(filter);
    }
}

}  // namespace ui
