#pragma once
// The error box of the common services and of the windows that do not go
// through the database class: shows the error with Abort, Retry and Ignore
// (unless other buttons are given), appends one line to the error log
// "JQERR.LOG" in the user's temporary folder and returns the answer (4 repeat
// the failing step, 5 go on with the next, anything else leave).
#include "platform/legacy/errortrap.h"
#include "platform/legacy/vberror.h"

#include <QString>

#include <optional>

namespace ModGlobal {

int TratamientoErrores(const legacy::VbError& ErrObj, std::optional<int> Botones = std::nullopt,
                       const std::optional<QString>& Rutina = std::nullopt);
int TratamientoErrores(const legacy::ErrObject& ErrObj, std::optional<int> Botones = std::nullopt,
                       const std::optional<QString>& Rutina = std::nullopt);

// TratamientoErrores as the handler of a legacy::ErrorTrap:
//   legacy::ErrorTrap trap("Rutina", ModGlobal::ManejadorErrores);
int ManejadorErrores(const legacy::VbError& error, const QString& rutina);

// The full path of the log file this box writes to.
QString RutaLogErrores();

}  // namespace ModGlobal
