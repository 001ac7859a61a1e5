#pragma once
// Buttons and text boxes keep the place their window gives them in twips,
// but the user's font may need more room than the windows were laid out
// for: these give the room a caption or a text needs in the control's own
// font and style, and the old PasswordChar of a text box.
#include <QChar>
#include <QFont>
#include <QSize>
#include <QString>

#include <QStyleOptionButton>

#include <utility>
#include <vector>

class QFontMetrics;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

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

// The width a one-line label needs for its whole caption in its font, with
// its frame, margin and indent.
int CaptionWidth(const QLabel& label);

// The height a control needs for the lines of its font: a text box or a
// combo box its text within its frame, a button its caption with the room
// its style keeps around it, a one-line label its caption. 0 for any other
// control, which keeps its height.
int FontHeight(const QWidget& control);

// The rows of a window grow to the user's font: every control of
// `container` lower than FontHeight grows down to it, keeping its place, and
// whatever lies wholly below a control that grew moves down by as much, so
// that the rows keep the gaps between them. A plain frame or panel in the
// container is fitted the same way, with the controls of the container that
// are stacked on it as if they were its own, and grows by what its rows
// took. Returns how many pixels further down the contents now reach: what
// the container must grow by. Where the font fits, nothing moves.
int GrowRowsToFont(QWidget& container);

// The columns of a window widen to the user's font: every button of
// `container` narrower than its caption needs grows to it, to the right,
// and whatever lies wholly to the right of a control that grew, on its line
// (sharing some of its height), moves right by as much, so that the buttons
// keep the gaps between them and none grows over its neighbour. A plain
// frame or panel in the container is fitted the same way and grows by what
// its columns took (a control stacked on a frame without being its child
// keeps its place). Returns how many pixels further right the contents now
// reach: what the container must grow by. Where the captions fit, nothing
// moves.
int GrowColumnsToCaptions(QWidget& container);

// The height a control needs for what it shows in its font: FontHeight,
// and besides a label that wraps its caption the height of its lines at its
// width, a tool bar the height its buttons take. 0 for any other control.
int ContentsHeight(const QWidget& control);

// GrowRowsToFont with ContentsHeight: the rows grow also for a wrapped
// label's lines and for a tool bar's buttons.
int GrowRowsToContents(QWidget& container);

// The controls of one line, left to right, each with the width it needs: a
// control narrower than its need grows to it, to the right, and whatever
// follows it on the line moves right by as much, keeping the gaps. Returns
// how many pixels further right the line now ends.
int GrowAlongLine(const std::vector<std::pair<QWidget*, int>>& line);

// Where a row of buttons stays when its buttons widen: its left end, the
// middle of its container, or its right end.
enum class RowAnchor { Left, Centre, Right };

// The buttons of one row, left to right, on one container, widen to their
// captions; buttons of one width keep one width, that of the widest caption.
// They keep the gaps between them, the row stays where `anchor` says and
// `margin` pixels clear of the container's sides, as far as the container's
// width allows. Returns how many pixels the container must widen for the row
// to keep that margin (0 when it does); the row is laid out for the wider
// container (from the left margin), so the caller only widens it. Where
// every caption fits and the row keeps its margin, nothing moves.
int GrowButtonRow(const std::vector<QPushButton*>& row, RowAnchor anchor, int margin);

// The width a text box needs to show `text` whole: the text in its font,
// with the frame, margins and cursor the box keeps around it.
int TextBoxWidth(const QLineEdit& box, const QString& text);

// The longest text of `length` characters a box takes, in its widest plain
// form: that many of its font's widest capital letter or digit.
QString WidestText(const QLineEdit& box, int length);

// Pixels a grid cell keeps free between its edges and its text, on each side.
inline constexpr int kCellMargin = 3;

// The width, in twips, a grid column needs to show `text` whole when drawn
// in `font`: the text's own width with the cell's margins on both sides. A
// column "n X" wide that is to show n X of text is CellWidth of n letters X.
long CellWidth(const QString& text, const QFont& font);

// What a cell `room` pixels wide (within its margins) shows of `text`: the
// whole text when it fits; else the text cut where its alignment hides it
// (the leading digits of a right-aligned figure, the middle of a centred
// code, the end of a text on the left) with "…" in the place of what is
// missing, so that a cut figure is never read as a whole one.
QString CellText(const QString& text, const QFontMetrics& metrics, int room, Qt::Alignment alignment);

// The box shows `c` for every character typed, whatever character the
// desktop style would show.
void setPasswordChar(QLineEdit& box, QChar c);

}  // namespace ui
