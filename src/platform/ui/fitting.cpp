#include "platform/ui/fitting.h"

#include "platform/ui/colors.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QToolBar>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace ui {

QStyleOptionButton ButtonStyleOption(const QPushButton& b)
{
    QStyleOptionButton opt;
    opt.initFrom(&b);
    opt.rect = b.rect();
    opt.text = b.text();
    opt.icon = b.icon();
    opt.iconSize = b.iconSize();
    opt.features = b.isFlat() ? QStyleOptionButton::Flat : QStyleOptionButton::None;
    if (b.autoDefault())
        opt.features |= QStyleOptionButton::AutoDefaultButton;
    if (b.isDefault())
        opt.features |= QStyleOptionButton::DefaultButton;
    return opt;
}

namespace {

// The caption as drawn: "&&" is one "&", a single "&" marks the access key.
QString Shown(QString text)
{
    return text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(u'&').replace(u'\x01', u'&');
}

class PasswordStyle : public QProxyStyle {
public:
    explicit PasswordStyle(QChar c) : c_(c) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return c_.unicode();
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    QChar c_;
};

}  // namespace

QSize CaptionSize(const QPushButton& b)
{
    const QStyleOptionButton opt = ButtonStyleOption(b);
    const QRect inside = b.style()->subElementRect(QStyle::SE_PushButtonContents, &opt, &b);
    const QFontMetrics fm(b.font());
    int width = fm.horizontalAdvance(Shown(b.text())) + 2 * kCaptionRoom;
    if (!b.icon().isNull())
        width += b.iconSize().width() + 4;
    return {width + b.width() - inside.width(), fm.height() + b.height() - inside.height()};
}

void GrowToCaption(QPushButton& b)
{
    const QSize need = CaptionSize(b);
    QRect g = b.geometry();
    if (need.width() <= g.width() && need.height() <= g.height())
        return;
    g.setSize(g.size().expandedTo(need));
    if (const QWidget* parent = b.parentWidget()) {
        const QRect room = parent->contentsRect();
        if (g.right() > room.right())
            g.moveRight(std::max(room.right(), room.left() + g.width() - 1));
        if (g.bottom() > room.bottom())
            g.moveBottom(std::max(room.bottom(), room.top() + g.height() - 1));
    }
    b.setGeometry(g);
}

namespace {

// The part of a text box its text is drawn in, within its frame.
QRect TextBoxContents(const QLineEdit& t)
{
    QStyleOptionFrame opt;
    opt.initFrom(&t);
    opt.rect = t.rect();
    opt.lineWidth = t.hasFrame() ? t.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, &t) : 0;
    return t.style()->subElementRect(QStyle::SE_LineEditContents, &opt, &t);
}

// A frame or panel that only holds controls (not a control built of parts).
bool PlainContainer(const QWidget& w)
{
    const QMetaObject* m = w.metaObject();
    return m == &QWidget::staticMetaObject || m == &QFrame::staticMetaObject || m == &QGroupBox::staticMetaObject;
}

// A control placed on its container: shown, not a window, not a part Qt
// adds on its own.
bool Placed(const QObject* o)
{
    const auto* w = qobject_cast<const QWidget*>(o);
    return w && !w->isWindow() && !w->isHidden() && !w->objectName().startsWith(QLatin1String("qt_"));
}

// Controls of a frame's container stacked on the frame, with their
// rectangles in the frame's coordinates.
using Huespedes = std::vector<std::pair<QWidget*, QRect>>;
// The height a control needs (0: it keeps its own).
using Alto = int (*)(const QWidget&);

int GrowRows(QWidget& container, Huespedes& huespedes, Alto alto)
{
    QList<QWidget*> propios;
    for (QObject* o : container.children())
        if (Placed(o))
            propios.append(static_cast<QWidget*>(o));
    // A control lying wholly on a frame that comes before it in the stacking
    // order looks as if it were in the frame: it moves with the frame's rows.
    std::map<QWidget*, Huespedes> encima;
    QList<QWidget*> alojados;
    for (qsizetype i = 0; i < propios.size(); ++i) {
        QWidget* marco = propios[i];
        if (!PlainContainer(*marco))
            continue;
        for (qsizetype j = i + 1; j < propios.size(); ++j) {
            if (!alojados.contains(propios[j]) && marco->geometry().contains(propios[j]->geometry())) {
                encima[marco].emplace_back(propios[j], propios[j]->geometry().translated(-marco->pos()));
                alojados.append(propios[j]);
            }
        }
    }

    struct Fila {
        QWidget* w;
        QRect antes;
        QRect* huesped;  // the rectangle to give back, for a control of the container's parent
        int crece = 0;
        int baja = 0;
    };
    std::vector<Fila> filas;
    for (QWidget* w : propios) {
        if (alojados.contains(w))
            continue;
        Fila f{w, w->geometry(), nullptr};
        f.crece = PlainContainer(*w) ? GrowRows(*w, encima[w], alto) : std::max(0, alto(*w) - w->height());
        filas.push_back(f);
    }
    for (auto& [w, r] : huespedes)
        filas.push_back({w, r, &r, std::max(0, alto(*w) - r.height())});

    // Each control moves down by what the controls wholly above it grew and
    // moved; sorted by their tops, those come first.
    std::sort(filas.begin(), filas.end(), [](const Fila& a, const Fila& b) { return a.antes.top() < b.antes.top(); });
    int fondoAntes = 0;
    int fondo = 0;
    for (std::size_t i = 0; i < filas.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j)
            if (filas[j].antes.bottom() < filas[i].antes.top())
                filas[i].baja = std::max(filas[i].baja, filas[j].baja + filas[j].crece);
        const QRect nuevo(filas[i].antes.x(), filas[i].antes.y() + filas[i].baja, filas[i].antes.width(),
                          filas[i].antes.height() + filas[i].crece);
        fondoAntes = std::max(fondoAntes, filas[i].antes.bottom());
        fondo = std::max(fondo, nuevo.bottom());
        if (filas[i].huesped)
            *filas[i].huesped = nuevo;
        else if (nuevo != filas[i].antes)
            filas[i].w->setGeometry(nuevo);
    }
    for (auto& [marco, suyos] : encima)
        for (const auto& [w, r] : suyos)
            w->setGeometry(r.translated(marco->pos()));
    return std::max(0, fondo - fondoAntes);
}

}  // namespace

int CaptionWidth(const QLabel& l)
{
    QFontMetrics fm(l.font());
    int indent = l.indent();
    if (indent < 0)
        indent = l.frameWidth() > 0 ? fm.horizontalAdvance(u'x') / 2 : 0;
    return fm.horizontalAdvance(Shown(l.text())) + l.width() - l.contentsRect().width() + 2 * l.margin() + indent;
}

int FontHeight(const QWidget& w)
{
    const QFontMetrics fm(w.font());
    if (const auto* t = qobject_cast<const QLineEdit*>(&w)) {
        const QMargins m = t->textMargins();
        return fm.height() + t->height() - TextBoxContents(*t).height() + m.top() + m.bottom();
    }
    if (const auto* c = qobject_cast<const QComboBox*>(&w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(c);
        opt.rect = c->rect();
        opt.editable = c->isEditable();
        opt.frame = c->hasFrame();
        return fm.height() + c->height() -
               c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c).height();
    }
    if (const auto* b = qobject_cast<const QPushButton*>(&w))
        return b->text().isEmpty() ? 0 : CaptionSize(*b).height();
    if (const auto* l = qobject_cast<const QLabel*>(&w)) {
        if (l->wordWrap() || l->text().isEmpty() || l->textFormat() == Qt::RichText)
            return 0;
        return fm.height() + l->height() - l->contentsRect().height() + 2 * l->margin();
    }
    return 0;
}

int GrowRowsToFont(QWidget& container)
{
    Huespedes ninguno;
    return GrowRows(container, ninguno, &FontHeight);
}

int GrowColumnsToCaptions(QWidget& container)
{
    struct Columna {
        QWidget* w;
        QRect antes;
        int crece = 0;
        int corre = 0;
    };
    std::vector<Columna> columnas;
    for (QObject* o : container.children()) {
        if (!Placed(o))
            continue;
        auto* w = static_cast<QWidget*>(o);
        int crece = 0;
        if (PlainContainer(*w))
            crece = GrowColumnsToCaptions(*w);
        else if (const auto* b = qobject_cast<const QPushButton*>(w); b && !b->text().isEmpty())
            crece = std::max(0, CaptionSize(*b).width() - b->width());
        columnas.push_back({w, w->geometry(), crece});
    }
    // Each control moves right by what the controls wholly left of it on its
    // line grew and moved; sorted by their left edges, those come first.
    std::sort(columnas.begin(), columnas.end(),
              [](const Columna& a, const Columna& b) { return a.antes.left() < b.antes.left(); });
    int derechaAntes = 0;
    int derecha = 0;
    for (std::size_t i = 0; i < columnas.size(); ++i) {
        Columna& c = columnas[i];
        for (std::size_t j = 0; j < i; ++j) {
            const QRect& otra = columnas[j].antes;
            if (otra.right() < c.antes.left() && otra.top() <= c.antes.bottom() && c.antes.top() <= otra.bottom())
                c.corre = std::max(c.corre, columnas[j].corre + columnas[j].crece);
        }
        const QRect nuevo(c.antes.x() + c.corre, c.antes.y(), c.antes.width() + c.crece, c.antes.height());
        derechaAntes = std::max(derechaAntes, c.antes.right());
        derecha = std::max(derecha, nuevo.right());
        if (nuevo != c.antes)
            c.w->setGeometry(nuevo);
    }
    return std::max(0, derecha - derechaAntes);
}

int TextBoxWidth(const QLineEdit& t, const QString& text)
{
    const QRect inside = TextBoxContents(t);
    const QMargins m = t.textMargins();
    // the edit keeps 2 pixels free on each side of its text, and 1 for the cursor
    constexpr int marginsAndCursor = 2 + 2 + 1;
    return QFontMetrics(t.font()).horizontalAdvance(text) + t.width() - inside.width() + m.left() + m.right() +
           marginsAndCursor;
}

QString WidestText(const QLineEdit& t, int length)
{
    const QFontMetrics fm(t.font());
    QChar widest = u'0';
    for (const char16_t c : u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")
        if (c && fm.horizontalAdvance(QChar(c)) > fm.horizontalAdvance(widest))
            widest = QChar(c);
    return QString(std::max(0, length), widest);
}

// --- what a window needs beyond its rows of one line ---------------------------

int ContentsHeight(const QWidget& w)
{
    if (const auto* l = qobject_cast<const QLabel*>(&w); l && l->wordWrap()) {
        if (l->text().isEmpty() || l->textFormat() == Qt::RichText)
            return 0;
        return l->heightForWidth(l->width());
    }
    if (const auto* t = qobject_cast<const QToolBar*>(&w))
        return t->sizeHint().height();
    return FontHeight(w);
}

int GrowRowsToContents(QWidget& container)
{
    Huespedes ninguno;
    return GrowRows(container, ninguno, &ContentsHeight);
}

int GrowAlongLine(const std::vector<std::pair<QWidget*, int>>& linea)
{
    int corre = 0;
    for (const auto& [w, ancho] : linea) {
        const int crece = std::max(0, ancho - w->width());
        if (crece > 0 || corre > 0)
            w->setGeometry(w->x() + corre, w->y(), w->width() + crece, w->height());
        corre += crece;
    }
    return corre;
}

int GrowButtonRow(const std::vector<QPushButton*>& fila, RowAnchor anclaje, int margen)
{
    if (fila.empty() || !fila.front()->parentWidget())
        return 0;
    const int ancho = fila.front()->parentWidget()->width();
    bool unAncho = true;
    int comun = 0;
    for (const QPushButton* b : fila) {
        unAncho = unAncho && b->width() == fila.front()->width();
        comun = std::max(comun, CaptionSize(*b).width());
    }
    std::vector<int> anchos;
    bool crece = false;
    for (const QPushButton* b : fila) {
        anchos.push_back(std::max(b->width(), unAncho ? comun : CaptionSize(*b).width()));
        crece = crece || anchos.back() > b->width();
    }
    const int izquierda = fila.front()->x();
    const int derecha = fila.back()->geometry().right();
    if (!crece && izquierda >= margen && derecha < ancho - margen)
        return 0;
    // the row as wide as its buttons and the gaps between them
    int total = derecha + 1 - izquierda;
    for (std::size_t i = 0; i < fila.size(); ++i)
        total += anchos[i] - fila[i]->width();
    int x = anclaje == RowAnchor::Left ? izquierda : anclaje == RowAnchor::Right ? derecha + 1 - total
                                                                                : (ancho - total) / 2;
    x = std::max(margen, std::min(x, ancho - margen - total));
    for (std::size_t i = 0; i < fila.size(); ++i) {
        const int hueco = i + 1 < fila.size() ? fila[i + 1]->x() - (fila[i]->geometry().right() + 1) : 0;
        fila[i]->setGeometry(x, fila[i]->y(), anchos[i], fila[i]->height());
        x += anchos[i] + hueco;
    }
    return std::max(0, total - (ancho - 2 * margen));
}

long CellWidth(const QString& text, const QFont& font)
{
    return long(pixelsToTwips(QFontMetrics(font).horizontalAdvance(text) + 2 * kCellMargin));
}

QString CellText(const QString& text, const QFontMetrics& fm, int room, Qt::Alignment alignment)
{
    if (text.isEmpty() || fm.horizontalAdvance(text) <= room)
        return text;
    const Qt::TextElideMode lado = alignment & Qt::AlignRight     ? Qt::ElideLeft
                                   : alignment & Qt::AlignHCenter ? Qt::ElideMiddle
                                                                  : Qt::ElideRight;
    // Too narrow even for the mark: the mark alone, cut as it is.
    const QString corto = fm.elidedText(text, lado, std::max(0, room));
    return corto.isEmpty() ? QStringLiteral("…") : corto;
}

void setPasswordChar(QLineEdit& box, QChar c)
{
    box.setEchoMode(QLineEdit::Password);
    auto* style = new PasswordStyle(c);
    style->setParent(&box);
    box.setStyle(style);
}

}  // namespace ui
