#pragma once
// The module ModGlobal whole: the shared objects, the login values, the
// settings and the common services. `#include "core/modglobal.h"` gives all
// of it; each service also has its own header.
#include "db/modglobal_db.h"

#include "core/acciones.h"
#include "core/busquedas.h"
#include "core/cargaconfiguracion.h"
#include "core/codigoarticulo.h"
#include "core/configuracion.h"
#include "core/consultasvrk.h"
#include "core/dll_display.h"
#include "core/empresa.h"
#include "core/estilos.h"
#include "core/fechaservidor.h"
#include "core/formato.h"
#include "core/inicio.h"
#include "core/lanzador.h"
#include "core/lib_clscons3.h"
#include "core/login.h"
#include "core/parametros.h"
#include "core/scripts.h"
#include "core/sqlbuilder.h"
#include "core/tratamientoerrores.h"
#include "platform/kapores2/equipo.h"
#include "platform/kapores2/funciones.h"

#include <QString>

namespace ModGlobal {

// Login values set by the start-up besides gUsuarioLogeado and gPassword.
extern QString gCaja;               // key "@Caja" ("1" when absent)
extern QString gParametroAdicional; // key "@ParametroAdicional"
extern QString gMenu;               // key "@Menu" (kept, not used further here)
// "FlatToolbars" of the machine's section of QM410tx.INI (default 1).
extern double gFlatToolbars;

// The closed library's utilities and machine objects, created on first use
// and kept for the whole run; the voucher modules call the library through
// them.
kapores2::Funciones& gUtilidades();
kapores2::Equipo& gEntorno();

}  // namespace ModGlobal
