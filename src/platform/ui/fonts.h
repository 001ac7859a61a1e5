#pragma once
// The suite's windows name Windows fonts ("Segoe UI", "MS Sans Serif",
// "Tahoma", "Arial"). Linux has none of them; each is mapped to an installed
// font of close width, so that captions laid out for them still fit.
namespace ui {

// Call once, after the QApplication exists.
void InstallFontSubstitutes();

}  // namespace ui
