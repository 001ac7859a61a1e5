#include "core/modglobal.h"

namespace ModGlobal {

QString gCaja;
QString gParametroAdicional;
QString gMenu;
double gFlatToolbars = 0;

kapores2::Funciones& gUtilidades()
{
    static kapores2::Funciones utilidades;
    return utilidades;
}

kapores2::Equipo& gEntorno()
{
    static kapores2::Equipo entorno;
    return entorno;
}

}  // namespace ModGlobal
