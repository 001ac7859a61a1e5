#pragma once
// Buttons and text boxes keep the place their window gives them in twips,
// but the user's font may need more room than the windows were laid out
// for: these give the room a caption or a text needs in the control's own
// font and style, and the old PasswordChar of a text box.
#include <QChar>
#include <QSize>
#include <QString>

#include <QStyleOptionButton>

class QLineEdit;
class QPushButton;

namespace ui {

// The style option a button is drawn with (its rect, caption, icon and
// default-button features), to ask its style where the caption goes.
QStyleOptionButton ButtonStyleOption(const QPushButton& button);

// Pixels a button keeps free on each side of its caption.
inline constexpr int kCaptionRoom = 2;

// The size a button needs to show its whole caption (its "&" marks take no
// room) with that room on each side, in its font and style.
QSize CaptionSize(const QPushButton& button);

// A button smaller than its caption needs grows to it, to the right and
// downwards; where that would leave its container it moves back (left, up)
// as far as the container's edge. A button that fits keeps its geometry.
void GrowToCaption(QPushButton& button);

// The width a text box needs to show `text` whole: the text in its font,
// with the frame, margins and cursor the box keeps around it.
int TextBoxWidth(const QLineEdit& box, const QString& text);

// The longest text of `length` characters a box takes, in its widest plain
// form: that many of its font's widest capital letter or digit.
QString WidestText(const QLineEdit& box, int length);

// The box shows `c` for every character typed, whatever character the
// desktop style would show.
void setPasswordChar(QLineEdit& box, QChar c);

}  // namespace ui
