#include "platform/ui/fitting.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

#include <algorithm>

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

int TextBoxWidth(const QLineEdit& t, const QString& text)
{
    QStyleOptionFrame opt;
    opt.initFrom(&t);
    opt.rect = t.rect();
    opt.lineWidth = t.hasFrame() ? t.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, &t) : 0;
    const QRect inside = t.style()->subElementRect(QStyle::SE_LineEditContents, &opt, &t);
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

void setPasswordChar(QLineEdit& box, QChar c)
{
    box.setEchoMode(QLineEdit::Password);
    auto* style = new PasswordStyle(c);
    style->setParent(&box);
    box.setStyle(style);
}

}  // namespace ui
