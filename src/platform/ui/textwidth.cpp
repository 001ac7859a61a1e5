#include "platform/ui/textwidth.h"

#include "platform/ui/colors.h"

#include <QFontMetrics>
#include <QWidget>

namespace ui {

long TextWidth(const QString& text, const QFont& font)
{
    return long(pixelsToTwips(QFontMetrics(font).horizontalAdvance(text)));
}

long twipsLeft(const QWidget& widget) { return long(pixelsToTwips(widget.x())); }
long twipsTop(const QWidget& widget) { return long(pixelsToTwips(widget.y())); }
long twipsWidth(const QWidget& widget) { return long(pixelsToTwips(widget.width())); }
long twipsHeight(const QWidget& widget) { return long(pixelsToTwips(widget.height())); }

void setTwipsLeft(QWidget& widget, long twips) { widget.move(twipsToPixels(twips), widget.y()); }
void setTwipsTop(QWidget& widget, long twips) { widget.move(widget.x(), twipsToPixels(twips)); }
void setTwipsWidth(QWidget& widget, long twips)
{
    widget.resize(std::max(0, twipsToPixels(twips)), widget.height());
}
void setTwipsHeight(QWidget& widget, long twips)
{
    widget.resize(widget.width(), std::max(0, twipsToPixels(twips)));
}

}  // namespace ui
