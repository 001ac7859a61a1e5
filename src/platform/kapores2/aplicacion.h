#pragma once
// The program's registration with the suite (the `Aplicacion` object).
#include <QString>

namespace kapores2 {

class Aplicacion {
public:
    // Called once at start-up with the program folder. Nothing is read back,
    // and this program needs nothing registered outside itself: the folder is
    // only kept.
    static void RegistraAplicacion(const QString& carpeta);
    // The folder last registered ("" before any).
    static QString carpetaRegistrada();
};

}  // namespace kapores2
