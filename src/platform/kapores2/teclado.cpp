#include "platform/kapores2/teclado.h"

namespace kapores2 {

bool Teclado::EsTeclaConfirma(int codigoTecla)
{
    switch (codigoTecla) {
    case 13:  // Enter
    case 27:  // Escape
    case 38:  // Up
    case 40:  // Down
        return true;
    default:
        return false;
    }
}

void Teclado::FiltraTecla(QWidget* caja, int& caracter)
{
    (void)caja;
    if (caracter == 13 || caracter == 27) caracter = 0;
}

}  // namespace kapores2
