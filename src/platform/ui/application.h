#pragma once
// What every program does right after creating its QApplication.
namespace ui {

// - Numbers: creating the QApplication takes the desktop's locale into the C
//   library, and a comma-decimal locale would change how the C library reads
//   and writes numbers under the old runtime's conversions. The program's
//   own regional rules live in legacy::Regional(); the C library keeps "C".
// - Fonts: the suite's windows name Windows fonts ("Segoe UI", "MS Sans
//   Serif", "Tahoma", "Arial"); each is mapped to an installed font of close
//   width, and every window fits its labels to their captions whenever it is
//   shown (labels.h).
void PrepareApplication();

}  // namespace ui
