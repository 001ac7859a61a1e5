#pragma once
// The database server's date and time, so rows written by different
// workstations carry one clock.
#include "platform/legacy/date.h"

#include <functional>

namespace ModGlobal {

// The server's date and time to the second. Without a server row: the date
// of key "FECHAOPERHASTA" when UtilizarFechaDia is on and it holds a date,
// else the local clock. Never raises.
legacy::Date FechaServidor();

// For tests: a clock that answers in place of the server (an empty function
// puts the server back).
void setRelojServidor(std::function<legacy::Date()> reloj);

}  // namespace ModGlobal
