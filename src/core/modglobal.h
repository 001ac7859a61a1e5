#pragma once
// The module ModGlobal whole: the shared objects, the login values, the
// settings and the common services. `#include "core/modglobal.h"` gives all
// of it; each service also has its own header.
#include "db/modglobal_db.h"

#include "core/cargaconfiguracion.h"
#include "core/configuracion.h"
#include "core/dll_display.h"
#include "core/empresa.h"
#include "core/fechaservidor.h"
#include "core/inicio.h"
#include "core/lib_clscons3.h"
#include "core/parametros.h"
#include "core/scripts.h"
#include "core/sqlbuilder.h"
#include "core/tratamientoerrores.h"

#include <QString>

namespace ModGlobal {

// Login values set by the start-up besides gUsuarioLogeado and gPassword.
extern QString gCaja;               // key "@Caja" ("1" when absent)
extern QString gParametroAdicional; // key "@ParametroAdicional"
extern QString gMenu;               // key "@Menu" (kept, not used further here)
// "FlatToolbars" of the machine's section of QM410tx.INI (default 1).
extern double gFlatToolbars;

}  // namespace ModGlobal
