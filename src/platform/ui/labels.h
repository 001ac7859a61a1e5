#pragma once
// Labels keep the place their window gives them in twips, but the fonts of
// this platform are not the ones the windows were laid out with: a caption
// may need more room than its label has.
class QWidget;

namespace ui {

// Makes every one-line label of `window` show its whole caption in the font
// it uses: a label narrower than its caption grows to it (to the right, or
// to the left when right-aligned) as far as the room it has, which ends at
// the next control on its line or at the edge of its container; a caption
// wider than that room is drawn condensed until it fits (down to 80% of its
// width). Labels that wrap, show a picture, sit in a layout or have room to
// spare are left as they are.
void FitLabels(QWidget* window);

// Runs FitLabels on every window of the program whenever it is shown.
void FitLabelsOnShow();

}  // namespace ui
