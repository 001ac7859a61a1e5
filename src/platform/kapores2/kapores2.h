#pragma once
// The suite's utility objects: Funciones, Equipo, ArchivoIni, Aplicacion,
// Dialogo and Teclado.
#include "platform/kapores2/aplicacion.h"
#include "platform/kapores2/archivoini.h"
#include "platform/kapores2/dialogo.h"
#include "platform/kapores2/equipo.h"
#include "platform/kapores2/funciones.h"
#include "platform/kapores2/teclado.h"
