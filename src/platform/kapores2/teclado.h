#pragma once
// Keyboard handling of a grid's floating edit box (the `Teclado` object).
// Key codes are the runtime's (13 Enter, 27 Escape, 38 Up, 40 Down); typed
// characters are character codes (KeyAscii).
class QWidget;

namespace kapores2 {

class Teclado {
public:
    // True for the keys that end the edit of a cell: Enter, Escape, Up and Down.
    static bool EsTeclaConfirma(int codigoTecla);
    // Filters a character typed into the edit box: Enter and Escape are
    // handled on key down, so their characters are dropped (set to 0); every
    // other character goes through unchanged.
    static void FiltraTecla(QWidget* caja, int& caracter);
};

}  // namespace kapores2
