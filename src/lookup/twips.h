#pragma once
// A control placed in twips (its parent's coordinates), sizes never
// negative.
#include "platform/ui/colors.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

namespace lookup {

inline void PonTwips(QWidget* w, double left, double top, double width, double height)
{
    w->setGeometry(ui::twipsToPixels(std::llround(left)), ui::twipsToPixels(std::llround(top)),
                   std::max(0, ui::twipsToPixels(std::llround(width))),
                   std::max(0, ui::twipsToPixels(std::llround(height))));
}

}  // namespace lookup
