#include "core/modglobal.h"

namespace ModGlobal {

QString gCaja;
QString gParametroAdicional;
QString gMenu;
double gFlatToolbars = 0;

}  // namespace ModGlobal
