#pragma once
// The order of texts the server keeps (the embedded engine's text collation,
// sqlite_support.h): for the program's own sorting of texts it shows, so that
// a list sorted here reads as the server's ORDER BY gives it.
#include <QStringView>

namespace ado {

// Below, at or above 0 as `a` sorts before, with or after `b`: letter case
// and trailing blanks ignored, accents counted after the letters, "ñ" after
// "n", hyphens and apostrophes counted only between texts otherwise the same.
int compareTexts(QStringView a, QStringView b);

}  // namespace ado
