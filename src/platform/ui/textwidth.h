#pragma once
// Text widths and control geometry in twips (15 to a pixel), the unit in
// which the suite's windows size and place their controls.
#include <QString>

class QFont;
class QWidget;

namespace ui {

// The width of a text written in a font, in twips: what a window's
// TextWidth gives in that window's font. Column widths written "n X" are
// TextWidthX(n, font) in the window's font.
long TextWidth(const QString& text, const QFont& font);
// A width written "n X": n letters X.
inline long TextWidthX(long n, const QFont& font) { return TextWidth(QString(qsizetype(n), u'X'), font); }

// A widget's position within its parent and its size, in twips. Twips are
// rounded to the nearest pixel when set.
long twipsLeft(const QWidget& widget);
long twipsTop(const QWidget& widget);
long twipsWidth(const QWidget& widget);
long twipsHeight(const QWidget& widget);
void setTwipsLeft(QWidget& widget, long twips);
void setTwipsTop(QWidget& widget, long twips);
void setTwipsWidth(QWidget& widget, long twips);
void setTwipsHeight(QWidget& widget, long twips);

// The old Left / Top / Width / Height members for a control class W (a
// QWidget): class MyControl : public QWidget, public TwipsPlacement<MyControl>.
template <class W>
class TwipsPlacement {
public:
    long Left() const { return twipsLeft(self()); }
    void setLeft(long twips) { setTwipsLeft(self(), twips); }
    long Top() const { return twipsTop(self()); }
    void setTop(long twips) { setTwipsTop(self(), twips); }
    long Width() const { return twipsWidth(self()); }
    void setWidth(long twips) { setTwipsWidth(self(), twips); }
    long Height() const { return twipsHeight(self()); }
    void setHeight(long twips) { setTwipsHeight(self(), twips); }

private:
    const W& self() const { return static_cast<const W&>(*this); }
    W& self() { return static_cast<W&>(*this); }
};

}  // namespace ui
