#include "platform/kapores2/aplicacion.h"

namespace kapores2 {

namespace {
QString& carpeta()
{
    static QString c;
    return c;
}
}  // namespace

void Aplicacion::RegistraAplicacion(const QString& c)
{
    carpeta() = c;
}

QString Aplicacion::carpetaRegistrada()
{
    return carpeta();
}

}  // namespace kapores2
